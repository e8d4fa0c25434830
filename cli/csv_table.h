#pragma once
// Reading CSV files of numbers with a fixed header (the points of `fit`, the doses of
// `dose-model`, the fading measurements of `g-value`), and the field helpers they share:
// every refusal names the file and line and echoes the field at fault.
#include <istream>
#include <string>
#include <string_view>
#include <vector>

// A text without the blanks, tabs and line ends around it.
std::string_view TrimField(std::string_view text);
// A field as a message echoes it: in quotes, control characters shown as '?', cut to 40
// characters with "..." so that a runaway field cannot flood the terminal.
std::string EchoedField(std::string_view text);
// A finite number in C notation (an optional '+' allowed), the whole field.
bool ParseFieldDouble(std::string_view text, double& value);

struct TNumberTable {
    std::vector<std::vector<double>> Rows;  // one per data line, in the header's order
    std::vector<int> Lines;                 // the line number of each row (1-based)
};

// Reads lines of comma-separated numbers under the header `header` ("De,DeError"), blank
// lines skipped, a UTF-8 byte-order mark allowed. False with a message naming `name` and the
// line on a wrong header, a wrong number of fields or a field that is not a finite number.
bool ReadNumberTable(std::istream& in, const std::string& name, std::string_view header,
                     TNumberTable& table, std::string& message);
bool ReadNumberTableFile(const std::string& path, std::string_view header, TNumberTable& table,
                         std::string& message);
