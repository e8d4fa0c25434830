#include "fitting/dose_estimation.h"

#include <algorithm>
#include <cmath>

#include "fitting/dose_methods.h"
#include "fitting/dose_support.h"
#include "fitting/result_checks.h"
#include "fitting/single_aliquot_solver.h"
#include "fitting/slide_solver.h"

namespace {

bool IsCurveCode(FunctionCode code) {
    return code == 1 || code == 2 || code == 4 || code == 8 || code == 9 ||
           (code >= 16 && code <= 30) || (code >= 32 && code <= 46);
}

bool IsFirstCurveCode(FunctionCode code) {
    return IsCurveCode(code) || IsDecayCode(code);
}

bool IsSecondCurveCode(FunctionCode code) {
    return IsCurveCode(code) || code == kCorrectionTable;
}

// The methods that need points in the second set.
bool NeedsSecondSet(int method) {
    return method == dmTotalBleach || method == dmPartialBleach || method == dmRegenerative ||
           method == dmSlide || method == dmCeramic || method == dmAlphaEfficiency;
}

// Methods 6 and 7 (non-linear) join both sets in one point set and keep the scale factor
// after the last parameter, so both the joined count and the parameter count are bounded.
void DispatchSlide(TDoseWork& work) {
    if (work.Set1.Count + work.Set2.Count > kMaxPoints) {
        work.Code = kTooManyDataPoints;
        return;
    }
    if (work.Fit.NParams2 >= kMaxParams) {
        work.Code = kInputControlDataError;
        return;
    }
    SolveSlide(work);
}

// A dose, statistic or covariance that overflowed (or came out NaN) is never reported as a
// result. The covariances are cleared on entry, so they hold nothing but results.
bool ResultsAreFinite(const TFitRecord& fit) {
    auto finite = [](double v) { return std::isfinite(v); };
    const double values[] = {fit.ED,   fit.EDError,    fit.ChiSquare1, fit.P1,
                             fit.R2_1, fit.ChiSquare2, fit.P2,         fit.R2_2};
    return std::all_of(std::begin(values), std::end(values), finite) &&
           std::all_of(std::begin(fit.Cov1), std::end(fit.Cov1), finite) &&
           std::all_of(std::begin(fit.Cov2), std::end(fit.Cov2), finite);
}

void Dispatch(TDoseWork& work) {
    const int method = work.Method;
    if (work.Model < 0 || work.Model > 6 || method < dmTestFit || method > dmAlphaEfficiency) {
        work.Code = kInputControlDataError;
        return;
    }
    const int count1 = work.Set1.Count;
    const int count2 = work.Set2.Count;
    if (count1 < 0 || count1 > kMaxPoints || count2 < 0 || count2 > kMaxPoints) {
        work.Code = kInputControlDataError;
        return;
    }
    if (!IsFirstCurveCode(work.Code1) || !IsSecondCurveCode(work.Code2)) {
        work.Code = kUnknownFunctionType;
        return;
    }
    work.Fit.NParams1 = ParameterCount(work.Code1);
    work.Fit.NParams2 = ParameterCount(work.Code2);

    if (method == dmSingleAliquot) return SolveSingleAliquot(work);
    if (method == dmDecayCorrection) return SolveDecayCorrection(work);

    if (count1 < 1 || (NeedsSecondSet(method) && count2 < 1)) {
        work.Code = kInputControlDataError;
        return;
    }
    switch (method) {
        case dmTestFit:
            return SolveTestFit(work);
        case dmAdditive:
        case dmTotalBleach:
            return SolveAdditive(work);
        case dmPartialBleach:
            return SolvePartialBleach(work);
        case dmRegenerative:
            return SolveRegenerative(work);
        case dmSlide:
            if (work.Code1 != work.Code2) break;
            return DispatchSlide(work);
        case dmCeramic:
            if (work.Code1 != work.Code2) break;
            if (work.Code1 == kLinearFunction) return SolveCeramicLinear(work);
            return DispatchSlide(work);
        case dmAlphaEfficiency:
            if (work.Code1 != work.Code2) break;
            if (work.Code1 != 1 && work.Code1 != 8 && work.Code1 != 17) break;
            return SolveAlphaEfficiency(work);
        default:
            break;
    }
    work.Code = kInputControlDataError;
}

}  // namespace

void EstimateDose(int method, ErrorModel errorModel, FunctionCode code1, FunctionCode code2,
                  TPointSet& set1, TPointSet& set2, TFitRecord& fit, std::string& note,
                  ResultCode& resultCode) {
    note.clear();
    resultCode = kResultOk;
    fit.Method = method;
    fit.ErrorModel = errorModel;
    fit.Code1 = code1;
    fit.Code2 = code2;
    fit.Count1 = set1.Count;
    fit.Count2 = set2.Count;
    fit.NParams1 = 0;
    fit.NParams2 = 0;
    fit.EDError = 0.0;
    fit.ChiSquare1 = fit.P1 = fit.R2_1 = 0.0;
    fit.ChiSquare2 = fit.P2 = fit.R2_2 = 0.0;
    std::fill(std::begin(fit.Cov1), std::end(fit.Cov1), 0.0);
    std::fill(std::begin(fit.Cov2), std::end(fit.Cov2), 0.0);
    if (!(fit.ED >= 0.0)) fit.ED = 0.0;  // also a NaN start value

    TDoseWork work{method, errorModel, code1, code2, set1, set2, fit, note, resultCode};
    Dispatch(work);
    if (!IsFatal(resultCode) && !ResultsAreFinite(fit))
        FailWithNote(work, "numeric value too big; ");
    CheckResultDefined(work);
    fit.ResultCode = resultCode;
}
