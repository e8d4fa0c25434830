#include "tools/background_subtraction.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <unordered_map>

#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"
#include "record_store/editor_error.h"
#include "record_store/measurement_access.h"
#include "record_store/measurement_fields.h"
#include "record_store/presentation_format.h"
#include "tools/record_cursor.h"

const std::vector<std::string>& NumericFilterNames() {
    static const std::vector<std::string> names = {"none", "3 point boxcar", "3 point gaussian",
                                                   "5 point gaussian"};
    return names;
}

const std::vector<std::string>& OslBackgroundNames() {
    static const std::vector<std::string> names = {"assigned curve(s)", "last channel(s)",
                                                   "average curve(s)", "given value"};
    return names;
}

std::vector<std::int32_t> SubtractionRecords(const TBackgroundAssignment& assignment,
                                             TSubtractScope scope,
                                             std::optional<std::int32_t> current,
                                             const std::vector<std::int32_t>& selection) {
    std::vector<std::int32_t> records;
    switch (scope) {
        case TSubtractScope::Current:
            if (current) records.push_back(*current);
            break;
        case TSubtractScope::Selected:
            records = selection;
            break;
        case TSubtractScope::All:
            for (const TBGDLookupEntry& e : assignment.Lookup()) records.push_back(e.record);
            break;
    }
    return records;
}

TFloatArray ApplyNumericFilter(const TFloatArray& x, TNumericFilter filter) {
    TFloatArray y = x;
    const auto m = static_cast<std::ptrdiff_t>(x.size());
    switch (filter) {
        case TNumericFilter::None:
            break;
        case TNumericFilter::Boxcar3:
            for (std::ptrdiff_t i = 1; i <= m - 2; ++i) y[i] = (x[i - 1] + x[i] + x[i + 1]) / 3.0;
            break;
        case TNumericFilter::Gauss3:
            for (std::ptrdiff_t i = 1; i <= m - 2; ++i)
                y[i] = ((x[i - 1] + x[i + 1]) * 0.5 + x[i]) * 0.5;
            break;
        case TNumericFilter::Gauss5:
            for (std::ptrdiff_t i = 2; i <= m - 3; ++i)
                y[i] = (0.78 * (x[i - 1] + x[i + 1]) + x[i] + 0.37 * (x[i - 2] + x[i + 2])) / 3.3;
            break;
    }
    return y;
}

TFloatArray ShiftTLValues(const TFloatArray& x, int n, double shift, int spacing,
                          std::size_t fieldLength) {
    TFloatArray y(fieldLength, 0.0);
    // Shifts of more than the curve's width move everything out; bound them before they
    // become integers.
    const double bounded = std::clamp(RoundHalfEven(shift), -1.0e9, 1.0e9);
    const auto s = static_cast<std::int64_t>(bounded);
    const std::int64_t p = spacing;
    std::int64_t c = s / p;  // truncated toward zero
    std::int64_t r = s - c * p;
    if (r < 0) {
        r += p;
        c -= 1;
    }
    const double weight = static_cast<double>(r) / static_cast<double>(p);
    const auto held = static_cast<std::int64_t>(x.size());
    auto xAt = [&](std::int64_t k) { return (k >= 0 && k < held) ? x[k] : 0.0; };
    const std::int64_t first = std::max<std::int64_t>(c, 0);
    const std::int64_t last =
        std::min<std::int64_t>(std::int64_t{n} - 2 + std::min<std::int64_t>(c, 0),
                               static_cast<std::int64_t>(fieldLength) - 1);
    for (std::int64_t i = first; i <= last; ++i) {
        y[i] = xAt(i - c);
        if (r > 0 && c < i) y[i] = (1.0 - weight) * y[i] + weight * xAt(i - c - 1);
    }
    return y;
}

double AverageRate(const std::vector<TRangeSum>& sums) {
    double counts = 0;
    std::int64_t dwell = 0;
    for (const TRangeSum& s : sums) {
        counts += s.counts;
        dwell += s.dwellHundredths;
    }
    if (sums.empty()) return 0.0;
    if (dwell == 0) return counts;
    return RateOf(TRangeSum{counts, dwell});
}

TOslRangeValues OslRangeValues(TOslBackgroundOption option, const TTimeBases& bases,
                               double storedRate) {
    TOslRangeValues v;
    v.caption = "Background integration range";
    const std::int64_t total = TotalTimeHundredths(bases);
    switch (option) {
        case TOslBackgroundOption::Assigned:
        case TOslBackgroundOption::Average:
            v.from = 0.0;
            v.to = SecondsOf(total);
            break;
        case TOslBackgroundOption::LastChannels:
            v.from = SecondsOf(total - LastDwellHundredths(bases));
            v.to = SecondsOf(total);
            break;
        case TOslBackgroundOption::Given:
            v.caption = "Subtract value";
            v.from = storedRate;
            v.showTo = false;
            break;
    }
    return v;
}

double RoundRangeValue(double value) {
    if (std::isfinite(value) && value != 0.0) {
        const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(value))));
        const double scale = std::pow(10.0, 4 - magnitude);
        value = std::round(value * scale) / scale;
    }
    return value;
}

std::string FormatRangeValue(double value, char decimalSeparator) {
    return presentation::FormatFixed(RoundRangeValue(value), 2, decimalSeparator);
}

namespace {

// Field indexes resolved once; resolving them also checks, before anything is written, that
// the view has every field the run needs.
struct TSubtractionFields {
    int raw, subtracted, shift, factor, npt, spacing = -1, oslBgd = -1;
    int timeBases[4] = {-1, -1, -1, -1};
    TSubtractionFields(const TBinDataSet& view, bool tl) {
        raw = view.FieldByName(fields::kRawData).index;
        npt = view.FieldByName(fields::kNpt).index;
        subtracted = view.FieldByName(fields::kSubtractedData).index;
        shift = view.FieldByName(fields::kShift).index;
        factor = view.FieldByName(fields::kNormalizationFactor).index;
        if (tl) {
            spacing = view.FieldByName(fields::kSpacing).index;
        } else {
            const char* names[4] = {fields::kTimeBase10, fields::kTimeBase100,
                                    fields::kTimeBase1000, fields::kTimeBase10000};
            for (int i = 0; i < 4; ++i) timeBases[i] = view.FieldByName(names[i]).index;
            oslBgd = view.FieldByName(fields::kOslBgd).index;
        }
    }
};

class TSubtractionRun {
public:
    TSubtractionRun(TBinDataSet& view, const TBackgroundAssignment& assignment,
                    const TSubtractionSettings& settings, TSubtractionReport& report)
        : view_(view),
          assignment_(assignment),
          settings_(settings),
          report_(report),
          positions_(view),
          fields_(view, settings.tlCurves),
          writeFields_(view, !settings.tlCurves) {}

    void Prepare() {
        if (settings_.tlCurves) return;
        const auto option = static_cast<TOslBackgroundOption>(settings_.oslOption);
        if (option == TOslBackgroundOption::Average) {
            std::vector<TRangeSum> sums;
            for (std::int32_t b : assignment_.Bookmarks()) {
                positions_.Goto(view_, b);
                sums.push_back(OwnRangeSum(WholeTimeRange(Bases())));
            }
            commonRate_ = AverageRate(sums);
            if (sums.empty()) throw TEditorError(kNoBackgroundRunsMessage);
            const bool covered = std::any_of(
                sums.begin(), sums.end(), [](const TRangeSum& s) { return s.dwellHundredths > 0; });
            if (!covered) throw TEditorError(kAverageRangeEmptyMessage);
        } else if (option == TOslBackgroundOption::Given) {
            // What "OSL BGD" keeps is what is subtracted.
            const std::optional<double> held = OslBgdHeldRate(settings_.givenRate);
            if (!held) throw TEditorError(kGivenRateOutOfRange);
            commonRate_ = *held;
        }
    }

    void Process(const TBGDLookupEntry& entry) {
        if (settings_.tlCurves) {
            ProcessTL(entry);
        } else {
            ProcessOSL(entry);
        }
    }

private:
    TTimeBases Bases() const {
        const auto at = [this](int i) {
            return static_cast<int>(view_.AsInteger(fields_.timeBases[i]));
        };
        return TTimeBases{at(0), at(1), at(2), at(3)};
    }

    std::string Name(std::int32_t bookmark) const { return positions_.Describe(view_, bookmark); }
    void Warn(std::int32_t bookmark, const std::string& what) {
        report_.warnings.push_back(Name(bookmark) + ": " + what);
    }

    // "NPT" within the channels the raw curve holds.
    std::int64_t ChannelCount(std::size_t rawLength) const {
        const auto held = static_cast<std::int64_t>(rawLength == 0 ? 0 : rawLength - 1);
        return std::clamp<std::int64_t>(view_.AsInteger(fields_.npt), 0, held);
    }

    // The sum over the settings' range, or over `fallback` (the record's own default range).
    TRangeSum OwnRangeSum(const TTimeRange& fallback) {
        const TFloatArray raw = ReadRawCurve(view_, fields_.raw);
        return SumOverRange(raw, Bases(), settings_.range.value_or(fallback),
                            ChannelCount(raw.size()));
    }

    // Divides by |f| when normalisation factors are kept; returns the factor to store.
    double Normalize(TFloatArray& values, std::int32_t bookmark) {
        if (!settings_.keepNormalization) return -1.0;
        const double f = view_.AsFloat(fields_.factor);
        if (f == 0.0) {
            Warn(bookmark, "\"Normalization factor\" is 0; the values are not normalised.");
            return f;
        }
        for (double& v : values) v /= std::fabs(f);
        return f;
    }

    void ProcessTL(const TBGDLookupEntry& entry) {
        if (entry.background < 0) {
            Warn(entry.record, "a TL curve has no own background; not subtracted.");
            return;
        }
        positions_.Goto(view_, entry.background);
        const TFloatArray background = ReadRawCurve(view_, fields_.raw);
        const std::int64_t backgroundPoints = view_.AsInteger(fields_.npt);

        positions_.Goto(view_, entry.record);
        const TFloatArray sample = ReadRawCurve(view_, fields_.raw);
        const std::int64_t samplePoints = view_.AsInteger(fields_.npt);
        const double shift = view_.AsFloat(fields_.shift);
        const std::int64_t spacing = view_.AsInteger(fields_.spacing);
        const std::size_t fieldLength = view_.Field(fields_.subtracted).width / 8;

        // n, the last raw index used, within what both curves hold.
        const auto held = static_cast<std::int64_t>(std::min(background.size(), sample.size())) - 1;
        const std::int64_t n = std::clamp<std::int64_t>(std::min(backgroundPoints, samplePoints), 0,
                                                        std::max<std::int64_t>(held, 0));
        TFloatArray values;
        for (std::int64_t i = 2; i <= n; ++i)
            values.push_back(std::max(sample[i] - background[i], 0.0));
        values = ApplyNumericFilter(values, settings_.filter);

        const bool shifting = settings_.keepShift && RoundHalfEven(shift) != 0.0;
        if (shifting && spacing <= 0) {
            Warn(entry.record, "\"Spacing\" is " + std::to_string(spacing) +
                                   "; the temperature shift cannot be applied, not subtracted.");
            return;
        }
        const double factor = Normalize(values, entry.record);
        if (shifting) {
            values = ShiftTLValues(values, static_cast<int>(n), shift, static_cast<int>(spacing),
                                   fieldLength);
        }
        WriteSubtractedCurve(view_, writeFields_, values, settings_.keepShift ? shift : 0.0,
                             factor);
        report_.processed.push_back(entry.record);
    }

    void ProcessOSL(const TBGDLookupEntry& entry) {
        const auto option = static_cast<TOslBackgroundOption>(settings_.oslOption);
        double rate = commonRate_;
        if (option == TOslBackgroundOption::Assigned && entry.background >= 0) {
            // Several samples share a background run: its sum is read once per run.
            auto known = backgroundSums_.find(entry.background);
            if (known == backgroundSums_.end()) {
                positions_.Goto(view_, entry.background);
                known =
                    backgroundSums_.emplace(entry.background, OwnRangeSum(WholeTimeRange(Bases())))
                        .first;
            }
            const TRangeSum sum = known->second;
            if (sum.dwellHundredths == 0) {
                Warn(entry.record, "the background range covers no channel of its background " +
                                       Name(entry.background) + "; not subtracted.");
                return;
            }
            rate = RateOf(sum);
        }
        positions_.Goto(view_, entry.record);
        if (option == TOslBackgroundOption::Assigned && entry.background < 0) {
            rate = OslBackgroundRate(view_);
        } else if (option == TOslBackgroundOption::LastChannels) {
            const TRangeSum sum = OwnRangeSum(LastChannelRange(Bases()));
            if (sum.dwellHundredths == 0) {
                Warn(entry.record, "the background range covers no channel; not subtracted.");
                return;
            }
            rate = RateOf(sum);
        }

        TFloatArray& raw = raw_;
        ReadRawCurve(view_, fields_.raw, raw);
        const TTimeBases bases = Bases();
        const std::int64_t channels = ChannelCount(raw.size());
        TFloatArray& v = values_;
        v.resize(static_cast<std::size_t>(channels));
        for (std::int64_t ch = 1; ch <= channels; ++ch) {
            const double dwell = SecondsOf(ChannelDwellHundredths(ch, bases));
            v[ch - 1] = std::max(raw[ch] - rate * dwell, 0.0);
        }
        const double factor = Normalize(v, entry.record);
        // Channel 1 goes into "Shift", channels 2 on into "Subtracted data"; values past
        // the record's channels keep what the field held.
        const double first = v.empty() ? 0.0 : v.front();
        const std::span<const double> rest =
            v.empty() ? std::span<const double>() : std::span<const double>(v).subspan(1);
        WriteSubtractedCurve(view_, writeFields_, rest, first, factor, rate);
        report_.processed.push_back(entry.record);
    }

    TBinDataSet& view_;
    const TBackgroundAssignment& assignment_;
    const TSubtractionSettings& settings_;
    TSubtractionReport& report_;
    TRecordPositions positions_;
    TSubtractionFields fields_;
    TSubtractedCurveFields writeFields_;
    TFloatArray raw_, values_;  // one record's curves, their storage kept for the next
    double commonRate_ = 0;
    std::unordered_map<std::int32_t, TRangeSum> backgroundSums_;
};

}  // namespace

TSubtractionReport SubtractBackgrounds(TBinDataSet& view, const TBackgroundAssignment& assignment,
                                       const TSubtractionSettings& settings,
                                       const std::vector<std::int32_t>& records,
                                       const TToolProgress& progress) {
    TSubtractionReport report;
    if (!settings.tlCurves && (settings.oslOption < 0 ||
                               settings.oslOption >= static_cast<int>(OslBackgroundNames().size())))
        throw TEditorError(kOslOptionOutOfRange);
    if (settings.tlCurves && assignment.Bookmarks().empty()) {
        report.warnings.push_back(kNoBackgroundRunsMessage);
        return report;
    }
    std::vector<const TBGDLookupEntry*> entries;
    for (std::int32_t id : records) {
        const TBGDLookupEntry* e = assignment.EntryFor(id);
        if (e) {
            entries.push_back(e);
        } else {
            report.skipped.push_back(id);
        }
    }
    if (entries.empty()) return report;

    TUnfilteredRun unfiltered(view);
    TSubtractionRun run(view, assignment, settings, report);
    run.Prepare();
    const int total = static_cast<int>(entries.size());
    for (int i = 0; i < total; ++i) {
        run.Process(*entries[i]);
        if (progress && !progress(i + 1, total)) {
            report.cancelled = i + 1 < total;
            break;
        }
    }
    return report;
}
