#pragma once
// Names of the files that belong to a record file: curve subfile, schema and backups.
// Paths use "/" between folders.
#include <string>

// The extension of a path's file name, dot included ("" when the name has no dot).
std::string FileExtension(const std::string& path);

// The curve subfile name for a record file, from the first four characters of its
// extension upper-cased: .DAT -> .SUB, .DA1-.DA9/.DAA-.DAE (and longer .DAT...) -> .SU + the
// 4th character, .SAD -> .SAB, .SD1-.SD9/.SDA-.SDE -> .SB + the 4th character. Empty when the
// extension names no subfile.
std::string SubfileNameFor(const std::string& recordPath);

// The schema a record store uses when given none: the record file's folder, the extension
// without its dot as typed, then ".SCH" (/lab/S12.dat -> /lab/dat.SCH).
std::string DefaultSchemaNameFor(const std::string& recordPath);

// The schema the editor names: the schema folder (the record file's folder when empty),
// the extension without its dot upper-cased, then ".sch" (/lab/S12.dat -> /lab/DAT.sch).
std::string EditorSchemaNameFor(const std::string& recordPath, const std::string& schemaDir);

// Backup name: "~" inserted after the dot of the extension (.DAT -> .~DAT); a name without
// extension gets ".~".
std::string BackupNameFor(const std::string& path);

// File names are case-sensitive here while the maker's file sets mix cases (S12.dat beside
// S12.SUB and DAT.sch): when path does not exist, the first file of the same folder (in
// name order) whose name equals its name without regard to case; otherwise path itself.
std::string ResolveNameCase(const std::string& path);
