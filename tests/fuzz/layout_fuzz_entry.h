#pragma once
// What the layout-file harness does with one input (the text of an OV_<kind>.INI file);
// shared with the replay test.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "record_store/editor_error.h"
#include "record_store/layout_file.h"
#include "record_store/layout_flow.h"
#include "record_store/layout_save.h"

namespace layout_fuzz {

[[noreturn]] inline void PropertyBroken(const char* what) {
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

inline std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The field names a view could have for this file: the keys of the [FIELDS] section that
// cannot be mistaken for another key of the file format (window keys, label keys, a key
// twice in other case). Schema field names hold no commas.
inline std::vector<std::string> FieldNames(const std::vector<std::string>& lines) {
    std::vector<std::string> names;
    std::set<std::string> seen = {"BOOLEANDISPLAY", "LEFT", "TOP", "WIDTH", "HEIGHT"};
    const int fields = FindSectionLine(lines, "[FIELDS]");
    if (fields < 0) return names;
    for (size_t i = fields + 1; i < lines.size(); ++i) {
        const auto eq = lines[i].find('=');
        if (eq == std::string::npos || eq == 0) continue;
        const std::string key = lines[i].substr(0, eq);
        const std::string upper = Upper(key);
        if (upper.rfind("L_", 0) == 0 || key.find(',') != std::string::npos) continue;
        if (std::isspace(static_cast<unsigned char>(key.front())) ||
            std::isspace(static_cast<unsigned char>(key.back())))
            continue;
        if (!seen.insert(upper).second) continue;
        names.push_back(key);
    }
    return names;
}

struct TReadField {
    std::string name;
    TLayoutField layout;
};

// Reads the fields as the record form does; false when the file is refused.
inline bool ReadFields(const std::vector<std::string>& lines, const std::vector<std::string>& names,
                       TBooleanWords& words, std::vector<TReadField>& fields) {
    try {
        const TLayoutMain main = ReadLayoutMain(lines);
        words = BooleanWords(WholeBooleanDisplay(main.booleanDisplay.value_or("")));
        for (const std::string& name : names) {
            if (auto layout = ReadLayoutField(&lines, name, words))
                fields.push_back({name, *layout});
        }
        (void)ReadFreeLabels(lines);
        (void)ContainsCurveMark(lines);
    } catch (const TEditorError&) {
        return false;
    }
    return true;
}

// Parses the text; the lines read format back into text that parses to the same lines. The
// record form's placement and "Save position" then write the fields' places, captions,
// precisions and label sides into the lines; read again, every field gives what was written.
inline void LayoutText(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TLayoutText layout = TLayoutText::Parse(text);
    const TLayoutText again = TLayoutText::Parse(layout.Format());
    if (again.lines != layout.lines || again.crlf != layout.crlf)
        PropertyBroken("the lines of a layout file do not survive formatting");

    const std::vector<std::string> names = FieldNames(layout.lines);
    TBooleanWords words;
    std::vector<TReadField> fields;
    if (!ReadFields(layout.lines, names, words, fields)) return;
    // Display texts that hold the list separator, or whose true text reads as the false one,
    // cannot mark a field visible in a field line; such files are not rewritten here.
    if (words.trueText.find(',') != std::string::npos ||
        words.falseText.find(',') != std::string::npos || words.trueUpper == words.falseUpper)
        return;

    TLayoutPositions positions;
    positions.left = 10;
    positions.top = 20;
    positions.width = 640;
    positions.height = 480;
    positions.booleanDisplay = words.trueText + ";" + words.falseText;
    TFlowLayout flow(400);
    for (const TReadField& f : fields) {
        if (!f.layout.visible) continue;
        const int editWidth = f.layout.width > 0 ? f.layout.width : 60;
        const int editHeight = f.layout.height > 0 ? f.layout.height : 21;
        const TFlowPlacement placed = flow.Place(f.layout.left, f.layout.top, editWidth,
                                                 editHeight, 40, 13, f.layout.labelPosition);
        TSavedLabel saved;
        saved.fieldName = f.name;
        saved.caption = f.layout.caption;
        saved.isFloat = true;
        saved.precision = f.layout.precision;
        saved.edit = placed.edit;
        saved.label = placed.label;
        positions.labels.push_back(saved);
    }
    std::vector<std::string> lines = layout.lines;
    const std::string booleanDisplay = RewriteLayoutLines(lines, positions);
    TBooleanWords wordsAfter;
    std::vector<TReadField> after;
    if (!ReadFields(lines, names, wordsAfter, after))
        PropertyBroken("a layout file written by Save position cannot be read");
    if (WholeBooleanDisplay(ReadLayoutMain(lines).booleanDisplay.value_or("")) != booleanDisplay)
        PropertyBroken("the boolean display texts changed");
    for (const TSavedLabel& saved : positions.labels) {
        const TLayoutField* read = nullptr;
        for (const TReadField& f : after)
            if (f.name == saved.fieldName) read = &f.layout;
        if (!read) PropertyBroken("a field written by Save position is missing");
        if (!read->visible || read->precision != saved.precision ||
            read->left != saved.edit.left || read->top != saved.edit.top ||
            read->width != saved.edit.width || read->height != saved.edit.height)
            PropertyBroken("a field's place reads back other than written");
        if (read->caption != saved.caption ||
            read->labelPosition != LabelPositionOf(saved.label, saved.edit))
            PropertyBroken("a field's label reads back other than written");
    }
}

}  // namespace layout_fuzz
