#include "record_store/layout_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>
#include <string_view>

#include "record_store/editor_error.h"

namespace {

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Equal but for case; looks at each character once and allocates nothing (the form asks
// for every field's lines by key).
bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::optional<int> ParseInteger(const std::string& text) {
    std::string_view t = text;
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    int value = 0;
    auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || ptr != t.data() + t.size()) return std::nullopt;
    return ClampLayoutNumber(value);
}

int IntegerOrThrow(const std::string& text) {
    if (auto v = ParseInteger(Trim(text))) return *v;
    throw TEditorError("'" + text + "' is not a valid integer value");
}

std::string Item(const std::vector<std::string>& items, std::size_t i) {
    return i < items.size() ? items[i] : std::string();
}

}  // namespace

int ClampLayoutNumber(int64_t value) {
    return static_cast<int>(std::clamp<int64_t>(value, -kMaxLayoutNumber, kMaxLayoutNumber));
}

std::string LayoutFileName(const std::string& directory, const std::string& kind) {
    return directory + "OV_" + kind + ".INI";
}

std::optional<std::string> PreferenceKind(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    const std::string name = Upper(slash == std::string::npos ? path : path.substr(slash + 1));
    if (name.size() < 6) return std::nullopt;
    const std::string kind = name.substr(3, 3);
    if (name.compare(0, 3, "OV_") != 0) return std::nullopt;
    if (kind == "DAT" || kind == "SAD" || kind == "DAS") return kind;
    return std::nullopt;
}

std::string LayoutOpenFilter(const std::string& kind) {
    return "Configuration files (*.ini)|OV_" + kind + "*.ini";
}

void TIniList::Set(const std::string& kind, const std::string& path) {
    const std::string k = Upper(kind.substr(0, 4));
    for (TIniFileRecord& e : entries_) {
        if (e.kind == k) {
            e.path = path;
            return;
        }
    }
    entries_.push_back({k, path});
}

std::optional<std::string> TIniList::Get(const std::string& kind) const {
    for (const TIniFileRecord& e : entries_)
        if (e.kind == kind) return e.path;
    return std::nullopt;
}

TLayoutText TLayoutText::Parse(const std::string& text) {
    TLayoutText result;
    result.crlf = text.find("\r\n") != std::string::npos;
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        // A carriage return ends no text of a line: stray ones before the line break go
        // with it, so the line reads the same once written back with either line break.
        while (!line.empty() && line.back() == '\r') line.pop_back();
        result.lines.push_back(std::move(line));
        start = end + 1;
    }
    return result;
}

std::string TLayoutText::Format() const {
    std::string out;
    const char* eol = crlf ? "\r\n" : "\n";
    for (const std::string& line : lines) out += line + eol;
    return out;
}

std::optional<TLayoutText> ReadLayoutText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return TLayoutText::Parse(text.str());
}

int FindKeyLine(const std::vector<std::string>& lines, const std::string& key) {
    // A line holds the key when its first '=' follows the key's letters; a key with an '='
    // of its own is never a line's key.
    if (key.find('=') != std::string::npos) return -1;
    const std::size_t n = key.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() > n && line[n] == '=' && SameText(std::string_view(line).substr(0, n), key))
            return static_cast<int>(i);
    }
    return -1;
}

std::optional<std::string> KeyValue(const std::vector<std::string>& lines, const std::string& key) {
    const int i = FindKeyLine(lines, key);
    if (i < 0) return std::nullopt;
    return lines[i].substr(lines[i].find('=') + 1);
}

int FindSectionLine(const std::vector<std::string>& lines, const std::string& section) {
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (SameText(lines[i], section)) return static_cast<int>(i);
    return -1;
}

std::vector<std::string> SplitList(const std::string& value) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (true) {
        const auto comma = value.find(',', start);
        items.push_back(Trim(value.substr(start, comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return items;
}

bool ContainsCurveMark(const std::vector<std::string>& lines) {
    return std::any_of(lines.begin(), lines.end(),
                       [](const std::string& l) { return l.find("CURVE") != std::string::npos; });
}

std::string WholeBooleanDisplay(const std::string& text) {
    if (text.empty()) return "True;False";
    std::string whole = text;
    if (whole.front() == ';') whole = "True" + whole;
    if (whole.back() == ';') whole += "False";
    return whole;
}

TBooleanWords BooleanWords(const std::string& wholeText) {
    TBooleanWords words;
    const auto semi = wholeText.find(';');
    words.trueText = wholeText.substr(0, semi);
    words.falseText = semi == std::string::npos ? std::string() : wholeText.substr(semi + 1);
    words.trueUpper = Upper(words.trueText);
    words.falseUpper = Upper(words.falseText);
    return words;
}

TLayoutMain ReadLayoutMain(const std::vector<std::string>& lines) {
    TLayoutMain main;
    if (auto v = KeyValue(lines, "BooleanDisplay")) main.booleanDisplay = Trim(*v);
    std::optional<int>* targets[] = {&main.left, &main.top, &main.width, &main.height};
    const char* keys[] = {"Left", "Top", "Width", "Height"};
    for (int i = 0; i < 4; ++i) {
        const auto v = KeyValue(lines, keys[i]);
        if (!v || Trim(*v).empty()) continue;
        const auto n = ParseInteger(Trim(*v));
        if (!n) break;
        *targets[i] = *n;
    }
    return main;
}

const char* LabelPositionWord(TLabelPosition position) {
    switch (position) {
        case TLabelPosition::Left:
            return "LEFT";
        case TLabelPosition::Right:
            return "RIGHT";
        case TLabelPosition::Bottom:
            return "BOTTOM";
        case TLabelPosition::Top:
            break;
    }
    return "TOP";
}

std::string FieldErrorMessage(const std::string& fieldName) {
    return "INI File Error: Error processing field " + fieldName + " in INI file";
}

std::optional<TLayoutField> ReadLayoutField(const std::vector<std::string>* lines,
                                            const std::string& fieldName,
                                            const TBooleanWords& words) {
    TLayoutField field;
    field.caption = fieldName;
    if (!lines) return field;
    const auto fieldValue = KeyValue(*lines, fieldName);
    if (!fieldValue) return std::nullopt;

    const std::vector<std::string> items = SplitList(*fieldValue);
    field.visible = Upper(Item(items, 0)) != words.falseUpper;
    auto number = [&](std::size_t i, int missing) {
        const std::string text = Item(items, i);
        if (text.empty()) return missing;
        if (auto v = ParseInteger(text)) return *v;
        throw TEditorError(FieldErrorMessage(fieldName));
    };
    field.precision = number(1, 4);
    field.left = number(2, 0);
    field.top = number(3, 0);
    field.width = number(4, 0);
    field.height = number(5, 0);

    if (const auto labelValue = KeyValue(*lines, "L_" + fieldName)) {
        const std::vector<std::string> label = SplitList(*labelValue);
        const std::string caption = Item(label, 0);
        if (!caption.empty()) field.caption = caption;
        field.curve = caption.compare(0, 5, "CURVE") == 0;
        const std::string where = Upper(Item(label, 1));
        field.labelPosition = where == "LEFT"     ? TLabelPosition::Left
                              : where == "RIGHT"  ? TLabelPosition::Right
                              : where == "BOTTOM" ? TLabelPosition::Bottom
                                                  : TLabelPosition::Top;
    }
    return field;
}

TFreeLabelList ReadFreeLabels(const std::vector<std::string>& lines) {
    TFreeLabelList list;
    const int section = FindSectionLine(lines, "[LABELS]");
    if (section < 0) return list;
    for (std::size_t i = section + 1; i < lines.size(); ++i) {
        const auto eq = lines[i].find('=');
        if (eq == std::string::npos) continue;
        const std::vector<std::string> items = SplitList(*KeyValue(lines, lines[i].substr(0, eq)));
        try {
            list.labels.push_back(
                {Item(items, 0), IntegerOrThrow(Item(items, 1)), IntegerOrThrow(Item(items, 2))});
        } catch (const TEditorError& e) {
            list.error = e.what();
            break;
        }
    }
    return list;
}
