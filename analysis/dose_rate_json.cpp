#include "analysis/dose_rate_json.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <sstream>

namespace {

struct TMember;

// A parsed JSON value. Object members are a vector of a struct declared after the node:
// a std::pair holding a node inside the node itself needs the node complete, which clang
// refuses.
struct TNode {
    enum Kind { Null, Bool, Number, String, Array, Object } Type = Null;
    bool Flag = false;
    double Value = 0.0;
    std::string Text;
    std::vector<TNode> Items;
    std::vector<TMember> Members;
};

struct TMember {
    std::string Key;
    TNode Value;
};

constexpr int kMaxDepth = 16;

// A recursive-descent reader with a depth limit; errors carry the byte offset.
class TParser {
public:
    explicit TParser(std::string_view text) : s_(text) {}

    bool Parse(TNode& root, std::string& message) {
        if (s_.size() >= 3 && s_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;  // UTF-8 mark
        if (!Value(root, 0)) {
            message = error_;
            return false;
        }
        Space();
        if (pos_ != s_.size()) {
            message = Where("unexpected text after the end of the object");
            return false;
        }
        return true;
    }

private:
    std::string Where(const std::string& what) const {
        return "The inputs file is not valid JSON at byte " + std::to_string(pos_) + ": " + what +
               ".";
    }
    bool Fail(const std::string& what) {
        if (error_.empty()) error_ = Where(what);
        return false;
    }
    void Space() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n')) {
            ++pos_;
        }
    }
    bool Word(std::string_view word) {
        if (s_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    bool Value(TNode& node, int depth) {
        if (depth > kMaxDepth) return Fail("nested too deeply");
        Space();
        if (pos_ >= s_.size()) return Fail("the text ends early");
        const char c = s_[pos_];
        if (c == '{') return ObjectValue(node, depth);
        if (c == '[') return ArrayValue(node, depth);
        if (c == '"') {
            node.Type = TNode::String;
            return StringValue(node.Text);
        }
        if (Word("true")) {
            node.Type = TNode::Bool;
            node.Flag = true;
            return true;
        }
        if (Word("false")) {
            node.Type = TNode::Bool;
            return true;
        }
        if (Word("null")) {
            node.Type = TNode::Null;
            return true;
        }
        return NumberValue(node);
    }

    bool ObjectValue(TNode& node, int depth) {
        node.Type = TNode::Object;
        ++pos_;
        Space();
        if (pos_ < s_.size() && s_[pos_] == '}') {
            ++pos_;
            return true;
        }
        while (true) {
            Space();
            if (pos_ >= s_.size() || s_[pos_] != '"') return Fail("a member name was expected");
            std::string key;
            if (!StringValue(key)) return false;
            Space();
            if (pos_ >= s_.size() || s_[pos_] != ':') return Fail("':' was expected");
            ++pos_;
            TNode value;
            if (!Value(value, depth + 1)) return false;
            node.Members.push_back(TMember{std::move(key), std::move(value)});
            Space();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == '}') {
                ++pos_;
                return true;
            }
            return Fail("',' or '}' was expected");
        }
    }

    bool ArrayValue(TNode& node, int depth) {
        node.Type = TNode::Array;
        ++pos_;
        Space();
        if (pos_ < s_.size() && s_[pos_] == ']') {
            ++pos_;
            return true;
        }
        while (true) {
            TNode item;
            if (!Value(item, depth + 1)) return false;
            node.Items.push_back(std::move(item));
            Space();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == ']') {
                ++pos_;
                return true;
            }
            return Fail("',' or ']' was expected");
        }
    }

    static void AppendUtf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    bool Hex4(std::uint32_t& value) {
        if (pos_ + 4 > s_.size()) return Fail("a \\u escape is cut short");
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = s_[pos_++];
            value <<= 4;
            if (h >= '0' && h <= '9') {
                value |= static_cast<std::uint32_t>(h - '0');
            } else if (h >= 'a' && h <= 'f') {
                value |= static_cast<std::uint32_t>(h - 'a' + 10);
            } else if (h >= 'A' && h <= 'F') {
                value |= static_cast<std::uint32_t>(h - 'A' + 10);
            } else {
                return Fail("a \\u escape has a character that is not hexadecimal");
            }
        }
        return true;
    }

    bool StringValue(std::string& out) {
        ++pos_;  // opening quote
        while (pos_ < s_.size()) {
            const char c = s_[pos_++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return Fail("a control character in a text");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= s_.size()) break;
            const char e = s_[pos_++];
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    std::uint32_t cp = 0;
                    if (!Hex4(cp)) return false;
                    if (cp >= 0xD800 && cp <= 0xDBFF && s_.substr(pos_, 2) == "\\u") {
                        pos_ += 2;
                        std::uint32_t low = 0;
                        if (!Hex4(low)) return false;
                        cp = (low >= 0xDC00 && low <= 0xDFFF)
                                 ? 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00)
                                 : 0xFFFD;
                    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
                        cp = 0xFFFD;  // a lone surrogate
                    }
                    AppendUtf8(out, cp);
                    break;
                }
                default:
                    return Fail("an unknown escape in a text");
            }
        }
        return Fail("a text is not closed");
    }

    bool NumberValue(TNode& node) {
        const std::size_t start = pos_;
        if (pos_ < s_.size() && (s_[pos_] == '-' || s_[pos_] == '+')) ++pos_;
        while (pos_ < s_.size() &&
               ((s_[pos_] >= '0' && s_[pos_] <= '9') || s_[pos_] == '.' || s_[pos_] == 'e' ||
                s_[pos_] == 'E' || s_[pos_] == '-' || s_[pos_] == '+')) {
            ++pos_;
        }
        std::string_view literal = s_.substr(start, pos_ - start);
        if (!literal.empty() && literal.front() == '+') literal.remove_prefix(1);
        double value = 0.0;
        const auto [end, ec] =
            std::from_chars(literal.data(), literal.data() + literal.size(), value);
        if (literal.empty() || ec != std::errc() || end != literal.data() + literal.size() ||
            !std::isfinite(value)) {
            pos_ = start;
            return Fail("a value was expected");
        }
        node.Type = TNode::Number;
        node.Value = value;
        return true;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    std::string error_;
};

std::string Quoted(std::string_view key) {
    return "'" + std::string(key) + "'";
}

using TNumberSetter = std::function<void(TDoseRateInputs&, TAgeFileExtras&, double)>;

// The numeric members and where they go.
const std::map<std::string, TNumberSetter, std::less<>>& NumberMembers() {
    static const std::map<std::string, TNumberSetter, std::less<>> members = {
        {"k", [](auto& in, auto&, double v) { in.K.Value = v; }},
        {"k_error", [](auto& in, auto&, double v) { in.K.Error = v; }},
        {"u", [](auto& in, auto&, double v) { in.U.Value = v; }},
        {"u_error", [](auto& in, auto&, double v) { in.U.Error = v; }},
        {"th", [](auto& in, auto&, double v) { in.Th.Value = v; }},
        {"th_error", [](auto& in, auto&, double v) { in.Th.Error = v; }},
        {"rb", [](auto& in, auto&, double v) { in.Rb.Value = v; }},
        {"rb_error", [](auto& in, auto&, double v) { in.Rb.Error = v; }},
        {"k_bq",
         [](auto& in, auto&, double v) {
             in.HasKActivity = true;
             in.KActivity.Value = v;
         }},
        {"k_bq_error", [](auto& in, auto&, double v) { in.KActivity.Error = v; }},
        {"u_bq",
         [](auto& in, auto&, double v) {
             in.HasUActivity = true;
             in.UActivity.Value = v;
         }},
        {"u_bq_error", [](auto& in, auto&, double v) { in.UActivity.Error = v; }},
        {"th_bq",
         [](auto& in, auto&, double v) {
             in.HasThActivity = true;
             in.ThActivity.Value = v;
         }},
        {"th_bq_error", [](auto& in, auto&, double v) { in.ThActivity.Error = v; }},
        {"water", [](auto& in, auto&, double v) { in.Water.Value = v; }},
        {"water_error", [](auto& in, auto&, double v) { in.Water.Error = v; }},
        {"a_value",
         [](auto& in, auto&, double v) {
             in.HasAValue = true;
             in.AValue.Value = v;
         }},
        {"a_value_error", [](auto& in, auto&, double v) { in.AValue.Error = v; }},
        {"internal_k",
         [](auto& in, auto&, double v) {
             in.HasInternalK = true;
             in.InternalK.Value = v;
         }},
        {"internal_k_error", [](auto& in, auto&, double v) { in.InternalK.Error = v; }},
        {"internal_rb",
         [](auto& in, auto&, double v) {
             in.HasInternalRb = true;
             in.InternalRb.Value = v;
         }},
        {"internal_rb_error", [](auto& in, auto&, double v) { in.InternalRb.Error = v; }},
        {"internal_u",
         [](auto& in, auto&, double v) {
             in.HasInternalU = true;
             in.InternalU.Value = v;
         }},
        {"internal_u_error", [](auto& in, auto&, double v) { in.InternalU.Error = v; }},
        {"internal_th",
         [](auto& in, auto&, double v) {
             in.HasInternalTh = true;
             in.InternalTh.Value = v;
         }},
        {"internal_th_error", [](auto& in, auto&, double v) { in.InternalTh.Error = v; }},
        {"gamma_rate",
         [](auto& in, auto&, double v) {
             in.HasGammaRate = true;
             in.GammaRate.Value = v;
         }},
        {"gamma_rate_error", [](auto& in, auto&, double v) { in.GammaRate.Error = v; }},
        {"alpha_rate",
         [](auto& in, auto&, double v) {
             in.HasAlphaRate = true;
             in.AlphaRate.Value = v;
         }},
        {"alpha_rate_error", [](auto& in, auto&, double v) { in.AlphaRate.Error = v; }},
        {"beta_rate",
         [](auto& in, auto&, double v) {
             in.HasBetaRate = true;
             in.BetaRate.Value = v;
         }},
        {"beta_rate_error", [](auto& in, auto&, double v) { in.BetaRate.Error = v; }},
        {"source_calibration_error",
         [](auto& in, auto&, double v) { in.SourceCalibrationError = v; }},
        {"depth_error", [](auto& in, auto&, double v) { in.DepthError = v; }},
        {"density_error", [](auto& in, auto&, double v) { in.DensityError = v; }},
        {"latitude", [](auto& in, auto&, double v) { in.Site.Latitude = v; }},
        {"longitude", [](auto& in, auto&, double v) { in.Site.Longitude = v; }},
        {"altitude", [](auto& in, auto&, double v) { in.Site.Altitude = v; }},
        {"depth", [](auto& in, auto&, double v) { in.Site.Depth = v; }},
        {"density", [](auto& in, auto&, double v) { in.Site.Density = v; }},
        {"cosmic",
         [](auto& in, auto&, double v) {
             in.HasCosmic = true;
             in.Cosmic = v;
         }},
        {"cosmic_error",
         [](auto& in, auto&, double v) {
             in.HasCosmicError = true;
             in.CosmicError = v;
         }},
        {"de",
         [](auto&, auto& ex, double v) {
             ex.HasDe = true;
             ex.De.Value = v;
         }},
        {"de_error", [](auto&, auto& ex, double v) { ex.De.Error = v; }},
    };
    return members;
}

constexpr std::string_view kSiteKeys[] = {"latitude", "longitude", "altitude", "depth", "density"};

}  // namespace

bool ParseDoseRateInputsJson(std::string_view text, TDoseRateInputs& inputs, TAgeFileExtras& extras,
                             std::string& message) {
    if (text.size() > kMaxDoseRateJsonSize) {
        message =
            "The inputs file is larger than " + std::to_string(kMaxDoseRateJsonSize) + " bytes.";
        return false;
    }
    TNode root;
    if (!TParser(text).Parse(root, message)) return false;
    if (root.Type != TNode::Object) {
        message = "The inputs file must hold one JSON object.";
        return false;
    }
    TDoseRateInputs in = inputs;
    TAgeFileExtras ex = extras;
    int siteMembers = 0;
    std::string missingSite;
    for (const auto& [key, value] : root.Members) {
        if (value.Type == TNode::Null) continue;
        if (const auto it = NumberMembers().find(key); it != NumberMembers().end()) {
            if (value.Type != TNode::Number) {
                message = "The member " + Quoted(key) + " of the inputs file must be a number.";
                return false;
            }
            it->second(in, ex, value.Value);
            for (auto site : kSiteKeys) siteMembers += (site == key) ? 1 : 0;
            continue;
        }
        if (key == "mc" || key == "seed") {
            if (value.Type != TNode::Number || value.Value < 0.0 ||
                value.Value != std::floor(value.Value) || value.Value > 1.8e19) {
                message = "The member " + Quoted(key) +
                          " of the inputs file must be a whole number, 0 or more.";
                return false;
            }
            if (key == "mc") {
                in.MonteCarloDraws = value.Value > kMaxMonteCarloDraws
                                         ? kMaxMonteCarloDraws + 1
                                         : static_cast<int>(value.Value);
            } else {
                in.Seed = static_cast<std::uint64_t>(value.Value);
            }
            continue;
        }
        if (key == "factors" || key == "attenuation" || key == "sample" || key == "de_source") {
            if (value.Type != TNode::String) {
                message = "The member " + Quoted(key) + " of the inputs file must be a text.";
                return false;
            }
            if (key == "sample") {
                ex.Sample = value.Text;
            } else if (key == "de_source") {
                ex.DeSource = value.Text;
            } else if (key == "factors" ? !ParseConversionTable(value.Text, in.Factors)
                                        : !ParseBetaAttenuationTable(value.Text, in.Attenuation)) {
                message = "The member " + Quoted(key) +
                          " of the inputs file names no table: " + Quoted(value.Text) + ".";
                return false;
            }
            continue;
        }
        if (key == "grain_size" || key == "etch") {
            if (value.Type != TNode::Array || value.Items.size() != 2 ||
                value.Items[0].Type != TNode::Number || value.Items[1].Type != TNode::Number) {
                message = "The member " + Quoted(key) +
                          " of the inputs file must be a pair of numbers [min, max].";
                return false;
            }
            TRange& range = key == "etch" ? in.Etch : in.GrainSize;
            (key == "etch" ? in.HasEtch : in.HasGrainSize) = true;
            range = {value.Items[0].Value, value.Items[1].Value};
            continue;
        }
        message = "The inputs file has an unknown member " + Quoted(key) + ".";
        return false;
    }
    if (siteMembers > 0) {
        for (auto site : kSiteKeys) {
            bool present = false;
            for (const auto& [key, value] : root.Members) {
                present = present || (key == site && value.Type != TNode::Null);
            }
            if (!present) {
                message = "The site of the sample needs " + Quoted(site) +
                          " as well (latitude, longitude, altitude, depth and density).";
                return false;
            }
        }
        in.HasSite = true;
    }
    inputs = in;
    extras = ex;
    return true;
}

std::vector<TDoseRateInputField> DoseRateInputFields(const TDoseRateInputs& in) {
    std::vector<TDoseRateInputField> fields;
    const auto number = [&](const char* key, double value) {
        TDoseRateInputField f;
        f.Key = key;
        f.Value = value;
        fields.push_back(f);
    };
    const auto text = [&](const char* key, std::string_view value) {
        TDoseRateInputField f;
        f.Type = TDoseRateInputField::Text;
        f.Key = key;
        f.String = std::string(value);
        fields.push_back(f);
    };
    const auto pair = [&](const char* key, const TRange& r) {
        TDoseRateInputField f;
        f.Type = TDoseRateInputField::Pair;
        f.Key = key;
        f.Value = r.Min;
        f.Second = r.Max;
        fields.push_back(f);
    };
    const auto measured = [&](const char* key, const char* errorKey, const TMeasured& m) {
        number(key, m.Value);
        number(errorKey, m.Error);
    };
    if (in.HasKActivity) {
        measured("k_bq", "k_bq_error", in.KActivity);
    } else {
        measured("k", "k_error", in.K);
    }
    if (in.HasUActivity) {
        measured("u_bq", "u_bq_error", in.UActivity);
    } else {
        measured("u", "u_error", in.U);
    }
    if (in.HasThActivity) {
        measured("th_bq", "th_bq_error", in.ThActivity);
    } else {
        measured("th", "th_error", in.Th);
    }
    measured("rb", "rb_error", in.Rb);
    text("factors", ConversionTableKey(in.Factors));
    text("attenuation", BetaAttenuationKey(in.Attenuation));
    if (in.HasGrainSize) pair("grain_size", in.GrainSize);
    if (in.HasEtch) pair("etch", in.Etch);
    measured("water", "water_error", in.Water);
    if (in.HasAValue) measured("a_value", "a_value_error", in.AValue);
    if (in.HasInternalK) measured("internal_k", "internal_k_error", in.InternalK);
    if (in.HasInternalRb) measured("internal_rb", "internal_rb_error", in.InternalRb);
    if (in.HasInternalU) measured("internal_u", "internal_u_error", in.InternalU);
    if (in.HasInternalTh) measured("internal_th", "internal_th_error", in.InternalTh);
    if (in.HasGammaRate) measured("gamma_rate", "gamma_rate_error", in.GammaRate);
    if (in.HasAlphaRate) measured("alpha_rate", "alpha_rate_error", in.AlphaRate);
    if (in.HasBetaRate) measured("beta_rate", "beta_rate_error", in.BetaRate);
    if (in.HasSite) {
        number("latitude", in.Site.Latitude);
        number("longitude", in.Site.Longitude);
        number("altitude", in.Site.Altitude);
        number("depth", in.Site.Depth);
        number("density", in.Site.Density);
        if (in.DepthError != 0.0) number("depth_error", in.DepthError);
        if (in.DensityError != 0.0) number("density_error", in.DensityError);
    }
    if (in.HasCosmic) number("cosmic", in.Cosmic);
    if (in.HasCosmicError) number("cosmic_error", in.CosmicError);
    if (in.SourceCalibrationError != 0.0) {
        number("source_calibration_error", in.SourceCalibrationError);
    }
    if (in.MonteCarloDraws > 0) {
        number("mc", in.MonteCarloDraws);
        number("seed", static_cast<double>(in.Seed));
    }
    return fields;
}

namespace {

std::string JsonText(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", u);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("null");
}

}  // namespace

std::string DoseRateInputsJson(const TDoseRateInputs& inputs, const TAgeFileExtras* extras) {
    std::vector<std::string> lines;
    if (extras != nullptr && !extras->Sample.empty()) {
        lines.push_back("\"sample\": " + JsonText(extras->Sample));
    }
    for (const TDoseRateInputField& f : DoseRateInputFields(inputs)) {
        std::string value;
        switch (f.Type) {
            case TDoseRateInputField::Number:
                value = JsonNumber(f.Value);
                break;
            case TDoseRateInputField::Text:
                value = JsonText(f.String);
                break;
            case TDoseRateInputField::Pair:
                value = "[" + JsonNumber(f.Value) + ", " + JsonNumber(f.Second) + "]";
                break;
        }
        lines.push_back(JsonText(f.Key) + ": " + value);
    }
    if (extras != nullptr && extras->HasDe) {
        lines.push_back("\"de\": " + JsonNumber(extras->De.Value));
        lines.push_back("\"de_error\": " + JsonNumber(extras->De.Error));
        if (!extras->DeSource.empty()) {
            lines.push_back("\"de_source\": " + JsonText(extras->DeSource));
        }
    }
    std::string out = "{\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += "  " + lines[i] + (i + 1 < lines.size() ? ",\n" : "\n");
    }
    return out + "}\n";
}
