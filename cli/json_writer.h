#pragma once
// A small streaming JSON writer: objects, arrays, strings, numbers, booleans and null,
// pretty-printed with two-space indentation. Doubles are written in the shortest form that
// reads back to the same value; NaN and infinities (which JSON cannot hold) as null. Text
// that is not valid UTF-8 (single-byte code page text from the record files) is taken as
// Latin-1, so the output is always valid UTF-8.
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

class TJsonWriter {
public:
    explicit TJsonWriter(std::ostream& out) : out_(out) {}

    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    // The name of the next member of the current object.
    void Key(std::string_view name);

    void String(std::string_view text);
    void Integer(std::int64_t value);
    void Double(double value);
    void Bool(bool value);
    void Null();

    // Key(name) followed by the value.
    void Member(std::string_view name, std::string_view text) {
        Key(name);
        String(text);
    }
    void Member(std::string_view name, const char* text) {
        Key(name);
        String(text);
    }
    void Member(std::string_view name, std::int64_t value) {
        Key(name);
        Integer(value);
    }
    void Member(std::string_view name, int value) {
        Key(name);
        Integer(value);
    }
    void Member(std::string_view name, double value) {
        Key(name);
        Double(value);
    }
    void Member(std::string_view name, bool value) {
        Key(name);
        Bool(value);
    }
    // An array of doubles on one line.
    void DoubleArray(const std::vector<double>& values);

    // Ends the document with a line end.
    void Finish();

private:
    void BeforeValue();
    void NewLine();

    struct Level {
        bool array = false;
        int count = 0;
    };
    std::ostream& out_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
};

// The JSON string literal of a text, quotes included.
std::string JsonQuoted(std::string_view text);
// Shortest round-trip decimal form of a finite double ("0.1", "1e+300", "-0").
std::string ShortestDouble(double value);
// A double as a JSON number: its shortest form, or null for NaN and infinities.
std::string JsonNumber(double value);
// A JSON array of strings: ["a","b"] ([] when empty).
std::string JsonStringArray(const std::vector<std::string>& texts);
