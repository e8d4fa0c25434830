#include "cli/csv_table.h"

#include <charconv>
#include <cmath>
#include <fstream>

#include "cli/cli_support.h"

namespace {
constexpr size_t kEchoLength = 40;

std::vector<std::string_view> SplitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    while (true) {
        const auto comma = text.find(',');
        fields.push_back(TrimField(text.substr(0, comma)));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return fields;
}
}  // namespace

std::string_view TrimField(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string EchoedField(std::string_view text) {
    std::string shown;
    size_t characters = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool continuation = (c & 0xC0) == 0x80;  // inside a UTF-8 sequence
        if (!continuation && characters == kEchoLength) {
            shown += "...";
            break;
        }
        if (!continuation) ++characters;
        shown += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    return InQuotes(shown);
}

bool ParseFieldDouble(std::string_view text, double& value) {
    text = TrimField(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty() &&
           std::isfinite(value);
}

bool ReadNumberTable(std::istream& in, const std::string& name, std::string_view header,
                     TNumberTable& table, std::string& message) {
    const size_t columns = SplitFields(header).size();
    std::string line;
    int lineNumber = 0;
    bool headerSeen = false;
    while (std::getline(in, line)) {
        ++lineNumber;
        std::string_view text = line;
        if (lineNumber == 1 && text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
        text = TrimField(text);
        if (text.empty()) continue;
        const std::string where = name + " line " + std::to_string(lineNumber) + ": ";
        const std::vector<std::string_view> fields = SplitFields(text);
        if (!headerSeen) {
            std::string joined;
            for (size_t k = 0; k < fields.size(); ++k) joined += (k ? "," : "") + std::string(fields[k]);
            if (joined != header) {
                message = where + "expected the header '" + std::string(header) + "'";
                return false;
            }
            headerSeen = true;
            continue;
        }
        if (fields.size() != columns) {
            message = where + "expected " + std::to_string(columns) + " fields (" +
                      std::string(header) + ")";
            return false;
        }
        std::vector<double> row(columns);
        for (size_t k = 0; k < columns; ++k) {
            if (!ParseFieldDouble(fields[k], row[k])) {
                message = where + EchoedField(fields[k]) + " is not a number";
                return false;
            }
        }
        table.Rows.push_back(std::move(row));
        table.Lines.push_back(lineNumber);
    }
    if (in.bad()) {
        message = "error reading '" + name + "'";
        return false;
    }
    if (!headerSeen) {
        message = name + ": expected the header '" + std::string(header) + "'";
        return false;
    }
    return true;
}

bool ReadNumberTableFile(const std::string& path, std::string_view header, TNumberTable& table,
                         std::string& message) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        message = "cannot open '" + path + "'";
        return false;
    }
    return ReadNumberTable(in, path, header, table, message);
}
