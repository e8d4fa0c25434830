#include "tools/binx_conversion.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include "tools/curve_rebinning.h"

namespace {

bool IsIR(const TBinxRecord& r) {
    return r.lumType == kBinxIRSL || r.lightSource == kBinxIRDiodes ||
           r.lightSource == kBinxIRLaser;
}

// The "Dev#" of a measurement our records can hold; nullopt for the kinds they cannot (scans,
// time-resolved and ramped stimulation, radioluminescence, XRF, user-defined).
std::optional<int> DeviceOf(const TBinxRecord& r) {
    switch (r.lumType) {
        case kBinxTL:
            return kImportTLDevice;
        case kBinxOSL:
        case kBinxIRSL:
        case kBinxPOSL:
        case kBinxSGOSL:
            break;
        default:
            return std::nullopt;
    }
    if (IsIR(r)) return kImportIRDevice;
    switch (r.lightSource) {
        case kBinxGreenLaser:
            return kImportGreenDevice;
        case kBinxWhiteLight:
            return kImportWhiteDevice;
        case kBinxLamp:
            return kImportLampDevice;
        case kBinxCalibrationLed:
            return kImportLedDevice;
        default:
            return r.lumType == kBinxSGOSL ? kImportGreenDevice : kImportBlueDevice;
    }
}

const char* KindName(uint8_t lumType) {
    static const char* const names[] = {"TL",   "OSL", "IRSL", "M-IR",  "M-VIS", "TOL", "TRPOSL",
                                        "RIR",  "RBR", "USER", "POSL",  "SGOSL", "RL",  "XRF"};
    return lumType < 14 ? names[lumType] : "unknown";
}

// DATE "ddmmyy"; the year digits are not to be trusted, but they are all there is. Years
// 00-27 are 2000-2027, the others 1928-1999 (the record files hold 1900-2027).
std::optional<TDate> ParseDate(const std::string& text) {
    if (text.size() < 6) return std::nullopt;
    for (int i = 0; i < 6; ++i)
        if (text[static_cast<std::size_t>(i)] < '0' || text[static_cast<std::size_t>(i)] > '9')
            return std::nullopt;
    const auto two = [&](int at) {
        return (text[static_cast<std::size_t>(at)] - '0') * 10 +
               (text[static_cast<std::size_t>(at) + 1] - '0');
    };
    const int yy = two(4);
    TDate d{yy <= 27 ? 2000 + yy : 1900 + yy, two(2), two(0)};
    if (!IsValidDate(d)) return std::nullopt;
    return d;
}

std::string Remark(const TBinxRecord& r) {
    std::string text = r.sample;
    while (!text.empty() && text.back() == ' ') text.pop_back();
    text += (text.empty() ? "set " : " set ") + std::to_string(r.set);
    if (!r.comment.empty()) text += " " + r.comment;
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 32) c = ' ';
    if (text.size() > 41) text.resize(41);
    return text;
}

struct TShape {
    double total, width;
    bool operator<(const TShape& o) const { return std::tie(total, width) < std::tie(o.total, o.width); }
};

}  // namespace

TBinxConversion ConvertBinxRecords(const std::vector<TBinxRecord>& records,
                                   const TBinxImportOptions& options) {
    TBinxConversion out;
    std::map<std::string, int> skippedKinds;
    int empty = 0, roi = 0, badRange = 0, cut = 0;
    bool anySelected = false, anyDeselected = false;

    // 1. The measurements our records can hold, with their curves.
    struct TSource {
        const TBinxRecord* record;
        TImportedMeasurement m;
        double shineSeconds = 0;
    };
    std::vector<TSource> kept;
    std::map<TShape, TTimeBases> layouts;  // the search is costly; shapes repeat
    for (const TBinxRecord& r : records) {
        if (r.recordType == kBinxRoiRecord) {
            ++roi;
            continue;
        }
        if (r.npoints == 0 || r.counts.empty()) {
            ++empty;
            continue;
        }
        const std::optional<int> device = DeviceOf(r);
        if (!device) {
            ++skippedKinds[KindName(r.lumType)];
            continue;
        }
        const double low = r.low, high = r.high;
        if (!std::isfinite(low) || !std::isfinite(high) || !(high > low) ||
            (*device == kImportTLDevice && !(high > 0)) || high > 1e6 || low < -1e6) {
            ++badRange;
            continue;
        }
        TSource s{&r, {}, 0};
        TImportedMeasurement& m = s.m;
        m.sourceRecord = r.number;
        m.run = r.run;
        m.disk = r.position;
        m.set = r.set;
        m.hole = r.grain;
        m.device = *device;
        m.tl = *device == kImportTLDevice;
        m.sampleRun = r.dataType != kBinxBackground;
        m.remark = Remark(r);
        m.curve.assign(kMaxTLPoints, 0.0);
        bool lost = false;
        if (m.tl) {
            const TGlowGrid grid = ChooseGlowGrid(high);
            m.spacing = grid.spacing;
            m.npt = grid.points - 1;
            std::vector<double> ends(static_cast<std::size_t>(grid.points));
            for (int i = 0; i < grid.points; ++i) ends[static_cast<std::size_t>(i)] = (i + 1.0) * grid.spacing;
            const std::vector<double> bins = RebinCounts(r.counts, low, high, 0.0, ends, &lost);
            std::copy(bins.begin(), bins.end(), m.curve.begin());
            m.ramp = std::isfinite(r.rate) ? r.rate : 0.0;
        } else {
            s.shineSeconds = high - low;
            const TShape shape{high - low, (high - low) / r.counts.size()};
            auto it = layouts.find(shape);
            if (it == layouts.end())
                it = layouts.emplace(shape, ChooseOslTimeBases(shape.total, shape.width)).first;
            m.bases = it->second;
            const std::vector<double> ends = OslChannelEnds(m.bases);
            if (ends.empty()) {
                ++badRange;
                continue;
            }
            m.npt = static_cast<int>(ends.size());
            const std::vector<double> bins = RebinCounts(r.counts, 0.0, high - low, 0.0, ends, &lost);
            std::copy(bins.begin(), bins.end(), m.curve.begin() + 1);
            const int temp = r.temperature != 0 ? r.temperature
                                                : static_cast<int>(std::lround(
                                                      std::isfinite(r.anTemp) ? r.anTemp : 0.0));
            m.sampleTemp = std::clamp(temp, 0, 65535);
            m.ramp = std::isfinite(r.lightPower) ? std::clamp<double>(r.lightPower, 0.0, 100.0) : 0.0;
        }
        if (lost) ++cut;
        anySelected = anySelected || r.tag == 1;
        anyDeselected = anyDeselected || r.tag != 1;
        kept.push_back(std::move(s));
    }
    for (const TSource& s : kept) out.singleGrain = out.singleGrain || s.record->grain > 0;

    // 2. The SAR structure, aliquot by aliquot in file order.
    std::map<std::pair<int, int>, std::vector<std::size_t>> aliquots;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const TImportedMeasurement& m = kept[i].m;
        aliquots[{m.disk, out.singleGrain ? m.hole : 0}].push_back(i);
    }
    bool seconds = false, fileRateUsed = false;
    for (auto& [key, list] : aliquots) {
        // Shines alternate Lx, Tx within their group (device and sample temperature).
        std::map<std::pair<int, int>, int> groupCount;
        bool single = false;
        for (std::size_t i : list) {
            TImportedMeasurement& m = kept[i].m;
            if (m.tl || !m.sampleRun) continue;
            const int n = groupCount[{m.device, m.sampleTemp}]++;
            m.testDose = n % 2 == 1;
            single = single || n >= 1;
        }
        // A glow curve takes the role of the aliquot's next shine (preheat before Lx, cutheat
        // before Tx); glow curves after the last shine alternate among themselves.
        int tlAfter = 0;
        for (std::size_t k = 0; k < list.size(); ++k) {
            TImportedMeasurement& m = kept[list[k]].m;
            if (!m.tl || !m.sampleRun) continue;
            const TImportedMeasurement* next = nullptr;
            for (std::size_t j = k + 1; j < list.size() && next == nullptr; ++j) {
                const TImportedMeasurement& c = kept[list[j]].m;
                if (!c.tl && c.sampleRun) next = &c;
            }
            if (next != nullptr) {
                m.testDose = next->testDose;
            } else {
                m.testDose = tlAfter++ % 2 == 1;
                single = single || tlAfter >= 2;
            }
        }
        // Bleaching and irradiation before each measurement.
        for (std::size_t k = 0; k < list.size(); ++k) {
            TSource& s = kept[list[k]];
            TImportedMeasurement& m = s.m;
            m.singleAliquot = single;
            // Any earlier shine bleached the aliquot; the bleaching time is the last shine's
            // of the same device (of any device when there is none).
            std::ptrdiff_t lastShine = -1, lastSame = -1;
            for (std::ptrdiff_t j = static_cast<std::ptrdiff_t>(k) - 1; j >= 0; --j) {
                const TImportedMeasurement& c = kept[list[static_cast<std::size_t>(j)]].m;
                if (c.tl || !c.sampleRun) continue;
                if (lastShine < 0) lastShine = j;
                if (c.device == m.device && c.sampleTemp == m.sampleTemp) {
                    lastSame = j;
                    break;
                }
            }
            if (lastShine >= 0) {
                const std::ptrdiff_t from = lastSame >= 0 ? lastSame : lastShine;
                m.bleached = true;
                m.bleachMinutes =
                    std::max(kept[list[static_cast<std::size_t>(from)]].shineSeconds / 60.0, 1e-4);
            }
            // The irradiation is looked for back to the last shine of the same group (of any
            // kind for a glow curve or the first shine of its group), so that an OSL shine
            // after an IRSL shine keeps the dose both follow.
            const std::ptrdiff_t bound = !m.tl && lastSame >= 0 ? lastSame : lastShine;
            // The irradiation shows on the record measured after it: the latest irradiation
            // time since the bound, this record's own first.
            const TBinxRecord* carrier = nullptr;
            for (std::ptrdiff_t j = static_cast<std::ptrdiff_t>(k); j > bound; --j) {
                const TBinxRecord* c = kept[list[static_cast<std::size_t>(j)]].record;
                if (c->irrTime > 0 && std::isfinite(c->irrTime)) {
                    carrier = c;
                    break;
                }
            }
            if (carrier != nullptr) {
                m.irradiationSeconds = carrier->irrTime;
                if (carrier->hasDoseRate && carrier->doseRate > 0 && std::isfinite(carrier->doseRate)) {
                    m.doseRate = carrier->doseRate;
                    fileRateUsed = true;
                } else if (options.doseRate) {
                    m.doseRate = *options.doseRate;
                } else {
                    m.doseRate = 1.0;
                    m.doseInSeconds = true;
                    seconds = true;
                }
            }
        }
    }

    // 3. Dates, the deselected mark and the positions.
    std::optional<TDate> firstDate;
    for (const TSource& s : kept) {
        if ((firstDate = ParseDate(s.record->date))) break;
    }
    std::set<int> positions;
    for (TSource& s : kept) {
        s.m.date = ParseDate(s.record->date).value_or(firstDate.value_or(TDate{2000, 1, 1}));
        s.m.bad = anySelected && anyDeselected && s.record->tag != 1;
        positions.insert(s.m.disk);
        out.measurements.push_back(std::move(s.m));
    }
    out.positions.assign(positions.begin(), positions.end());

    if (seconds) out.warnings.push_back(kDoseRateNotGiven);
    if (fileRateUsed && options.doseRate) {
        out.warnings.push_back("The file gives its own dose rate; the dose rate given was used "
                               "only for records without one");
    }
    if (cut > 0) {
        out.warnings.push_back(std::to_string(cut) +
                               " curves reach beyond the channels a record holds (99 OSL "
                               "channels, 100 TL points) and were cut there");
    }
    if (empty > 0)
        out.warnings.push_back(std::to_string(empty) + " records without data points were left out");
    if (roi > 0)
        out.warnings.push_back(std::to_string(roi) + " region-of-interest records were left out");
    if (badRange > 0) {
        out.warnings.push_back(std::to_string(badRange) +
                               " records with an empty or unusable x range (LOW, HIGH) were left out");
    }
    for (const auto& [kind, n] : skippedKinds) {
        out.warnings.push_back(std::to_string(n) + " " + kind +
                               " records were left out: our record files hold TL and OSL/IRSL "
                               "curves only");
    }
    return out;
}
