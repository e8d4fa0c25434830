#include "analysis/single_aliquot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <set>

#include "analysis/device_key.h"
#include "fitting/dose_estimation.h"
#include "fitting/result_codes.h"
#include "platform/number_text.h"
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

// An IR stimulation unit (IRSL, devices 28 and 48).
bool IsIrDevice(const TDeviceKey& key) {
    return key.Device == 28 || key.Device == 48;
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

// The TL windows in glow-curve points of a record's spacing: signal a..b, background c..d.
struct TTLWindows {
    int a = 0, b = 0, c = 0, d = 0;
    // The background sum scaled to the signal window's width.
    double Scale() const { return d >= c ? static_cast<double>(b - a + 1) / (d - c + 1) : 0.0; }
};
TTLWindows TLWindowsOf(const TSaLimits& limits, int spacing) {
    const auto at = [spacing](double t) { return static_cast<int>(std::lround(t)) / spacing; };
    return {at(limits.tlSignalFrom), at(limits.tlSignalTo), at(limits.tlBackgroundFrom),
            at(limits.tlBackgroundTo)};
}

// A TL curve's own background over c..d scaled to the signal window a..b.
TBackground OwnTLBackground(const TFloatArray& curve, const TTLWindows& w) {
    const double g = std::max(Sum(curve, w.c, w.d), 0.0);
    return {g * w.Scale(), std::sqrt(g) * w.Scale()};
}

// A TL signal over a..b less its background, with the variance of the difference.
struct TNetSignal {
    double value = 0, variance = 0;
};

}  // namespace

TNcfFactor ComputeNcfFactor(const TLookupTable& table, const TDiskList& disk,
                            const TRawCurveSource& raw, const TSaLimits& limits,
                            std::string& warning) {
    TNcfFactor factor;
    const int count = static_cast<int>(disk.Elements.size());
    const auto inDisk = [count](int n) { return n >= 0 && n < count; };
    if (!disk.NcfFound || !inDisk(disk.NcfFirstTL) || !inDisk(disk.NcfSecondTL)) {
        factor.NCF = disk.NcfScale;  // no TL pair chosen ("1.00"): the scale alone, 1.0
        return factor;
    }
    const auto element = [&](int n) -> const TLookupRecord& {
        return EntryOf(table, disk.Elements[static_cast<std::size_t>(n)]);
    };
    const int spacing = element(disk.NcfSecondTL).Key.Spacing;
    if (spacing <= 0) {
        warning = AliquotName(disk) + ": the TL measurements have \"Spacing\" 0; NCF set to 1";
        return factor;
    }
    const TTLWindows w = TLWindowsOf(limits, spacing);
    // The background measurement of a TL measurement: the first later TL normalisation that
    // is not a TL run (the second heating of the aliquot).
    const auto backgroundAfter = [&](int n) -> const TLookupRecord* {
        for (int m = n + 1; m < count; ++m) {
            const TLookupRecord& e = element(m);
            if (disk.Elements[static_cast<std::size_t>(m)].IsTL && e.NormRecord && !e.TLRun)
                return &e;
        }
        return nullptr;
    };
    const auto net = [&](int n, const TLookupRecord* background) {
        const TFloatArray curve = raw(element(n));
        TNetSignal s;
        s.value = Sum(curve, w.a, w.b);
        TBackground d;
        if (background != nullptr) {
            d.value = std::max(Sum(raw(*background), w.a, w.b), 0.0);
            d.sigma = std::sqrt(d.value);
        } else {
            d = OwnTLBackground(curve, w);
        }
        s.variance = std::max(s.value, 0.0) + d.sigma * d.sigma;
        s.value -= d.value;
        return s;
    };
    const TLookupRecord* secondBackground = backgroundAfter(disk.NcfSecondTL);
    const TLookupRecord* firstBackground = backgroundAfter(disk.NcfFirstTL);
    if (firstBackground == nullptr) firstBackground = secondBackground;
    const TNetSignal a = net(disk.NcfSecondTL, secondBackground);
    const TNetSignal h = net(disk.NcfFirstTL, firstBackground);
    if (!(a.value > 0) || !(h.value > 0)) {
        warning = AliquotName(disk) +
                  ": a TL signal of the NCF pair is 0 or less after its background; NCF set to 1";
        return factor;
    }
    factor.NCF = disk.NcfScale * a.value / h.value;
    factor.NCFError =
        std::sqrt(h.variance / (h.value * h.value) + a.variance / (a.value * a.value)) *
        std::abs(factor.NCF);
    return factor;
}

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

namespace {

// The test-dose measurement of each signal measurement of an aliquot (nullptr: none), and
// whether it was found only past another signal measurement, in a later cycle.
struct TTestDoseChoice {
    const TLookupRecord* test = nullptr;
    bool borrowed = false;
};

std::string RunText(const TLookupRecord& e) {
    return "run " + std::to_string(e.Run);
}

std::string SecondsText(double seconds) {
    return NumberFixed(seconds, 2);
}

}  // namespace

TSaPointsReport BuildSarGrowthPoints(const TLookupTable& table, const TDiskList& disk,
                                     const TDeviceKey& device, const TRawCurveSource& raw,
                                     TSaLimits& limits) {
    TSaPointsReport report;
    const std::string name = AliquotName(disk);
    const auto say = [&](const std::string& warning, const std::string& note) {
        report.warnings.push_back(name + ": " + warning);
        report.notes.Note += note + "; ";
    };
    std::vector<int> usable;  // element indices
    bool anyNorm = false;
    for (int n = 0; n < static_cast<int>(disk.Elements.size()); ++n) {
        const TLookupRecord& e = EntryOf(table, disk.Elements[static_cast<std::size_t>(n)]);
        anyNorm = anyNorm || (e.NormRecord && SameDevice(e.Key, device));
        if (Usable(e, device)) usable.push_back(n);
    }
    if (usable.empty()) return report;
    // The normalisation of this aliquot: the limits' choice, unless one of its test doses is
    // missing; the fall-back is the aliquot's own and never changes the limits.
    int normalization = limits.normalization;
    // Single grains carry no normalisation flags: signal and test dose alternate.
    const bool paired = !anyNorm && usable.size() >= 2 && usable.size() % 2 == 0 &&
                        normalization == kSaNormOsl;
    std::vector<int> signals;
    for (std::size_t n = 0; n < usable.size(); ++n)
        if (!paired || n % 2 == 0) signals.push_back(usable[n]);

    // The IR-then-OSL measurements: they follow an IR shine of the aliquot (glow curves
    // between them aside) and stay out of the growth curve.
    std::vector<bool> irBefore(signals.size(), false);
    if (!IsIrDevice(device)) {
        for (std::size_t s = 0; s < signals.size(); ++s) {
            for (int m = signals[s] - 1; m >= 0; --m) {
                const TDiskElement& before = disk.Elements[static_cast<std::size_t>(m)];
                if (before.IsTL) continue;
                irBefore[s] = IsIrDevice(EntryOf(table, before).Key);
                break;
            }
        }
    }

    // Levels: unbleached doses (kind 1), bleached doses with an extra 0 (kind 3).
    std::set<double> first, second{0.0};
    for (std::size_t s = 0; s < signals.size(); ++s) {
        if (irBefore[s]) continue;
        const TDiskElement& el = disk.Elements[static_cast<std::size_t>(signals[s])];
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
    // Windows the user set beyond the end of the shine hold no channel: said, not silent.
    const double shineEnd = OslTotalTime(bases);
    const double signalFrom = limits.signalFrom, backgroundFrom = limits.backgroundFrom,
                 backgroundTo = limits.backgroundTo;
    const TChannelWindows w = OslChannelWindows(bases, limits);
    if (shineEnd > 0 && signalFrom >= shineEnd - 1e-9)
        say("the signal window starts at " + SecondsText(signalFrom) + " s, beyond the shine (" +
                SecondsText(shineEnd) + " s)",
            "signal window beyond the shine");
    // (A window moved to the end of the shine by an earlier aliquot is still beyond it.)
    if (shineEnd > 0 && backgroundFrom >= shineEnd - 1e-9)
        say("the background window " + SecondsText(backgroundFrom) + "-" +
                SecondsText(backgroundTo) + " s lies beyond the shine (" + SecondsText(shineEnd) +
                " s): no background subtracted",
            "background window beyond the shine: no background");
    const double ws = limits.signalTo - limits.signalFrom;
    const double wb = limits.backgroundTo - limits.backgroundFrom;

    // 1. The test dose of every signal measurement.
    std::vector<TTestDoseChoice> tests(signals.size());
    if (normalization == kSaNormNcf && !paired && !disk.NcfFound) {
        say("does not follow the NCF template; the aliquot is computed without normalization",
            "no NCF template: not normalised");
        report.notes.Warning = kTestDoseMissing;
        normalization = kSaNormNone;
    }
    if (normalization != kSaNormNone) {
        for (std::size_t s = 0; s < signals.size(); ++s) {
            const int n = signals[s];
            TTestDoseChoice& choice = tests[s];
            if (paired) {
                const auto it = std::find(usable.begin(), usable.end(), n);
                if (it + 1 != usable.end())
                    choice.test = &EntryOf(table, disk.Elements[static_cast<std::size_t>(*(it + 1))]);
            } else {
                std::size_t m = static_cast<std::size_t>(n) + 1;
                if (normalization != kSaNormTL) {
                    while (m < disk.Elements.size() &&
                           !EntryOf(table, disk.Elements[m]).NormRecord) {
                        if (Usable(EntryOf(table, disk.Elements[m]), device)) choice.borrowed = true;
                        ++m;
                    }
                }
                if (normalization == kSaNormNcf && s == 0 && disk.NcfReference >= 0) {
                    m = static_cast<std::size_t>(disk.NcfReference);
                    choice.borrowed = false;  // the template names the natural's own
                }
                for (; m < disk.Elements.size(); ++m) {
                    const TLookupRecord& c = EntryOf(table, disk.Elements[m]);
                    // A TL test dose is measured by the heater, not by the current device.
                    const bool measuredBy = normalization == kSaNormTL ? IsTLDevice(c.Key)
                                                                       : SameDevice(c.Key, device);
                    if (c.NormRecord && measuredBy) {
                        choice.test = &c;
                        break;
                    }
                    if (!c.NormRecord) break;
                }
            }
            const TLookupRecord& e = EntryOf(table, disk.Elements[static_cast<std::size_t>(n)]);
            if (choice.test != nullptr && normalization == kSaNormTL &&
                choice.test->Key.Spacing <= 0) {
                say("the TL test dose " + RunText(*choice.test) +
                        " has \"Spacing\" 0 and is skipped",
                    "TL test dose " + RunText(*choice.test) + " skipped (\"Spacing\" 0)");
                choice.test = nullptr;
            }
            if (choice.test == nullptr) {
                // One missing test dose spoils the normalisation of the whole aliquot, and
                // of nothing else.
                say("no test-dose measurement for " + RunText(e) +
                        "; the aliquot is computed without normalization",
                    "no test dose for " + RunText(e) + ": not normalised");
                report.notes.Warning = kTestDoseMissing;
                normalization = kSaNormNone;
                break;
            }
            if (choice.borrowed)
                say("the test dose of " + RunText(e) + " is " + RunText(*choice.test) +
                        " of a later cycle",
                    "test dose of " + RunText(e) + " taken from " + RunText(*choice.test));
        }
    }

    // 2. The points: net signals normalised by their test doses, with the full error.
    double tref = 1;
    for (std::size_t s = 0; s < signals.size(); ++s) {
        const int n = signals[s];
        const TDiskElement& el = disk.Elements[static_cast<std::size_t>(n)];
        const TLookupRecord& e = EntryOf(table, el);
        const TFloatArray curve = raw(e);
        double signal = Sum(curve, w.i, w.j);
        const TBackground g = ScaledBackground(curve, w, ws, wb);
        const double signalSigma = std::sqrt(g.sigma * g.sigma + std::max(signal, 0.0));
        signal -= g.value;

        double b = 1, testSigma = 0;
        bool normalised = false;
        if (normalization != kSaNormNone) {
            const TLookupRecord& test = *tests[s].test;
            const TFloatArray testCurve = raw(test);
            TBackground tg = g;
            if (normalization == kSaNormTL) {
                // The TL windows in glow-curve points of the test dose's spacing.
                const TTLWindows tw = TLWindowsOf(limits, test.Key.Spacing);
                b = Sum(testCurve, tw.a, tw.b);
                tg = OwnTLBackground(testCurve, tw);
            } else {
                b = Sum(testCurve, w.i, w.j);
                if (limits.ownBackground) tg = ScaledBackground(testCurve, w, ws, wb);
            }
            testSigma = std::sqrt(tg.sigma * tg.sigma + std::max(b, 0.0));
            b -= tg.value;
            normalised = true;
        }
        if (s == 0) {
            // Tref: the natural's own test dose, before any correction.
            tref = normalised && b > 0 ? b : 1;
            report.testDoseError = normalised && b > 0 ? testSigma / b
                                                       : std::numeric_limits<double>::quiet_NaN();
            // NCF: the natural's test dose divided by the correction factor, so that the
            // natural signal is multiplied by it.
            if (normalization == kSaNormNcf && disk.NcfFound) {
                std::string warning;
                const TNcfFactor f = ComputeNcfFactor(table, disk, raw, limits, warning);
                if (!warning.empty()) report.warnings.push_back(warning);
                report.ncf = f;
                const double corrected = b / f.NCF;
                const double relative = b != 0 ? testSigma / b : 0.0;
                testSigma = std::abs(corrected) * std::sqrt((f.NCFError / f.NCF) *
                                                                (f.NCFError / f.NCF) +
                                                            relative * relative);
                b = corrected;
            }
        }
        TGrowthPoint p;
        p.Ordinal = el.Ordinal;
        if (normalised && b > 0) {
            // L = S Tref / T: the signal's counts (with its scaled background) and the test
            // dose's, propagated in full. Tref scales every point of the aliquot alike.
            const double scale = tref / b;
            p.Signal = signal * scale;
            p.Error = scale * std::sqrt(signalSigma * signalSigma +
                                        (signal * testSigma / b) * (signal * testSigma / b));
        } else {
            if (normalised)
                say("the test dose of " + RunText(e) + " is 0 or less after its background",
                    "test dose of " + RunText(e) + " not positive: point not normalised");
            p.Signal = signal;
            p.Error = signalSigma;
        }
        p.Accepted = e.Accepted ? 1 : 0;
        const bool bleached = Bleached(e);
        report.measurements.push_back({el.Dose, p.Signal, !bleached, irBefore[s]});
        if (irBefore[s]) continue;
        for (std::size_t lv = bleached ? secondStart : 0;
             lv < (bleached ? report.points.size() : secondStart); ++lv) {
            if (report.points[lv].Dose == el.Dose) {
                report.points[lv].Points.push_back(p);
                break;
            }
        }
    }
    return report;
}

void AttachSarCriteria(TSolution& solution, const TSaPointsReport& report,
                       const TSarThresholds& thresholds, bool overridden) {
    solution.Criteria =
        EvaluateSarCriteria(report.measurements, report.testDoseError, solution.Fit, thresholds);
    solution.Criteria->Overridden = overridden;
}

double OriginError(const TPointSet& natural, const TPointSet& regenerated) {
    double smallest = 0;
    const auto consider = [&smallest](const TPointSet& set, int from) {
        for (int i = from; i < set.Count; ++i) {
            const double e = set.Error[i];
            if (std::isfinite(e) && e > 0 && (smallest == 0 || e < smallest)) smallest = e;
        }
    };
    consider(natural, 0);
    consider(regenerated, 1);  // the origin itself comes first
    return smallest > 0 ? smallest : 1.0;
}

std::string AliquotLinePrefix(const TDiskList& disk) {
    if (disk.Hole >= 0) return AliquotName(disk) + ": ";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "Disk %3d: ", disk.Disk);
    return buffer;
}

TSolution ComputeSarSolution(TGrowthPoints& points, const TDiskList& disk,
                             const TFitOptions& options, const std::optional<TNcfFactor>& ncf,
                             const TSaPointsNotes& notes) {
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
    // The origin (no signal at no dose) is an assumption, not a measurement: it weighs like
    // the best measured point of the aliquot, not like an exact value.
    if (s.Set2.Count > 0) s.Set2.Error[0] = OriginError(s.Set1, s.Set2);
    const FunctionCode code = GrowthFunctionCode(options.FunctionObject, options.Degree);
    TPointSet set1 = s.Set1, set2 = s.Set2;
    ResultCode result = 0;
    EstimateDose(dmRegenerative, kArbitraryErrors, code, code, set1, set2, s.Fit, s.Note, result);
    if (result == kResultOk && notes.Warning != kResultOk) result = notes.Warning;
    s.Note += notes.Note;
    s.Fit.ResultCode = result;
    s.Fit.Channel = disk.Disk;
    s.Aliquot = {disk.Disk, disk.Hole};
    if (!IsFatal(result)) {
        if (ncf)
            s.Fit.ED -= disk.NcfDoseSum;
        else if (s.Set1.Count > 0)
            s.Fit.ED -= s.Set1.Dose[0];
    }
    s.Line = AliquotLinePrefix(disk) + SolutionLineResult(s.Fit, s.Note);
    if (ncf) {
        // "NCF 1.023(±0.015); " follows the dose and its error.
        const std::string text =
            "NCF " + NumberFixed(ncf->NCF, 3) + "(\u00b1" + NumberFixed(ncf->NCFError, 3) + "); ";
        const std::size_t afterDose = s.Line.find("; ", AliquotLinePrefix(disk).size());
        if (afterDose != std::string::npos) s.Line.insert(afterDose + 2, text);
    }
    return s;
}

FunctionCode DepletionFunctionCode(int depletionObject) {
    if (depletionObject > kDecayBase && depletionObject <= kDecayBase + 4) return depletionObject;
    return kLinearFunction;
}

TSolution ComputeSaaSolution(TGrowthPoints& points, const TPlatter& platter, const TDiskList& disk,
                             const TLookupTable& table, int depletionObject,
                             const TFitOptions& options, std::string& error) {
    TSolution s;
    s.Fit.Channel = disk.Disk;
    s.Aliquot = {disk.Disk, disk.Hole};
    const std::string prefix = AliquotLinePrefix(disk);
    s.Line = prefix;
    // A disk that stops here has no dose: not a result of 0 Gy.
    s.Fit.ResultCode = kSolutionNotAvailable;
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
        s.Fit.ResultCode = result;
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
