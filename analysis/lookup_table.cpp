#include "analysis/lookup_table.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <span>

#include "analysis/device_key.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_elements.h"
#include "record_store/measurement_codes.h"
#include "record_store/measurement_fields.h"

namespace {

// Field positions of a view, looked up once; -1 where the view lacks the field.
struct TFieldMap {
    explicit TFieldMap(const TBinDataSet& view) : view_(view) {}
    int Index(const char* name) const { return view_.FieldIndex(name); }
    const TBinDataSet& view_;
};

class TRecordReader {
public:
    TRecordReader(const TBinDataSet& view, int record)
        : view_(view), record_(record), data_(view.RecordAt(record).data) {}
    bool Has(int field) const { return field >= 0; }
    double Float(int field) const {
        if (field < 0) return 0;
        // The common layouts read directly; anything else through the store's codec.
        const TBinField& f = view_.Field(field);
        if (f.width == 8 && Fits(f)) {
            switch (f.type) {
                case TFieldType::Float: {
                    double v = 0;
                    std::memcpy(&v, data_.data() + f.offset, 8);
                    if constexpr (std::endian::native == std::endian::little) return v;
                    break;
                }
                default:
                    break;
            }
        }
        if (const auto v = FastInteger(f)) return static_cast<double>(*v);
        try {
            return ValueAsFloat(view_.ValueAt(record_, field));
        } catch (...) {
            return 0;
        }
    }
    int64_t Integer(int field) const {
        if (field < 0) return 0;
        if (const auto v = FastInteger(view_.Field(field))) return *v;
        try {
            return ValueAsInteger(view_.ValueAt(record_, field));
        } catch (...) {
            return 0;
        }
    }
    bool Boolean(int field) const {
        if (field < 0) return false;
        const TBinField& f = view_.Field(field);
        if (f.type == TFieldType::Boolean && f.width > 0 && Fits(f)) {
            return data_[static_cast<std::size_t>(f.offset)] != 0;
        }
        try {
            return ValueAsBoolean(view_.ValueAt(record_, field));
        } catch (...) {
            return false;
        }
    }
    std::string String(int field) const {
        if (field < 0) return {};
        try {
            return ValueAsString(view_.ValueAt(record_, field));
        } catch (...) {
            return {};
        }
    }
    std::span<const uint8_t> Bytes(int field) const {
        if (field < 0) return {};
        const TBinField& f = view_.Field(field);
        const std::vector<uint8_t>& data = data_;
        const auto offset = static_cast<std::size_t>(f.offset);
        const auto width = static_cast<std::size_t>(f.width);
        if (offset > data.size()) return {};
        return std::span<const uint8_t>(data).subspan(offset,
                                                      std::min(width, data.size() - offset));
    }

private:
    bool Fits(const TBinField& f) const {
        return f.offset >= 0 &&
               static_cast<std::size_t>(f.offset) + static_cast<std::size_t>(f.width) <=
                   data_.size();
    }
    // INTEGER of 4 bytes and WORD of 2, little-endian, as the store decodes them.
    std::optional<int64_t> FastInteger(const TBinField& f) const {
        if (!Fits(f)) return std::nullopt;
        const uint8_t* p = data_.data() + f.offset;
        if (f.type == TFieldType::Integer && f.width == 4) {
            const uint32_t u = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                               static_cast<uint32_t>(p[2]) << 16 |
                               static_cast<uint32_t>(p[3]) << 24;
            return static_cast<int64_t>(static_cast<int32_t>(u));
        }
        if (f.type == TFieldType::Word && f.width == 2) {
            return static_cast<int64_t>(p[0] | p[1] << 8);
        }
        return std::nullopt;
    }
    const TBinDataSet& view_;
    int record_;
    const std::vector<uint8_t>& data_;
};

struct TFields {
    explicit TFields(const TBinDataSet& v) {
        using namespace fields;
        auto at = [&](const char* name) { return v.FieldIndex(name); };
        run = at(kRun), disk = at(kDisk), hole = at(kHole), natTL = at(kNatTL);
        tlRun = at(kTLRun), single = at(kSingleAliquot), shortShine = at(kShortShine);
        beforeIrrad = at(kBeforeIrrad), normalization = at(kNormalization), ramp = at(kRamp);
        power = at(kPower), tb[0] = at(kTimeBase10), tb[1] = at(kTimeBase100);
        tb[2] = at(kTimeBase1000), tb[3] = at(kTimeBase10000);
        tempHi = at(kSampleTempHi), temp = at(kSampleTemp), oslBgd = at(kOslBgd);
        bleachTime = at(kBleachTime), bleachFilter = at(kBleachFilter);
        alphaTime = at(kAlphaTime), alphaRate = at(kAlphaRate), alphaUnit = at(kAlphaUnit);
        betaTime = at(kBetaTime), betaRate = at(kBetaRate), betaUnit = at(kBetaUnit);
        gammaTime = at(kGammaTime), gammaRate = at(kGammaRate), gammaUnit = at(kGammaUnit);
        irradTime = at(kIrradiatingTime), doseRate = at(kDoseRate);
        doseRateUnit = at(kDoseRateUnit), irradiator = at(kIrradiator);
        irradDate = at(kIrradDate), shift = at(kShift), npt = at(kNpt), spacing = at(kSpacing);
        devNo = at(kDevNo), maxPoint = at(kMaxPoint), raw = at(kRawData);
        subtracted = at(kSubtractedData), second = at(kSecond);
    }
    int run, disk, hole, natTL, tlRun, single, shortShine, beforeIrrad, normalization, ramp, power,
        tb[4], tempHi, temp, oslBgd, bleachTime, bleachFilter, alphaTime, alphaRate, alphaUnit,
        betaTime, betaRate, betaUnit, gammaTime, gammaRate, gammaUnit, irradTime, doseRate,
        doseRateUnit, irradiator, irradDate, shift, npt, spacing, devNo, maxPoint, raw, subtracted,
        second;
};

std::string Trimmed(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

std::string UnitOf(const std::string& rateUnit) {
    std::string unit = Trimmed(rateUnit);
    unit = unit.substr(0, unit.find('/'));
    if (unit.size() > 7) unit.resize(7);
    return unit;
}

int32_t ClampToInt(double x) {
    if (!std::isfinite(x)) return 0;
    return static_cast<int32_t>(std::clamp(RoundHalfEven(x), -2147483648.0, 2147483647.0));
}

int32_t ClampToInt(int64_t x) {
    return static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX));
}

void ReadDevice(const TRecordReader& r, const TFields& f, TLookupRecord& e) {
    TDeviceKey& key = e.Key;
    key.Device = ClampToInt(r.Integer(f.devNo) / 100);
    if (key.Device == 0) {
        key.Spacing = ClampToInt(r.Integer(f.spacing));
        key.EndTemp = ClampToInt((r.Integer(f.npt) + 1) * r.Integer(f.spacing));
        key.Ramp = ClampToInt(r.Float(f.ramp));
    } else if (IsOslDevice(key)) {
        key.Spacing = 1;
        key.SampleTemp = ClampToInt(r.Integer(f.tempHi) * 256 + r.Integer(f.temp));
        for (int i = 0; i < 4; ++i) {
            key.TimeBase[i] =
                static_cast<uint16_t>(std::clamp<int64_t>(r.Integer(f.tb[i]), 0, 65535));
        }
        if (f.power >= 0) {
            // "Power" is already stored on the 0..255 scale.
            key.Power = ClampToInt(r.Integer(f.power));
        } else if (f.ramp >= 0) {
            // Percent to the 0..255 scale as 255 / 100, so whole percentages round as
            // written (90 % is 229.5 and becomes 230, never 229.49999...).
            key.Power = ClampToInt(r.Float(f.ramp) * 255.0 / 100.0);
        }
        if (key.Device >= 40) key.PowerM = key.Power;
    }
}

void ReadIrradiation(const TRecordReader& r, const TFields& f, TViewKind kind, TIrradiation& irr) {
    irr.IrradDate = r.Float(f.irradDate);
    if (kind == TViewKind::Sad) {
        const double dose = r.Float(f.irradTime) * r.Float(f.doseRate);
        if (dose > 0) {
            irr.Dose = dose;
            const std::string who = Trimmed(r.String(f.irradiator));
            const char c =
                who.empty() ? '\0'
                            : static_cast<char>(std::toupper(static_cast<unsigned char>(who[0])));
            irr.Radiation = c == 'A'                                         ? TRadiation::Alpha
                            : (c == 'B' || c == 'H' || c == 'L' || c == 'X') ? TRadiation::Beta
                            : c == 'G'                                       ? TRadiation::Gamma
                                                                             : TRadiation::None;
            irr.DoseUnit = UnitOf(r.String(f.doseRateUnit));
        }
        return;
    }
    const struct {
        int time, rate, unit;
        TRadiation radiation;
    } sources[] = {{f.alphaTime, f.alphaRate, f.alphaUnit, TRadiation::Alpha},
                   {f.betaTime, f.betaRate, f.betaUnit, TRadiation::Beta},
                   {f.gammaTime, f.gammaRate, f.gammaUnit, TRadiation::Gamma}};
    for (const auto& s : sources) {
        const double dose = r.Float(s.time) * r.Float(s.rate);
        if (dose > 0) {
            irr.Dose = dose;
            irr.Radiation = s.radiation;
            irr.DoseUnit = UnitOf(r.String(s.unit));
            return;
        }
    }
}

// Little-endian doubles of a curve field into curve[first...]; a plain copy where the
// machine's doubles are little-endian too.
void DecodeDoubles(std::span<const uint8_t> bytes, int count, TFloatArray& curve,
                   std::size_t first) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(curve.data() + first, bytes.data(), static_cast<std::size_t>(count) * 8);
    } else {
        DecodeCurveElements(bytes.data(), bytes.size(), TCurveElementType::Double, count, curve,
                            first);
    }
}

void ReadCurve(const TRecordReader& r, const TFields& f, TViewKind kind, TLookupRecord& e) {
    TFloatArray& curve = e.Curve;
    if (kind == TViewKind::Sad && f.subtracted >= 0) {
        const auto bytes = r.Bytes(f.subtracted);
        const int available = static_cast<int>(bytes.size() / 4);
        const int maxPoint =
            static_cast<int>(std::clamp<int64_t>(r.Integer(f.maxPoint), 0, available));
        curve.assign(static_cast<std::size_t>(maxPoint) + 1, 0.0);
        DecodeCurveElements(bytes.data(), bytes.size(), TCurveElementType::Single, maxPoint, curve,
                            1);
    } else if (f.subtracted >= 0) {
        const auto bytes = r.Bytes(f.subtracted);
        const int count = static_cast<int>(bytes.size() / 8);
        curve.assign(static_cast<std::size_t>(count) + 2, 0.0);
        DecodeDoubles(bytes, count, curve, 2);
    } else {
        const auto bytes = r.Bytes(f.raw);
        const int count = static_cast<int>(bytes.size() / 8);
        curve.assign(static_cast<std::size_t>(count), 0.0);
        DecodeDoubles(bytes, count, curve, 0);
    }
    if (kind != TViewKind::Sad && e.Key.Device >= 20 && f.shift >= 0 && curve.size() > 1) {
        curve[1] = r.Float(f.shift);
    }
}

// Last curve index in use, and the check of the OSL channel counts against "NPT".
void SetLastChannel(const TRecordReader& r, const TFields& f, TViewKind kind, TLookupRecord& e) {
    TFloatArray& curve = e.Curve;
    if (e.Key.Device < 20) {
        int last = static_cast<int>(curve.size()) - 1;
        while (last > 0 && curve[static_cast<std::size_t>(last)] == 0) --last;
        e.LastChannel = std::max(last, 0);
        return;
    }
    const int64_t npt = r.Integer(f.npt);
    e.LastChannel = ClampToInt(npt);
    if (kind == TViewKind::Sad || !IsOslDevice(e.Key)) return;
    const int64_t sum = OslChannelCount(e.Key);
    if (sum == npt) return;
    int longest = 0;
    for (int i = 3; i >= 0; --i) {
        if (e.Key.TimeBase[i] != 0) {
            longest = e.Key.TimeBase[i];
            break;
        }
    }
    if (sum == npt + 1 && longest > 1) {
        e.LastChannel = static_cast<int32_t>(sum);
        const auto at = static_cast<std::size_t>(sum);
        if (at < curve.size() && at >= 1) curve[at] = curve[at - 1];
        return;
    }
    e.Accepted = false;
}

bool Passes(const TRecordReader& r, const TFields& f, TViewKind kind) {
    switch (kind) {
        case TViewKind::Dat:
            return !r.Boolean(f.second) &&
                   ((r.Boolean(f.tlRun) && !r.Boolean(f.normalization)) || r.Boolean(f.single));
        case TViewKind::Das:
            return r.Boolean(f.single) && !r.Boolean(f.second);
        case TViewKind::Sad:
            return r.Boolean(f.shortShine) && r.Boolean(f.tlRun);
        default:
            return false;
    }
}

}  // namespace

std::string MethodLongName(int method) {
    static const char* const names[kMethodCount] = {
        "Additive growth curve", "Regen growth curve",     "Total bleach",
        "Partial bleach",        "Second glow intercept",  "Alpha efficiency",
        "Alpha growth curve",    "Additive/Regen - Slide", "First/Second glow - Ceramic",
        "SA Additive",           "SA Regenerative"};
    return method >= 0 && method < kMethodCount ? names[method] : std::string();
}

bool PassesGrowthFilter(const TBinDataSet& view, TViewKind kind, int recordIndex) {
    return Passes(TRecordReader(view, recordIndex), TFields(view), kind);
}

uint8_t IrradiationClass(const TLookupRecord& e, bool beforeIrrad) {
    if (e.Irradiation.Radiation == TRadiation::None) return kNotIrradiated;
    if (!e.Natural) return kDoseWithoutNatural;
    return e.Bleaching.BleachTime > 0 && beforeIrrad ? kRegenerated : kNaturalPlusDose;
}

uint16_t MethodBits(const TLookupRecord& e, TViewKind kind, bool second, bool shortShine) {
    const bool natural = e.Natural;
    const double dose = e.Irradiation.Dose;
    const double bleach = e.Bleaching.BleachTime;
    uint16_t m = 0;
    auto has = [&m](int bit) { return (m & MethodBit(bit)) != 0; };
    if (kind == TViewKind::Sad) {
        if (natural && bleach == 0) m |= MethodBit(kAdditiveGrowth);
        if (shortShine) m |= MethodBit(kSaAdditive);
        if (e.NormRecord) m |= kNormalizationBit;
        return static_cast<uint16_t>(m | kMeasurementBit);
    }
    if (second) return 0;
    if (natural && bleach == 0) m |= MethodBit(kAdditiveGrowth);
    if (natural && (e.IrradClass == kNotIrradiated || e.IrradClass == kRegenerated)) {
        m |= e.SingleAliquot ? kSingleAliquotRegenBit : MethodBit(kRegenGrowth);
    }
    if (!natural && dose > 0) m |= MethodBit(kSecondGlowIntercept);
    if (has(kAdditiveGrowth) || (natural && dose == 0 && bleach > 0)) m |= MethodBit(kTotalBleach);
    if (has(kTotalBleach) || (natural && e.IrradClass == kNaturalPlusDose)) {
        m |= MethodBit(kPartialBleach);
    }
    if (has(kAdditiveGrowth) && !has(kSecondGlowIntercept)) m |= MethodBit(kAlphaEfficiency);
    if (has(kAdditiveGrowth) || has(kSecondGlowIntercept)) m |= MethodBit(kFirstSecondGlowCeramic);
    if (has(kAdditiveGrowth) && e.Irradiation.Radiation == TRadiation::Alpha) {
        m |= MethodBit(kAlphaGrowth);
    }
    if (has(kAdditiveGrowth) || has(kRegenGrowth)) m |= MethodBit(kAdditiveRegenSlide);
    if ((m & kSingleAliquotRegenBit) && e.SingleAliquot) m |= MethodBit(kSaRegenerative);
    if (e.NormRecord) m |= kNormalizationBit;
    return static_cast<uint16_t>(m | kMeasurementBit);
}

TLookupTable BuildLookupTable(const TBinDataSet& view, TViewKind kind,
                              const TDateTimeText& dateText, const TTableProgress& progress,
                              bool* cancelled) {
    TLookupTable table;
    if (cancelled) *cancelled = false;
    if (kind == TViewKind::General || !view.Active()) return table;
    const TFields f(view);
    const int count = view.RecordCount();
    // Most records share their irradiation date: its text is made once per date.
    double lastDate = std::numeric_limits<double>::quiet_NaN();
    std::string lastDateText;
    const TDateTimeText cachedDateText = [&](double date) {
        if (!(date == lastDate)) {
            lastDate = date;
            lastDateText = dateText(date);
        }
        return lastDateText;
    };
    table.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        if (progress && i % 1024 == 0 && i > 0 && !progress(i, count)) {
            if (cancelled) *cancelled = true;
            return table;
        }
        const TRecordReader r(view, i);
        if (!Passes(r, f, kind)) continue;
        TLookupRecord e;
        e.Ordinal = static_cast<int32_t>(table.size());
        e.Run = ClampToInt(r.Integer(f.run));
        e.Disk = ClampToInt(r.Integer(f.disk));
        e.HoleKey = f.hole >= 0 ? ClampToInt(255 - r.Integer(f.hole)) : 0;
        e.TLRun = r.Boolean(f.tlRun);
        e.Natural = r.Boolean(f.natTL);
        e.NormRecord = r.Boolean(f.normalization);
        e.SingleAliquot = r.Boolean(f.single);
        ReadDevice(r, f, e);
        e.Bleaching.BleachTime = r.Float(f.bleachTime);
        if (e.Bleaching.BleachTime > 0) {
            e.Bleaching.BleachFilter = Trimmed(r.String(f.bleachFilter));
            if (e.Bleaching.BleachFilter.size() > 7) e.Bleaching.BleachFilter.resize(7);
        }
        ReadIrradiation(r, f, kind, e.Irradiation);
        e.IrradClass = IrradiationClass(e, r.Boolean(f.beforeIrrad));
        e.Methods = MethodBits(e, kind, r.Boolean(f.second), r.Boolean(f.shortShine));
        e.Description = RecordDescription(e, cachedDateText);
        e.RecordIndex = i;
        e.Bookmark = view.RecordAt(i).id;
        e.SadLayout = kind == TViewKind::Sad;
        e.OslBgdWord = static_cast<uint16_t>(std::clamp<int64_t>(r.Integer(f.oslBgd), 0, 65535));
        ReadCurve(r, f, kind, e);
        SetLastChannel(r, f, kind, e);
        table.push_back(std::move(e));
    }
    if (progress) progress(count, count);
    return table;
}

bool HasTLNormRecords(const TLookupTable& table) {
    int n = 0;
    for (const TLookupRecord& e : table) {
        if (e.Key.Device == 0 && e.TLRun && e.NormRecord && ++n >= 2) return true;
    }
    return false;
}

bool HasCurveData(const TLookupTable& table) {
    for (const TLookupRecord& e : table) {
        for (std::size_t i = 0; i < e.Curve.size(); ++i) {
            if (i == 1 && e.Key.Device >= 20) continue;
            if (e.Curve[i] != 0) return true;
        }
    }
    return false;
}
