#include "analysis/sar_criteria.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "fitting/fit_record.h"
#include "fitting/result_codes.h"
#include "platform/number_text.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool SameDose(double a, double b) {
    return std::abs(a - b) <= 1e-9 * std::max(1.0, std::max(std::abs(a), std::abs(b)));
}

// a / b, NaN when b is not positive or either is not finite.
double Ratio(double a, double b) {
    return b > 0 && std::isfinite(a) && std::isfinite(b) ? a / b : kNaN;
}

// A value judged against its threshold; NaN (undefined) fails.
bool Within(double deviation, double threshold) {
    return deviation <= threshold;
}

// The first regenerated measurement without IR at `dose`, or nullptr.
const TSarSignal* FirstRegenerated(const std::vector<TSarSignal>& ms, double dose) {
    for (const TSarSignal& m : ms)
        if (!m.Natural && !m.IrBefore && SameDose(m.Dose, dose)) return &m;
    return nullptr;
}

std::string Fixed(double value, char decimalPoint) {
    if (!std::isfinite(value)) return "n.a.";
    std::string s = NumberFixed(value, 3);  // a point whatever LC_NUMERIC says
    if (decimalPoint != '.')
        for (char& c : s)
            if (c == '.') c = decimalPoint;
    return s;
}

}  // namespace

TSarCriteria EvaluateSarCriteria(const std::vector<TSarSignal>& ms, double testDoseError,
                                 const TFitRecord& fit, const TSarThresholds& t) {
    TSarCriteria c;
    const TSarSignal* natural = nullptr;
    for (const TSarSignal& m : ms) {
        if (m.Natural) {
            if (natural == nullptr) natural = &m;
            continue;
        }
        c.MaxRegenerationDose = std::max(c.MaxRegenerationDose, m.Dose);
        if (m.IrBefore) {
            if (!c.IrDepletionRatio) {
                const TSarSignal* plain = FirstRegenerated(ms, m.Dose);
                if (plain != nullptr) c.IrDepletionRatio = Ratio(m.Ratio, plain->Ratio);
            }
            continue;
        }
        const TSarSignal* first = FirstRegenerated(ms, m.Dose);
        if (m.Dose == 0) {
            if (&m == first && natural != nullptr) c.Recuperation = Ratio(m.Ratio, natural->Ratio);
        } else if (first != &m) {
            c.RecyclingRatios.push_back(Ratio(m.Ratio, first->Ratio));
        }
    }
    c.TestDoseError = std::isfinite(testDoseError) ? testDoseError : kNaN;
    const bool dose = !IsFatal(fit.ResultCode) && std::isfinite(fit.ED) && fit.ED > 0;
    c.PalaeodoseError = dose && std::isfinite(fit.EDError) ? fit.EDError / fit.ED : kNaN;
    c.ExceedsMaxDose = dose && c.MaxRegenerationDose > 0 && fit.ED > c.MaxRegenerationDose;

    bool recycling = true;
    for (double r : c.RecyclingRatios)
        recycling = recycling && Within(std::abs(r - 1), t.Recycling);
    if (!recycling) c.Failed.push_back(kCriterionRecycling);
    if (c.Recuperation && !Within(*c.Recuperation, t.Recuperation))
        c.Failed.push_back(kCriterionRecuperation);
    if (!Within(c.TestDoseError, t.TestDose)) c.Failed.push_back(kCriterionTestDose);
    if (!Within(c.PalaeodoseError, t.Palaeodose)) c.Failed.push_back(kCriterionPalaeodose);
    if (c.IrDepletionRatio && !Within(std::abs(*c.IrDepletionRatio - 1), t.Depletion))
        c.Failed.push_back(kCriterionDepletion);
    if (c.ExceedsMaxDose) c.Failed.push_back(kCriterionMaxDose);
    return c;
}

bool ParseSarThresholds(const std::string& text, TSarThresholds& t, std::string& error) {
    const struct {
        const char* name;
        double TSarThresholds::*field;
    } names[] = {{kCriterionRecycling, &TSarThresholds::Recycling},
                 {kCriterionRecuperation, &TSarThresholds::Recuperation},
                 {kCriterionTestDose, &TSarThresholds::TestDose},
                 {kCriterionPalaeodose, &TSarThresholds::Palaeodose},
                 {kCriterionDepletion, &TSarThresholds::Depletion}};
    TSarThresholds result = t;
    std::size_t at = 0;
    if (text.empty()) {
        error = "no criterion given";
        return false;
    }
    while (at <= text.size()) {
        std::size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(at, end - at);
        const std::size_t eq = item.find('=');
        if (eq == std::string::npos) {
            error = "'" + item + "' is not NAME=VALUE";
            return false;
        }
        const std::string name = item.substr(0, eq), value = item.substr(eq + 1);
        double number = 0;
        const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), number);
        if (ec != std::errc() || ptr != value.data() + value.size() || !std::isfinite(number) ||
            number < 0) {
            error = "'" + value + "' is not a threshold (a number 0 or above) for " + name;
            return false;
        }
        bool known = false;
        for (const auto& n : names) {
            if (name == n.name) {
                result.*(n.field) = number;
                known = true;
            }
        }
        if (!known) {
            error = "unknown criterion '" + name +
                    "' (recycling, recuperation, testdose, palaeodose, depletion)";
            return false;
        }
        at = end + 1;
    }
    t = result;
    return true;
}

std::string SarCriteriaText(const TSarCriteria& c, char dp) {
    std::string text = "recycling ";
    if (c.RecyclingRatios.empty()) text += "n.a.";
    for (std::size_t i = 0; i < c.RecyclingRatios.size(); ++i)
        text += (i ? ", " : "") + Fixed(c.RecyclingRatios[i], dp);
    text += "; recuperation " + Fixed(c.Recuperation.value_or(kNaN), dp);
    text += "; test dose error " + Fixed(c.TestDoseError, dp);
    text += "; dose error " + Fixed(c.PalaeodoseError, dp);
    text += "; IR depletion " + Fixed(c.IrDepletionRatio.value_or(kNaN), dp);
    text += c.ExceedsMaxDose ? "; dose beyond the largest regeneration dose"
                             : "; dose within the regeneration doses";
    if (c.Failed.empty()) return text + "; accepted";
    text += "; failed: ";
    for (std::size_t i = 0; i < c.Failed.size(); ++i) text += (i ? ", " : "") + c.Failed[i];
    return text + (c.Overridden ? ", accepted by the user" : "");
}
