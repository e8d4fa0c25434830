#pragma once
// "Save position": writes the places of the general record form's edits and labels, the main
// window's place and the boolean display texts back into a layout file, keeping the file's
// other lines. The previous file is kept as its backup (OV_DAT.INI -> OV_DAT.~INI).
#include <string>
#include <vector>

#include "record_store/layout_flow.h"

struct TSavedLabel {
    bool free = false;      // a free label of the [LABELS] section
    std::string fieldName;  // field labels: the field
    std::string caption;    // field labels: the display label; free labels: the caption
    bool isFloat = false;   // float fields write their precision, others 0
    int precision = 4;
    TLayoutRect edit;  // field labels: the field's edit
    TLayoutRect label;
};

struct TLayoutPositions {
    int left = 0, top = 0, width = 0, height = 0;  // the main window
    std::string booleanDisplay;                    // the texts in use ("Yes;No")
    std::vector<TSavedLabel> labels;               // in the form's order
};

// Rewrites the lines in place and returns the boolean display texts the file now holds, made
// whole. A field keeps the visibility its line gives it (an edit is built only for a visible
// field, so a field without a line is written visible).
std::string RewriteLayoutLines(std::vector<std::string>& lines, const TLayoutPositions& positions);

// Reads `path`, renames it to its backup, writes the rewritten lines (keeping the file's line
// ending) and returns the boolean display texts. Throws TEditorError
// "INI File Error: cannot make new INI file: " + path when the file cannot be read or written.
std::string SaveLayoutPositions(const std::string& path, const TLayoutPositions& positions);

// The backup name: "~" inserted after the dot of the extension (".~" without an extension).
std::string LayoutBackupName(const std::string& path);
