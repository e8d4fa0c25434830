#pragma once
// The one exception type of file and editing commands. Its message is the text the user
// sees in the message box ("Error opening data file: " + path, then the cause, ...).
// The numerical engine never throws; it reports through result codes.
#include <stdexcept>
#include <string>

class TEditorError : public std::runtime_error {
public:
    explicit TEditorError(const std::string& message) : std::runtime_error(message) {}
};
