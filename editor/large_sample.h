#pragma once
// Grows a sample record file to a given number of records by repeating its records (and
// their curve blocks), for trying the editor on files at the size limit.
#include <QString>

// Writes `target` (and its subfile) with `count` records taken in turn from `source`, whose
// schema has `mainSize` bytes of main part and `subSize` bytes of sub part (0: no subfile).
// False when the source cannot be read or the target not written.
bool WriteRepeatedRecords(const QString& source, const QString& target, int mainSize, int subSize,
                          int count);
