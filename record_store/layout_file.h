#pragma once
// Editor layout files ("OV_" + file kind + ".INI"): which fields the general record form shows,
// where, with which caption and precision, which fields hold curves, how booleans read and
// where the main window sits. Plain text lines with the sections [MAIN], [FIELDS], [LABELS];
// a key is the text before the first "=" of a line, compared without regard to case, and the
// first line with the key counts wherever it is.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// --- File names ---

// "OV_" + kind + ".INI" in `directory` (which ends with a separator or is empty).
// The numbers of a layout file are window places and sizes in pixels, and precisions. Values
// beyond the largest widget size Qt allows are taken as that size when read, and the places
// the form works out from them are kept within the same bounds, so that every sum made of
// them stays in range and a place written reads back as written.
inline constexpr int kMaxLayoutNumber = 16777215;
int ClampLayoutNumber(int64_t value);

std::string LayoutFileName(const std::string& directory, const std::string& kind);
// The kind a layout file chosen by "Read preferences" is remembered for: the three characters
// after "OV_" of the upper-cased file name when they are DAT, SAD or DAS; otherwise none.
std::optional<std::string> PreferenceKind(const std::string& path);
// Filter of the open dialog: "Configuration files (*.ini)|OV_" + kind + "*.ini".
std::string LayoutOpenFilter(const std::string& kind);

// The layout file chosen per file kind during this run.
struct TIniFileRecord {
    std::string kind;  // at most 4 characters, upper-cased
    std::string path;
};

class TIniList {
public:
    void Set(const std::string& kind, const std::string& path);
    std::optional<std::string> Get(const std::string& kind) const;
    int Count() const { return static_cast<int>(entries_.size()); }
    const std::vector<TIniFileRecord>& Entries() const { return entries_; }

private:
    std::vector<TIniFileRecord> entries_;
};

// --- File text ---

// The lines of a layout file and the line ending it was written with.
struct TLayoutText {
    std::vector<std::string> lines;
    bool crlf = false;

    static TLayoutText Parse(const std::string& text);
    std::string Format() const;  // every line ends with the line ending
};

// Reads a file; std::nullopt when it cannot be read.
std::optional<TLayoutText> ReadLayoutText(const std::string& path);

// Index of the first line whose key (text before its first "=") equals `key` without regard
// to case, or -1.
int FindKeyLine(const std::vector<std::string>& lines, const std::string& key);
// The value (text after the first "=") of that line.
std::optional<std::string> KeyValue(const std::vector<std::string>& lines, const std::string& key);
// Index of the line that is the section marker (e.g. "[LABELS]", case ignored), or -1.
int FindSectionLine(const std::vector<std::string>& lines, const std::string& section);
// Splits at commas and trims each item.
std::vector<std::string> SplitList(const std::string& value);
bool ContainsCurveMark(const std::vector<std::string>& lines);

// --- Boolean display texts ---

// Made whole: empty gives "True;False", a leading ";" gets "True" in front, a trailing ";"
// gets "False" appended.
std::string WholeBooleanDisplay(const std::string& text);
struct TBooleanWords {
    std::string trueText, falseText;  // as written
    std::string trueUpper, falseUpper;
};
// Words of a whole display text: before and after its first ";".
TBooleanWords BooleanWords(const std::string& wholeText);

// --- [MAIN] ---

struct TLayoutMain {
    std::optional<std::string> booleanDisplay;  // trimmed, not yet made whole
    std::optional<int> left, top, width, height;
};
// "Left", "Top", "Width", "Height" are read in this order while present, not empty and integer;
// the first one that is not an integer ends the reading.
TLayoutMain ReadLayoutMain(const std::vector<std::string>& lines);

// --- Field and label lines ---

enum class TLabelPosition { Top, Left, Right, Bottom };
const char* LabelPositionWord(TLabelPosition position);

struct TLayoutField {
    bool visible = true;
    int precision = 4;
    int left = 0, top = 0;      // <= 0: placed by the flow rule
    int width = 0, height = 0;  // <= 0: computed / default
    std::string caption;        // empty: the field name
    TLabelPosition labelPosition = TLabelPosition::Top;
    bool curve = false;  // the caption starts with "CURVE"
};

// The field's layout: without a layout file every field is shown with defaults; with one, a
// field without a field line is hidden (std::nullopt). Throws TEditorError
// "INI File Error: Error processing field <name> in INI file" when a number item is not an
// integer.
std::optional<TLayoutField> ReadLayoutField(const std::vector<std::string>* lines,
                                            const std::string& fieldName,
                                            const TBooleanWords& words);

std::string FieldErrorMessage(const std::string& fieldName);

// --- [LABELS] ---

struct TFreeLabel {
    std::string caption;
    int left = 0, top = 0;
};
// The free labels after the "[LABELS]" line: one per line holding "=", looked up by its key.
// A left or top that is not an integer ends the reading there: the labels of the lines
// before it are kept and error holds the conversion message.
struct TFreeLabelList {
    std::vector<TFreeLabel> labels;
    std::string error;  // empty when every line was read
};
TFreeLabelList ReadFreeLabels(const std::vector<std::string>& lines);
