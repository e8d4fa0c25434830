#pragma once
// A minimal JSON reader for checking the command-line tool's output in tests.
#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct TJson {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool boolean = false;
    double number = 0;
    std::string text;  // strings; numbers keep their literal here too
    std::vector<TJson> items;
    std::map<std::string, TJson> members;
    std::vector<std::string> order;  // member names in document order

    const TJson& operator[](const std::string& name) const {
        auto it = members.find(name);
        if (it == members.end()) throw std::runtime_error("no member " + name);
        return it->second;
    }
    const TJson& operator[](size_t i) const { return items.at(i); }
    bool Has(const std::string& name) const { return members.count(name) > 0; }
};

class TJsonReader {
public:
    static TJson Parse(const std::string& text) {
        TJsonReader r(text);
        TJson value = r.Value();
        r.Space();
        if (r.pos_ != text.size()) throw std::runtime_error("trailing text");
        return value;
    }

private:
    explicit TJsonReader(const std::string& text) : s_(text) {}

    void Space() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\r' || s_[pos_] == '\t')) {
            ++pos_;
        }
    }
    void Expect(char c) {
        Space();
        if (pos_ >= s_.size() || s_[pos_] != c) {
            throw std::runtime_error(std::string("expected ") + c + " at " + std::to_string(pos_));
        }
        ++pos_;
    }
    bool Literal(const char* word) {
        const std::string w = word;
        if (s_.compare(pos_, w.size(), w) == 0) {
            pos_ += w.size();
            return true;
        }
        return false;
    }
    std::string StringBody() {
        Expect('"');
        std::string out;
        while (pos_ < s_.size() && s_[pos_] != '"') {
            char c = s_[pos_++];
            if (static_cast<unsigned char>(c) < 0x20) throw std::runtime_error("raw control");
            if (c != '\\') {
                out += c;
                continue;
            }
            c = s_[pos_++];
            switch (c) {
                case 'n':
                    out += '\n';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    const unsigned code = std::stoul(s_.substr(pos_, 4), nullptr, 16);
                    pos_ += 4;
                    if (code < 0x80) {
                        out += static_cast<char>(code);
                    } else if (code < 0x800) {
                        out += static_cast<char>(0xC0 | (code >> 6));
                        out += static_cast<char>(0x80 | (code & 0x3F));
                    } else {
                        out += static_cast<char>(0xE0 | (code >> 12));
                        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                        out += static_cast<char>(0x80 | (code & 0x3F));
                    }
                    break;
                }
                default:
                    out += c;
            }
        }
        Expect('"');
        return out;
    }
    TJson Value() {
        Space();
        TJson v;
        if (pos_ >= s_.size()) throw std::runtime_error("unexpected end");
        const char c = s_[pos_];
        if (c == '{') {
            v.kind = TJson::Object;
            ++pos_;
            Space();
            if (s_[pos_] == '}') {
                ++pos_;
                return v;
            }
            for (;;) {
                const std::string name = StringBody();
                Expect(':');
                v.order.push_back(name);
                v.members[name] = Value();
                Space();
                if (s_[pos_] == ',') {
                    ++pos_;
                    Space();
                    continue;
                }
                Expect('}');
                return v;
            }
        }
        if (c == '[') {
            v.kind = TJson::Array;
            ++pos_;
            Space();
            if (s_[pos_] == ']') {
                ++pos_;
                return v;
            }
            for (;;) {
                v.items.push_back(Value());
                Space();
                if (s_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                Expect(']');
                return v;
            }
        }
        if (c == '"') {
            v.kind = TJson::String;
            v.text = StringBody();
            return v;
        }
        if (Literal("true")) {
            v.kind = TJson::Bool;
            v.boolean = true;
            return v;
        }
        if (Literal("false")) {
            v.kind = TJson::Bool;
            return v;
        }
        if (Literal("null")) return v;
        const size_t start = pos_;
        while (pos_ < s_.size() &&
               std::string("+-0123456789.eE").find(s_[pos_]) != std::string::npos) {
            ++pos_;
        }
        if (start == pos_) throw std::runtime_error("bad value at " + std::to_string(pos_));
        v.kind = TJson::Number;
        v.text = s_.substr(start, pos_ - start);
        v.number = std::strtod(v.text.c_str(), nullptr);
        return v;
    }

    const std::string& s_;
    size_t pos_ = 0;
};
