#include "analysis/single_aliquot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "analysis/device_key.h"
#include "fitting/dose_estimation.h"
#include "fitting/result_codes.h"
#include "record_store/bin_data_set.h"
#include "record_store/curve_access.h"

namespace {

const TLookupRecord& EntryOf(const TLookupTable& table, const TDiskElement& el) {
    return table[static_cast<std::size_t>(el.Ordinal)];
}

// The usable measurements of an aliquot: of the current device, not normalisation records.
bool Usable(const TLookupRecord& e, const TDeviceKey& device) {
    return SameDevice(e.Key, device) && !e.NormRecord;
}

bool Bleached(const TLookupRecord& e) {
    return e.Bleaching.BleachTime > 0 || e.IrradClass == kRegenerated;
}

void AddPoint(TPointSet& set, double dose, double signal, double error) {
    if (set.Count >= kPointCapacity - 1) return;  // at most 99: the engine refuses 100
    set.Dose[set.Count] = dose;
    set.Signal[set.Count] = signal;
    set.Error[set.Count] = error;
    ++set.Count;
}

// Sum of curve[from..to] over the values the curve has.
double Sum(const TFloatArray& curve, int from, int to) {
    double sum = 0;
    for (int n = std::max(from, 0); n <= to && n < static_cast<int>(curve.size()); ++n)
        sum += curve[static_cast<std::size_t>(n)];
    return sum;
}

// A measurement's background over k..l scaled to the signal window; W_b = 0 gives none.
struct TBackground {
    double value = 0, sigma = 0;
};
TBackground ScaledBackground(const TFloatArray& curve, const TChannelWindows& w, double ws,
                             double wb) {
    if (!(wb > 0)) return {};
    const double g = std::max(Sum(curve, w.k, w.l), 0.0);
    return {g * ws / wb, std::sqrt(g) * ws / wb};
}

}  // namespace

TChannelWindows OslChannelWindows(const TTimeBases& bases, TSaLimits& limits) {
    std::vector<double> ends;  // the time at the end of each channel
    double t = 0;
    const int count = bases.N10 + bases.N100 + bases.N1000 + bases.N10000;
    for (int n = 1; n <= count; ++n) {
        t += OslChannelWidth(n, bases);
        ends.push_back(t);
    }
    const auto channel = [&](double limit) {
        return 1 + static_cast<int>(std::count_if(ends.begin(), ends.end(),
                                                  [&](double e) { return e < limit; }));
    };
    TChannelWindows w;
    w.i = channel(limits.signalFrom + 0.00001);
    w.j = channel(limits.signalTo - 0.00001);
    w.k = channel(limits.backgroundFrom + 0.00001);
    w.l = channel(limits.backgroundTo - 0.00001);
    if (ends.empty()) return w;
    const auto start = [&](int n) {
        return n <= 1 ? 0.0 : ends[std::min<std::size_t>(n - 2, ends.size() - 1)];
    };
    const auto end = [&](int n) { return ends[std::min<std::size_t>(n - 1, ends.size() - 1)]; };
    const auto fixed2 = [](double v) { return std::round(v * 100) / 100; };
    limits.signalFrom = fixed2(start(w.i));
    limits.signalTo = fixed2(end(w.j));
    limits.backgroundFrom = fixed2(start(w.k));
    limits.backgroundTo = fixed2(end(w.l));
    w.j = std::min<int>(w.j, count);
    w.l = std::min<int>(w.l, count);
    return w;
}

TSaRawCurves::TSaRawCurves(const TBinDataSet& view, const TCurveFieldList& curves)
    : view_(view), curves_(curves) {}

TFloatArray TSaRawCurves::Curve(const TLookupRecord& entry) const {
    TFloatArray values;
    if (curves_.empty()) return values;
    const TCurveLocator locator(view_, curves_, TCurveChoice::First);
    if (!locator.ReadsStoredRecords()) return values;
    const TLocatedCurve located = locator.Locate(view_, entry.RecordIndex);
    ReadCurveSequence(view_, located, values, entry.RecordIndex);
    return values;
}

TGrowthPoints BuildSaaGrowthPoints(const TLookupTable& table, const TDiskList& disk,
                                   const TDeviceKey& device) {
    TGrowthPoints points;
    const bool depletion = disk.RefDose == 0;
    const TLookupRecord* first = nullptr;
    double dose = 0;
    for (const TDiskElement& el : disk.Elements) {
        const TLookupRecord& e = EntryOf(table, el);
        if (!Usable(e, device) || Bleached(e)) continue;
        if (first == nullptr) first = &e;
        TDosePoints level;
        level.Kind = depletion ? kDepletionLevel : kGrowthLevel;
        level.Dose = depletion ? static_cast<double>(points.size())
                               : (points.empty() ? el.Dose : dose + el.Dose);
        dose = level.Dose;
        points.push_back(level);
    }
    if (first == nullptr) return points;
    // "OSL BGD" is the background in counts per second.
    const double g = OslBgdToRate(first->OslBgdWord);
    const double time = OslMeasuringTime(first->Key);
    const double a = 0.05 * time * std::sqrt(20 * g);
    const double b = g * time;
    std::size_t level = 0;
    for (const TDiskElement& el : disk.Elements) {
        const TLookupRecord& e = EntryOf(table, el);
        if (!Usable(e, device) || Bleached(e)) continue;
        TGrowthPoint p;
        p.Ordinal = el.Ordinal;
        p.Signal = el.Signal;
        p.Error = std::sqrt(std::max(a * a + b + el.Signal, 0.0));
        p.Accepted = 1;
        p.Focus = 1;
        points[level++].Points.push_back(p);
    }
    return points;
}

TSaPointsReport BuildSarGrowthPoints(const TLookupTable& table, const TDiskList& disk,
                                     const TDeviceKey& device, const TRawCurveSource& raw,
                                     TSaLimits& limits) {
    TSaPointsReport report;
    std::vector<int> usable;  // element indices
    bool anyNorm = false;
    for (int n = 0; n < static_cast<int>(disk.Elements.size()); ++n) {
        const TLookupRecord& e = EntryOf(table, disk.Elements[static_cast<std::size_t>(n)]);
        anyNorm = anyNorm || (e.NormRecord && SameDevice(e.Key, device));
        if (Usable(e, device)) usable.push_back(n);
    }
    if (usable.empty()) return report;
    // Single grains carry no normalisation flags: signal and test dose alternate.
    const bool paired = !anyNorm && usable.size() >= 2 && usable.size() % 2 == 0 &&
                        (limits.normalization == kSaNormOsl || limits.normalization == kSaNormNcf);
    std::vector<int> signals;
    for (std::size_t n = 0; n < usable.size(); ++n)
        if (!paired || n % 2 == 0) signals.push_back(usable[n]);

    // Levels: unbleached doses (kind 1), bleached doses with an extra 0 (kind 3).
    std::set<double> first, second{0.0};
    for (int n : signals) {
        const TDiskElement& el = disk.Elements[static_cast<std::size_t>(n)];
        (Bleached(EntryOf(table, el)) ? second : first).insert(el.Dose);
    }
    for (double d : first) report.points.push_back({kGrowthLevel, 0, d, {}});
    const std::size_t secondStart = report.points.size();
    for (double d : second) report.points.push_back({kRegenLevel, 0, d, {}});
    TGrowthPoint origin;
    origin.Accepted = 1;
    report.points[secondStart].Points.push_back(origin);

    const TLookupRecord& firstEntry =
        EntryOf(table, disk.Elements[static_cast<std::size_t>(usable.front())]);
    const TTimeBases bases{firstEntry.Key.TimeBase[0], firstEntry.Key.TimeBase[1],
                           firstEntry.Key.TimeBase[2], firstEntry.Key.TimeBase[3]};
    const TChannelWindows w = OslChannelWindows(bases, limits);
    const double ws = limits.signalTo - limits.signalFrom;
    const double wb = limits.backgroundTo - limits.backgroundFrom;

    double tref = 1, b = 1, nErr = 0;
    bool firstMeasurement = true;
    for (std::size_t s = 0; s < signals.size(); ++s) {
        const int n = signals[s];
        const TDiskElement& el = disk.Elements[static_cast<std::size_t>(n)];
        const TLookupRecord& e = EntryOf(table, el);
        const TFloatArray curve = raw(e);
        double signal = Sum(curve, w.i, w.j);
        TBackground g = ScaledBackground(curve, w, ws, wb);
        const double sigmaE = std::sqrt(g.sigma * g.sigma + std::max(signal, 0.0));
        signal -= g.value;

        // The test-dose measurement.
        const TLookupRecord* test = nullptr;
        if (limits.normalization != kSaNormNone) {
            if (paired) {
                const auto it = std::find(usable.begin(), usable.end(), n);
                if (it + 1 != usable.end())
                    test = &EntryOf(table, disk.Elements[static_cast<std::size_t>(*(it + 1))]);
            } else if (limits.normalization != kSaNormNcf || disk.NcfFound) {
                std::size_t m = static_cast<std::size_t>(n) + 1;
                if (limits.normalization != kSaNormTL) {
                    while (m < disk.Elements.size() && !EntryOf(table, disk.Elements[m]).NormRecord)
                        ++m;
                }
                if (limits.normalization == kSaNormNcf && firstMeasurement &&
                    disk.NcfReference >= 0)
                    m = static_cast<std::size_t>(disk.NcfReference);
                for (; m < disk.Elements.size(); ++m) {
                    const TLookupRecord& c = EntryOf(table, disk.Elements[m]);
                    // A TL test dose is measured by the heater, not by the current device.
                    const bool measuredBy = limits.normalization == kSaNormTL
                                                ? IsTLDevice(c.Key)
                                                : SameDevice(c.Key, device);
                    if (c.NormRecord && measuredBy) {
                        test = &c;
                        break;
                    }
                    if (!c.NormRecord) break;
                }
            }
            if (test != nullptr && limits.normalization == kSaNormTL && test->Key.Spacing <= 0) {
                report.warnings.push_back(AliquotName(disk) +
                                          ": a TL test dose has \"Spacing\" 0 and is skipped");
                test = nullptr;
            }
            if (test == nullptr) {
                report.warnings.push_back(AliquotName(disk) +
                                          ": no test-dose measurement; normalization set to "
                                          "\"No\"");
                limits.normalization = kSaNormNone;
                b = 1;
                nErr = 0;
            } else {
                const TFloatArray testCurve = raw(*test);
                TBackground tg = g;
                if (limits.normalization == kSaNormTL) {
                    // The TL windows in glow-curve points of the test dose's spacing.
                    const int sp = test->Key.Spacing;
                    const auto at = [sp](double t) {
                        return static_cast<int>(std::lround(t)) / sp;
                    };
                    const int a = at(limits.tlSignalFrom), bEnd = at(limits.tlSignalTo);
                    const int c = at(limits.tlBackgroundFrom), d = at(limits.tlBackgroundTo);
                    b = Sum(testCurve, a, bEnd);
                    const double gl = std::max(Sum(testCurve, c, d), 0.0);
                    const double scale = static_cast<double>(bEnd - a + 1) / (d - c + 1);
                    tg = {gl * scale, std::sqrt(gl) * scale};
                } else {
                    b = Sum(testCurve, w.i, w.j);
                    if (limits.ownBackground) tg = ScaledBackground(testCurve, w, ws, wb);
                }
                nErr = std::sqrt(tg.sigma * tg.sigma + std::max(b, 0.0));
                b -= tg.value;
            }
        }
        if (firstMeasurement) {
            tref = b;
            firstMeasurement = false;
        }
        double r = 0;
        if (signal > 0 && b > 0) {
            r = std::sqrt((nErr / b) * (nErr / b) + (sigmaE / signal) * (sigmaE / signal));
            signal = signal * tref / b;
        } else if (signal > 0) {
            r = std::sqrt(nErr * nErr + (sigmaE / signal) * (sigmaE / signal));
        } else if (b > 0) {
            r = std::sqrt((nErr / b) * (nErr / b) + sigmaE * sigmaE);
            signal = signal * tref / b;
        } else {
            r = std::sqrt(nErr * nErr + sigmaE * sigmaE);
        }
        TGrowthPoint p;
        p.Ordinal = el.Ordinal;
        p.Signal = signal;
        p.Error = std::abs(signal * r / std::sqrt(2.0));
        p.Accepted = e.Accepted ? 1 : 0;
        const bool bleached = Bleached(e);
        for (std::size_t lv = bleached ? secondStart : 0;
             lv < (bleached ? report.points.size() : secondStart); ++lv) {
            if (report.points[lv].Dose == el.Dose) {
                report.points[lv].Points.push_back(p);
                break;
            }
        }
    }
    // One warning per build.
    if (report.warnings.size() > 1) report.warnings.resize(1);
    return report;
}

std::string AliquotLinePrefix(const TDiskList& disk) {
    if (disk.Hole >= 0) return AliquotName(disk) + ": ";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "Disk %3d: ", disk.Disk);
    return buffer;
}

TSolution ComputeSarSolution(TGrowthPoints& points, const TDiskList& disk,
                             const TFitOptions& options) {
    TSolution s;
    for (const TDosePoints& level : points) {
        if (level.Kind == kGrowthLevel) {
            for (const TGrowthPoint& p : level.Points)
                if (p.Accepted) AddPoint(s.Set1, level.Dose, p.Signal, p.Error);
        } else if (level.Dose != 0) {
            for (const TGrowthPoint& p : level.Points)
                if (p.Accepted) AddPoint(s.Set2, level.Dose, p.Signal, p.Error);
        } else if (!level.Points.empty()) {
            const TGrowthPoint& origin = level.Points.front();
            AddPoint(s.Set2, level.Dose, origin.Signal, origin.Error);
        }
    }
    if (s.Set2.Count > 0) s.Set2.Error[0] = 1.0;
    const FunctionCode code = GrowthFunctionCode(options.FunctionObject, options.Degree);
    TPointSet set1 = s.Set1, set2 = s.Set2;
    ResultCode result = 0;
    EstimateDose(dmRegenerative, kArbitraryErrors, code, code, set1, set2, s.Fit, s.Note, result);
    s.Fit.ResultCode = result;
    s.Fit.Channel = disk.Disk;
    if (!IsFatal(result) && s.Set1.Count > 0) s.Fit.ED -= s.Set1.Dose[0];
    s.Line = AliquotLinePrefix(disk) + SolutionLineResult(s.Fit, s.Note);
    return s;
}

FunctionCode DepletionFunctionCode(int depletionObject) {
    if (depletionObject <= 1) return kLinearFunction;
    return kDecayBase + std::min(depletionObject - 1, 4);
}

TSolution ComputeSaaSolution(TGrowthPoints& points, const TPlatter& platter, const TDiskList& disk,
                             const TLookupTable& table, int depletionObject,
                             const TFitOptions& options, std::string& error) {
    TSolution s;
    s.Fit.Channel = disk.Disk;
    const std::string prefix = AliquotLinePrefix(disk);
    s.Line = prefix;
    if (!points.empty() && points.front().Kind == kDepletionLevel) {
        s.Line = prefix + "is a depletion disk";
        return s;
    }
    // 1. The depletion data.
    TPointSet depletion, correction;
    int n = -1;
    double bg = 0, time = 0;
    for (const auto& [number, d] : platter.Disks) {
        if (d.RefDose != 0 || d.Elements.empty()) continue;
        if (n < 0) {
            n = static_cast<int>(d.Elements.size());
            bg = d.BgdRate;
            time = OslMeasuringTime(EntryOf(table, d.Elements.front()).Key);
        } else if (static_cast<int>(d.Elements.size()) != n) {
            error = "Error condition in SAA computations.\r\nDisk " + std::to_string(d.Disk) +
                    " has less measurements.";
            return s;
        }
        for (int j = 0; j < n; ++j) {
            const double signal = d.Elements[static_cast<std::size_t>(j)].Signal;
            AddPoint(depletion, j, signal,
                     std::sqrt(std::max((bg * time + signal + time * bg / 20) / 2, 0.0)));
        }
    }
    if (n < 0) {
        error = "Error condition in SAA computations.\r\nThe data set holds no depletion disk.";
        return s;
    }
    correction.Count = n;
    // 2. The depletion fit writes the correction table into the second set.
    ResultCode result = 0;
    std::string note;
    TFitRecord depletionFit;
    EstimateDose(dmDecayCorrection, kArbitraryErrors, DepletionFunctionCode(depletionObject),
                 kCorrectionTable, depletion, correction, depletionFit, note, result);
    if (result != 0) {
        std::string message;
        ResultMessage(result, message);
        error = message + "\r\nin SAA computations.";
        return s;
    }
    // 3. The disk's individual additive doses.
    double previous = 0;
    bool firstLevel = true;
    for (const TDosePoints& level : points) {
        if (level.Kind != kGrowthLevel) continue;
        const double dose = firstLevel ? level.Dose : level.Dose - previous;
        previous = level.Dose;
        firstLevel = false;
        for (const TGrowthPoint& p : level.Points)
            if (p.Accepted) AddPoint(s.Set1, dose, p.Signal, p.Error);
    }
    // 4. The single-aliquot solution with that table.
    const FunctionCode code = GrowthFunctionCode(options.FunctionObject, options.Degree);
    TPointSet set1 = s.Set1;
    s.Set2 = correction;
    TPointSet set2 = correction;
    s.Fit = depletionFit;
    s.Fit.ED = 0;
    s.Note.clear();
    EstimateDose(dmSingleAliquot, kArbitraryErrors, code, kCorrectionTable, set1, set2, s.Fit,
                 s.Note, result);
    s.Fit.ResultCode = result;
    s.Fit.Channel = disk.Disk;
    // The corrected doses back into the levels, for the viewers.
    int k = 0;
    for (TDosePoints& level : points) {
        if (level.Kind != kGrowthLevel) continue;
        const bool accepted = std::any_of(level.Points.begin(), level.Points.end(),
                                          [](const TGrowthPoint& p) { return p.Accepted != 0; });
        if (accepted && k < set1.Count) level.Dose = set1.Dose[k++];
    }
    if (!IsFatal(result) && s.Set1.Count > 0) s.Fit.ED -= s.Set1.Dose[0];
    s.Line = prefix + SolutionLineResult(s.Fit, s.Note);
    return s;
}
