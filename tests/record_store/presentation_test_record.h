#pragma once
// A record of named values for the presentation tests.
#include <map>
#include <string>

#include "record_store/presentation_values.h"

class TMapRecord : public TRecordValues {
public:
    TMapRecord& Set(const std::string& f, double v) {
        numbers_[f] = v;
        return *this;
    }
    TMapRecord& Set(const std::string& f, int v) { return Set(f, static_cast<double>(v)); }
    TMapRecord& Set(const std::string& f, const char* t) {
        texts_[f] = t;
        return *this;
    }
    TMapRecord& SetBool(const std::string& f, bool b) { return Set(f, b ? 1.0 : 0.0); }
    bool Has(const std::string& f) const override {
        return numbers_.count(f) != 0 || texts_.count(f) != 0;
    }
    long long Int(const std::string& f) const override {
        auto it = numbers_.find(f);
        return it == numbers_.end() ? 0 : static_cast<long long>(it->second);
    }
    double Float(const std::string& f) const override {
        auto it = numbers_.find(f);
        return it == numbers_.end() ? 0 : it->second;
    }
    bool Bool(const std::string& f) const override { return Float(f) != 0; }
    std::string Text(const std::string& f) const override {
        auto it = texts_.find(f);
        return it == texts_.end() ? std::string() : it->second;
    }

private:
    std::map<std::string, double> numbers_;
    std::map<std::string, std::string> texts_;
};
