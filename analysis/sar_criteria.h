#pragma once
// The rejection criteria of a SAR aliquot (disk or grain): recycling ratios, recuperation,
// the relative errors of the natural's test dose and of the dose, the IR depletion ratio and
// whether the dose lies beyond the largest regeneration dose, each judged against a
// threshold. A failing aliquot keeps its dose; it is marked, and the user may accept it.
//
// Typical use:
//   TSaPointsReport r = BuildSarGrowthPoints(...);        // r.measurements, r.testDoseError
//   TSolution s = ComputeSarSolution(r.points, ...);
//   s.Criteria = EvaluateSarCriteria(r.measurements, r.testDoseError, s.Fit, thresholds);
#include <optional>
#include <string>
#include <vector>

struct TFitRecord;

// The thresholds, as fractions: recycling and IR depletion fail when |ratio - 1| exceeds
// theirs, recuperation when the ratio exceeds its, the two relative errors when above theirs.
struct TSarThresholds {
    double Recycling = 0.1;
    double Recuperation = 0.1;
    double TestDose = 0.1;
    double Palaeodose = 0.1;
    double Depletion = 0.1;
};

// One signal measurement (Lx) of a SAR aliquot in measurement order: its dose, its
// test-dose normalised signal (Lx/Tx, or the net signal when the aliquot is not normalised),
// whether it is the natural and whether an IR shine of the aliquot came just before it (the
// IR-then-OSL measurement of the depletion check, which never enters the growth curve).
struct TSarSignal {
    double Dose = 0;
    double Ratio = 0;
    bool Natural = false;
    bool IrBefore = false;
};

// The names of the criteria, as "failed" lists them and --criteria takes them.
inline constexpr const char* kCriterionRecycling = "recycling";
inline constexpr const char* kCriterionRecuperation = "recuperation";
inline constexpr const char* kCriterionTestDose = "testdose";
inline constexpr const char* kCriterionPalaeodose = "palaeodose";
inline constexpr const char* kCriterionDepletion = "depletion";
inline constexpr const char* kCriterionMaxDose = "maxdose";

struct TSarCriteria {
    // Each repeated regeneration dose over its first measurement, in measurement order.
    std::vector<double> RecyclingRatios;
    // The first 0 Gy regeneration over the natural; none without either.
    std::optional<double> Recuperation;
    // Relative errors; NaN when undefined (no test dose, no dose), which fails.
    double TestDoseError = 0;
    double PalaeodoseError = 0;
    // The IR-then-OSL measurement over the first measurement at its dose without IR.
    std::optional<double> IrDepletionRatio;
    bool ExceedsMaxDose = false;
    double MaxRegenerationDose = 0;
    std::vector<std::string> Failed;  // criterion names, in the order above
    bool Overridden = false;          // accepted by the user whatever the criteria
    bool Accepted() const { return Failed.empty() || Overridden; }
};

// The criteria of one aliquot from its measurements, the natural test dose's relative error
// (NaN without a test dose) and the solution's dose (ED, EDError after the reduction by the
// natural's dose).
TSarCriteria EvaluateSarCriteria(const std::vector<TSarSignal>& measurements,
                                 double testDoseError, const TFitRecord& fit,
                                 const TSarThresholds& thresholds);

// Parses "recycling=0.1,recuperation=0.1,testdose=0.1,palaeodose=0.1,depletion=0.1" (any
// subset, C-locale numbers >= 0) into `thresholds`; false with the reason in `error`.
bool ParseSarThresholds(const std::string& text, TSarThresholds& thresholds, std::string& error);

// "recycling 1.012, 0.998; recuperation 0.010; test dose error 0.019; dose error 0.017;
// IR depletion 0.990; dose within the regeneration doses; accepted" ("n.a." for a value that
// is missing, "failed: recycling, depletion" or "failed: ..., accepted by the user" at the end).
std::string SarCriteriaText(const TSarCriteria& criteria, char decimalPoint = '.');
