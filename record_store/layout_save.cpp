#include "record_store/layout_save.h"

#include <cctype>
#include <filesystem>
#include <fstream>

#include "record_store/editor_error.h"
#include "record_store/file_names.h"

namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Replaces the line of `key` or inserts `line` at `insertAt`; returns the line's index.
int PutLine(std::vector<std::string>& lines, const std::string& key, const std::string& line,
            int insertAt) {
    const int existing = FindKeyLine(lines, key);
    if (existing >= 0) {
        lines[existing] = line;
        return existing;
    }
    lines.insert(lines.begin() + insertAt, line);
    return insertAt;
}

std::string TrimTrailingCommas(std::string text) {
    while (!text.empty() && (text.back() == ',' || text.back() == ' ')) text.pop_back();
    return text;
}

}  // namespace

std::string RewriteLayoutLines(std::vector<std::string>& lines, const TLayoutPositions& positions) {
    if (FindSectionLine(lines, "[MAIN]") < 0) lines.insert(lines.begin(), "[MAIN]");
    if (FindSectionLine(lines, "[LABELS]") < 0) {
        lines.push_back(" ");
        lines.push_back("[LABELS]");
    }
    if (FindSectionLine(lines, "[FIELDS]") < 0) {
        const int labels = FindSectionLine(lines, "[LABELS]");
        lines.insert(lines.begin() + labels, {"[FIELDS]", " "});
    }

    auto afterMain = [&] { return FindSectionLine(lines, "[MAIN]") + 1; };
    if (FindKeyLine(lines, "BooleanDisplay") < 0)
        lines.insert(lines.begin() + afterMain(), "BooleanDisplay=" + positions.booleanDisplay);
    // As the form reads it, so the words written are the words read.
    const std::string booleanDisplay =
        WholeBooleanDisplay(ReadLayoutMain(lines).booleanDisplay.value_or(""));
    const TBooleanWords words = BooleanWords(booleanDisplay);

    const std::pair<const char*, int> window[] = {{"Height", positions.height},
                                                  {"Width", positions.width},
                                                  {"Top", positions.top},
                                                  {"Left", positions.left}};
    for (const auto& [key, value] : window)
        PutLine(lines, key, std::string(key) + "=" + std::to_string(value), afterMain());

    for (const TSavedLabel& l : positions.labels) {
        if (l.free) {
            const std::string key = "L_" + l.caption;
            PutLine(lines, key,
                    key + "=" + l.caption + ", " + std::to_string(l.label.left) + ", " +
                        std::to_string(l.label.top),
                    FindSectionLine(lines, "[LABELS]") + 1);
            continue;
        }
        bool visible = true;
        if (const auto old = KeyValue(lines, l.fieldName))
            visible = Upper(SplitList(*old)[0]) != words.falseUpper;
        const std::string fieldLine = TrimTrailingCommas(
            l.fieldName + "=" + (visible ? words.trueText : words.falseText) + ", " +
            std::to_string(l.isFloat ? l.precision : 0) + ", " + std::to_string(l.edit.left) +
            ", " + std::to_string(l.edit.top) + ", " + std::to_string(l.edit.width) + ", " +
            std::to_string(l.edit.height));
        const int at =
            PutLine(lines, l.fieldName, fieldLine, FindSectionLine(lines, "[FIELDS]") + 1);
        // The label line goes after its field line, but never below the [LABELS] marker
        // (where a field line may stand): every line there is read as a free label, and a
        // label side is no coordinate.
        const std::string labelKey = "L_" + l.fieldName;
        const int labels = FindSectionLine(lines, "[LABELS]");
        PutLine(
            lines, labelKey,
            labelKey + "=" + l.caption + ", " + LabelPositionWord(LabelPositionOf(l.label, l.edit)),
            at < labels ? at + 1 : labels);
    }
    return booleanDisplay;
}

std::string LayoutBackupName(const std::string& path) {
    return BackupNameFor(path);
}

std::string SaveLayoutPositions(const std::string& path, const TLayoutPositions& positions) {
    const std::string failure = "INI File Error: cannot make new INI file: " + path;
    std::optional<TLayoutText> text = ReadLayoutText(path);
    if (!text) throw TEditorError(failure);
    const std::string booleanDisplay = RewriteLayoutLines(text->lines, positions);

    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path backup = LayoutBackupName(path);
    fs::remove(backup, ec);
    fs::rename(path, backup, ec);
    if (ec) throw TEditorError(failure);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    const std::string bytes = text->Format();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw TEditorError(failure);
    return booleanDisplay;
}
