#include "analysis/fading_test.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>

#include "analysis/device_key.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_elements.h"
#include "record_store/measurement_fields.h"

namespace {

// Sums of one group, index by index.
struct TAccumulator {
    std::vector<double> Sum, SumOfSquares;
    int Count = 0;
    void Add(std::size_t at, double v) {
        if (at >= Sum.size()) {
            Sum.resize(at + 1, 0.0);
            SumOfSquares.resize(at + 1, 0.0);
        }
        Sum[at] += v;
        SumOfSquares[at] += v * v;
    }
    TFadingMean MeanAt(std::size_t at) const {
        if (at >= Sum.size()) return {};
        return FadingMean(Sum[at], SumOfSquares[at], Count);
    }
};

// Highest index with a value other than 0; 0 when all are 0.
int LastNonZero(const std::vector<double>& v) {
    int last = static_cast<int>(v.size()) - 1;
    while (last > 0 && v[static_cast<std::size_t>(last)] == 0) --last;
    return std::max(last, 0);
}

// Adds the curves of one group; `length` (entries in use, -1 before the first curve) shrinks
// to the shortest curve + 3. Entry 1 holds the OSL "Shift", entries 2... the values.
void Accumulate(const std::vector<TFadingCurve>& curves, bool tl, int& length,
                TAccumulator& group) {
    for (const TFadingCurve& c : curves) {
        if (c.Values.empty()) continue;
        const int last = LastNonZero(c.Values);
        length = length < 0 ? last + 3 : std::min(length, last + 3);
        if (!tl) group.Add(1, c.Shift);
        for (int j = 0; j <= length - 3; ++j)
            group.Add(static_cast<std::size_t>(j) + 2, c.Values[static_cast<std::size_t>(j)]);
        ++group.Count;
    }
}

int FieldOf(const TBinDataSet& view, const char* name) {
    return view.FieldIndex(name);
}

template <typename T, typename F>
T Read(const TBinDataSet& view, int record, int field, F convert, T fallback = T()) {
    if (field < 0) return fallback;
    try {
        return convert(view.ValueAt(record, field));
    } catch (...) {
        return fallback;
    }
}

double ReadFloat(const TBinDataSet& view, int record, const char* name) {
    return Read<double>(view, record, FieldOf(view, name), ValueAsFloat);
}
int64_t ReadInteger(const TBinDataSet& view, int record, const char* name) {
    return Read<int64_t>(view, record, FieldOf(view, name), ValueAsInteger);
}
bool ReadBoolean(const TBinDataSet& view, int record, const char* name) {
    return Read<bool>(view, record, FieldOf(view, name), ValueAsBoolean);
}
std::string ReadString(const TBinDataSet& view, int record, const char* name) {
    return Read<std::string>(view, record, FieldOf(view, name), ValueAsString);
}

int32_t ClampToInt(double x) {
    if (!std::isfinite(x)) return 0;
    return static_cast<int32_t>(std::clamp(RoundHalfEven(x), -2147483648.0, 2147483647.0));
}

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

// "Irrad date" as the grid shows it; empty when the view has no such field.
std::string DateText(const TBinDataSet& view, int recordIndex, const TFadingTexts& texts) {
    if (view.FieldIndex(fields::kIrradDate) < 0) return {};
    try {
        return presentation::TViewRecordValues(view, texts.Kind, recordIndex, texts.Locale)
            .Text(fields::kIrradDate);
    } catch (...) {
        return {};
    }
}

}  // namespace

TFadingMean FadingMean(double sum, double sumOfSquares, int n) {
    if (n <= 0) return {};
    TFadingMean m;
    m.Mean = std::fabs(sum) / n;
    const double variance = sumOfSquares / n - m.Mean * m.Mean;
    if (m.Mean * 1e-10 >= variance || n < 2)
        m.Deviation = std::sqrt(m.Mean / n);
    else
        m.Deviation = std::sqrt(variance / (n - 1));  // s / sqrt(n), s the sample deviation
    return m;
}

std::string FadingMessage(TFadingCode code) {
    switch (code) {
        case TFadingCode::Ok:
            return {};
        case TFadingCode::EmptyList:
            return "Both lists need records.";
        case TFadingCode::NoFadedData:
            return "No faded record has curve data.";
        case TFadingCode::NoFreshData:
            return "No fresh record has curve data.";
        case TFadingCode::ZeroSpacing:
            return "The faded records have no temperature spacing (\"Spacing\" 0).";
    }
    return {};
}

TFadingResult ComputeFading(const std::vector<TFadingCurve>& faded,
                            const std::vector<TFadingCurve>& fresh) {
    TFadingResult result;
    if (faded.empty() || fresh.empty()) return result;
    const auto first = std::find_if(faded.begin(), faded.end(),
                                    [](const TFadingCurve& c) { return !c.Values.empty(); });
    if (first == faded.end()) {
        result.Code = TFadingCode::NoFadedData;
        return result;
    }
    result.Tl = first->Tl;
    result.Step = result.Tl ? first->Spacing : 1;
    if (result.Step <= 0) {
        result.Code = TFadingCode::ZeroSpacing;
        return result;
    }

    int length = -1;
    TAccumulator fadedSums, freshSums;
    Accumulate(faded, result.Tl, length, fadedSums);
    Accumulate(fresh, result.Tl, length, freshSums);
    result.FadedCount = fadedSums.Count;
    result.FreshCount = freshSums.Count;
    if (freshSums.Count == 0) {
        result.Code = TFadingCode::NoFreshData;
        return result;
    }

    // x of index p: the temperature (p + 1) x spacing for TL, the channel p for OSL.
    result.Points.assign(static_cast<std::size_t>(length), TPlateauElement{});
    for (int p = result.Tl ? 2 : 1; p < length; ++p) {
        const auto at = static_cast<std::size_t>(p);
        TPlateauElement& e = result.Points[at];
        e.Index = p;
        e.X = static_cast<double>(p) * result.Step + (result.Tl ? result.Step : 0);
        const TFadingMean f = fadedSums.MeanAt(at);
        const TFadingMean r = freshSums.MeanAt(at);
        // A mean of 0 has no ratio (nor a relative error).
        if (f.Mean == 0 || r.Mean == 0) continue;
        e.Value = f.Mean / r.Mean;
        e.Error = e.Value *
                  std::sqrt(std::pow(r.Deviation / r.Mean, 2) + std::pow(f.Deviation / f.Mean, 2));
        e.State = kPlateauValid;
    }
    // TL results start at 200 degC (the index g - 1 with g = 200 div spacing), OSL ones at
    // channel 1.
    const int g = result.Tl ? 200 / result.Step : 2;
    const auto drop = static_cast<std::size_t>(std::clamp(g - 1, 0, length));
    result.Points.erase(result.Points.begin(),
                        result.Points.begin() + static_cast<std::ptrdiff_t>(drop));
    result.Code = TFadingCode::Ok;
    return result;
}

std::optional<TFadingCurve> ReadFadingCurve(const TBinDataSet& view, int recordIndex) {
    if (recordIndex < 0 || recordIndex >= view.RecordCount()) return std::nullopt;
    const int field = view.FieldIndex(fields::kSubtractedData);
    if (field < 0) return std::nullopt;
    const TBinField& f = view.Field(field);
    const std::vector<uint8_t>& data = view.RecordAt(recordIndex).data;
    if (f.offset < 0 || f.width <= 0 || static_cast<std::size_t>(f.offset) >= data.size())
        return std::nullopt;
    const std::size_t bytes = std::min(static_cast<std::size_t>(f.width),
                                       data.size() - static_cast<std::size_t>(f.offset));
    const int count = static_cast<int>(bytes / 8);
    if (count == 0) return std::nullopt;
    TFadingCurve curve;
    curve.Values.assign(static_cast<std::size_t>(count), 0.0);
    DecodeCurveElements(data.data() + f.offset, bytes, TCurveElementType::Double, count,
                        curve.Values, 0);
    curve.Tl = ReadInteger(view, recordIndex, fields::kDevNo) / 1000 == 0;
    curve.Spacing = static_cast<int32_t>(ReadInteger(view, recordIndex, fields::kSpacing));
    curve.Shift = ReadFloat(view, recordIndex, fields::kShift);
    return curve;
}

std::string FadingRecordsProblem(const TBinDataSet& view, const std::vector<int32_t>& fadedIds,
                                 const std::vector<int32_t>& freshIds) {
    std::vector<int> seen;
    std::optional<bool> firstTl;
    int firstNumber = 0;
    for (const std::vector<int32_t>* ids : {&fadedIds, &freshIds}) {
        for (int32_t id : *ids) {
            const int at = view.IndexOfId(id);
            if (at < 0) continue;
            const std::string record = "Record " + std::to_string(at + 1);
            if (std::find(seen.begin(), seen.end(), at) != seen.end())
                return record + " is listed twice.";
            seen.push_back(at);
            if (!ReadBoolean(view, at, fields::kTLRun))
                return record + " is a background run, not a measurement to compare.";
            const std::optional<TFadingCurve> curve = ReadFadingCurve(view, at);
            const bool data =
                curve && std::any_of(curve->Values.begin(), curve->Values.end(),
                                     [](double v) { return v != 0; });
            if (!data) {
                return record +
                       " has no subtracted curve data: run background subtraction first.";
            }
            if (!firstTl) {
                firstTl = curve->Tl;
                firstNumber = at + 1;
            } else if (*firstTl != curve->Tl) {
                return record + (curve->Tl ? " is a TL record" : " is an OSL record") +
                       ", record " + std::to_string(firstNumber) +
                       (*firstTl ? " a TL record" : " an OSL record") + ": TL and OSL mixed.";
            }
        }
    }
    return {};
}

TFadingResult CheckFading(const TBinDataSet& view, const std::vector<int32_t>& fadedIds,
                          const std::vector<int32_t>& freshIds) {
    auto read = [&view](const std::vector<int32_t>& ids) {
        std::vector<TFadingCurve> curves;
        for (int32_t id : ids) {
            const int at = view.IndexOfId(id);
            if (at < 0) continue;
            if (std::optional<TFadingCurve> c = ReadFadingCurve(view, at))
                curves.push_back(std::move(*c));
        }
        return curves;
    };
    if (fadedIds.empty() || freshIds.empty()) return {};
    const std::vector<TFadingCurve> faded = read(fadedIds);
    if (faded.empty()) {
        TFadingResult r;
        r.Code = TFadingCode::NoFadedData;
        return r;
    }
    std::vector<TFadingCurve> fresh = read(freshIds);
    if (fresh.empty()) {
        TFadingResult r;
        r.Code = TFadingCode::NoFreshData;
        r.FadedCount = static_cast<int>(faded.size());
        return r;
    }
    return ComputeFading(faded, fresh);
}

TFadingRecord ReadFadingRecord(const TBinDataSet& view, int recordIndex,
                               const TFadingTexts& texts) {
    using namespace fields;
    TFadingRecord r;
    r.TLRun = ReadBoolean(view, recordIndex, kTLRun);
    r.Natural = ReadBoolean(view, recordIndex, kNatTL);
    r.AlphaDose =
        ReadFloat(view, recordIndex, kAlphaTime) * ReadFloat(view, recordIndex, kAlphaRate);
    r.BetaDose = ReadFloat(view, recordIndex, kBetaTime) * ReadFloat(view, recordIndex, kBetaRate);
    r.GammaDose =
        ReadFloat(view, recordIndex, kGammaTime) * ReadFloat(view, recordIndex, kGammaRate);
    r.DateText = DateText(view, recordIndex, texts);
    r.DeviceText = DeviceText(FadingDeviceKey(view, recordIndex));
    return r;
}

bool PassesFadingFilter(const TFadingRecord& r, const TFadingFilter& filter) {
    if (!r.TLRun) return false;
    if (!filter.Date.empty() && r.DateText != filter.Date) return false;
    if (!filter.Device.empty() && r.DeviceText != filter.Device) return false;
    const bool anyBox = filter.NaturalPlusDose || filter.DoseOnly || filter.NoIrradiation ||
                        filter.Alpha || filter.Beta || filter.Gamma;
    if (!anyBox) return true;
    bool irradiated = false;
    if (!filter.Alpha && !filter.Beta && !filter.Gamma)
        irradiated = r.AlphaDose > 0 || r.BetaDose > 0 || r.GammaDose > 0;
    else if (filter.Alpha)
        irradiated = r.AlphaDose > 0;
    else if (filter.Beta)
        irradiated = r.BetaDose > 0;
    else
        irradiated = r.GammaDose > 0;
    if (filter.NoIrradiation) return !irradiated;
    return (filter.NaturalPlusDose && r.Natural && irradiated) ||
           (filter.DoseOnly && !r.Natural && irradiated);
}

bool PassesFadingFilter(const TBinDataSet& view, int recordIndex, const TFadingFilter& filter,
                        const TFadingTexts& texts) {
    using namespace fields;
    if (!ReadBoolean(view, recordIndex, kTLRun)) return false;
    if (!filter.Device.empty() && DeviceText(FadingDeviceKey(view, recordIndex)) != filter.Device)
        return false;
    if (!filter.Date.empty() && DateText(view, recordIndex, texts) != filter.Date) return false;
    // What is left to decide: the irradiation.
    TFadingRecord r;
    r.TLRun = true;
    r.DateText = filter.Date;
    r.DeviceText = filter.Device;
    const bool anyBox = filter.NaturalPlusDose || filter.DoseOnly || filter.NoIrradiation ||
                        filter.Alpha || filter.Beta || filter.Gamma;
    if (anyBox) {
        r.Natural = ReadBoolean(view, recordIndex, kNatTL);
        r.AlphaDose =
            ReadFloat(view, recordIndex, kAlphaTime) * ReadFloat(view, recordIndex, kAlphaRate);
        r.BetaDose =
            ReadFloat(view, recordIndex, kBetaTime) * ReadFloat(view, recordIndex, kBetaRate);
        r.GammaDose =
            ReadFloat(view, recordIndex, kGammaTime) * ReadFloat(view, recordIndex, kGammaRate);
    }
    return PassesFadingFilter(r, filter);
}

TDeviceKey FadingDeviceKey(const TBinDataSet& view, int recordIndex) {
    using namespace fields;
    TDeviceKey key;
    key.Device = static_cast<int32_t>(ReadInteger(view, recordIndex, kDevNo) / 100);
    if (IsTLDevice(key)) {
        key.Spacing = static_cast<int32_t>(ReadInteger(view, recordIndex, kSpacing));
        key.EndTemp =
            static_cast<int32_t>((ReadInteger(view, recordIndex, kNpt) + 1) * key.Spacing);
        key.Ramp = ClampToInt(ReadFloat(view, recordIndex, kRamp));
    } else if (IsOslDevice(key)) {
        key.Spacing = 1;
        key.SampleTemp = static_cast<int32_t>(ReadInteger(view, recordIndex, kSampleTempHi) * 256 +
                                              ReadInteger(view, recordIndex, kSampleTemp));
        const char* bases[] = {kTimeBase10, kTimeBase100, kTimeBase1000, kTimeBase10000};
        for (int i = 0; i < 4; ++i)
            key.TimeBase[static_cast<std::size_t>(i)] = static_cast<uint16_t>(
                std::clamp<int64_t>(ReadInteger(view, recordIndex, bases[i]), 0, 65535));
        // Percent to the 0..255 scale as 255 / 100, as the growth-curve lists do: 90 % is
        // exactly 229.5 and rounds to 230 (x 2.55 gives 229.4999... and 229).
        key.Power = ClampToInt(ReadFloat(view, recordIndex, kRamp) * 255.0 / 100.0);
        key.PowerM = 0;
    }
    return key;
}

std::vector<std::string> FadingDateList(const TBinDataSet& view, const TFadingTexts& texts) {
    std::set<std::string> dates;
    if (view.FieldIndex(fields::kIrradDate) >= 0) {
        // Records mostly share their dates: each stored value is made a text once.
        std::set<double> seen;
        for (int i = 0; i < view.RecordCount(); ++i)
            if (seen.insert(ReadFloat(view, i, fields::kIrradDate)).second)
                dates.insert(DateText(view, i, texts));
    }
    std::vector<std::string> list(dates.begin(), dates.end());
    list.push_back("any irrad date");
    return list;
}

std::vector<TDeviceEntry> FadingDeviceList(const TBinDataSet& view) {
    std::vector<TDeviceEntry> list;
    for (int i = 0; i < view.RecordCount(); ++i) {
        const TDeviceKey key = FadingDeviceKey(view, i);
        std::string text = DeviceText(key);
        if (text.empty()) continue;
        const bool known = std::any_of(list.begin(), list.end(),
                                       [&](const TDeviceEntry& d) { return d.Text == text; });
        if (!known) list.push_back({std::move(text), key});
    }
    std::stable_sort(list.begin(), list.end(), [](const TDeviceEntry& a, const TDeviceEntry& b) {
        return CompareDeviceKeys(a.Key, b.Key) < 0;
    });
    return list;
}

std::string FadingInfoText(const std::string& info) {
    std::string text = Trimmed(ReplaceAll(info, " + ", "+"));
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (lower.compare(i, 6, "bleach") == 0) {
            out += "BL";
            i += 6;
        } else {
            out += text[i++];
        }
    }
    const std::size_t open = out.find('(');
    if (open != std::string::npos) {
        const std::size_t close = out.find(')', open);
        out.erase(open, close == std::string::npos ? std::string::npos : close - open + 1);
    }
    return out;
}

std::string FadingItemText(const TBinDataSet& view, int recordIndex, const TFadingTexts& texts) {
    std::string info;
    try {
        info = presentation::TViewRecordValues(view, texts.Kind, recordIndex, texts.Locale)
                   .Calculated()
                   .info;
    } catch (...) {
        // A record the view cannot describe is listed by its numbers alone.
    }
    return "r# " + std::to_string(ReadInteger(view, recordIndex, fields::kRun)) + " d# " +
           std::to_string(ReadInteger(view, recordIndex, fields::kDisk)) + "; " +
           FadingInfoText(info) + "; " + DateText(view, recordIndex, texts);
}
