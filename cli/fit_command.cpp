#include "cli/fit_command.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <optional>
#include <string_view>

#include "cli/cli_support.h"
#include "cli/fit_input.h"
#include "cli/json_writer.h"
#include "fitting/dose_estimation.h"
#include "fitting/engine_limits.h"
#include "fitting/fit_record.h"
#include "fitting/point_set.h"
#include "fitting/result_codes.h"

namespace {

// JSON output on one line: numbers in shortest round-trip form, non-finite values as null.
void AppendNumber(std::string& out, double value) {
    out += JsonNumber(value);
}

// withScale: the slide methods keep the scale factor in the parameter slot after the last
// parameter and its variance on the diagonal there.
void AppendCurve(std::string& out, int code, int nParams, const double* params, const double* cov,
                 double chiSquare, double p, double r2, int count, bool withScale = false) {
    const int n = std::clamp(nParams, 0, kMaxParams);
    out += "{\"Code\":" + std::to_string(code) + ",\"NParams\":" + std::to_string(nParams);
    out += ",\"Params\":[";
    for (int j = 0; j < n; ++j) {
        if (j > 0) out += ',';
        AppendNumber(out, params[j]);
    }
    out += "],\"Cov\":[";
    for (int i = 0; i < n; ++i) {
        out += i > 0 ? ",[" : "[";
        for (int j = 0; j < n; ++j) {
            if (j > 0) out += ',';
            AppendNumber(out, cov[i * kMatrixStride + j]);
        }
        out += ']';
    }
    out += "],\"ChiSquare\":";
    AppendNumber(out, chiSquare);
    out += ",\"P\":";
    AppendNumber(out, p);
    out += ",\"R2\":";
    AppendNumber(out, r2);
    out += ",\"Count\":" + std::to_string(count);
    if (withScale && n < kMaxParams) {
        out += ",\"ScaleFactor\":";
        AppendNumber(out, params[n]);
        out += ",\"ScaleFactorVariance\":";
        AppendNumber(out, cov[n * kMatrixStride + n]);
    }
    out += '}';
}

void AppendPoints(std::string& out, const TPointSet& set) {
    out += '[';
    for (int i = 0; i < set.Count; ++i) {
        out += i > 0 ? ",[" : "[";
        AppendNumber(out, set.Dose[i]);
        out += ',';
        AppendNumber(out, set.Signal[i]);
        out += ',';
        AppendNumber(out, set.Error[i]);
        out += ']';
    }
    out += ']';
}

}  // namespace

void AppendFitCurveJson(std::string& out, const TFitRecord& fit, int curve) {
    if (curve == 1) {
        AppendCurve(out, fit.Code1, fit.NParams1, fit.Params1, fit.Cov1, fit.ChiSquare1, fit.P1,
                    fit.R2_1, fit.Count1);
        return;
    }
    const bool slide =
        fit.Method == dmSlide || (fit.Method == dmCeramic && fit.Code1 != kLinearFunction);
    AppendCurve(out, fit.Code2, fit.NParams2, fit.Params2, fit.Cov2, fit.ChiSquare2, fit.P2,
                fit.R2_2, fit.Count2, slide);
}

namespace {

std::string ResultJson(const TFitRecord& fit, const std::string& note, ResultCode code,
                       const TPointSet& set1, const TPointSet& set2) {
    std::string message;
    ResultMessage(code, message);
    std::string out = "{\"ResultCode\":" + std::to_string(code) + ",\"Message\":";
    out += JsonQuoted(message);
    out += ",\"Note\":";
    out += JsonQuoted(note);
    out += ",\"ED\":";
    AppendNumber(out, fit.ED);
    out += ",\"EDError\":";
    AppendNumber(out, fit.EDError);
    out += ",\"Curve1\":";
    AppendFitCurveJson(out, fit, 1);
    out += ",\"Curve2\":";
    AppendFitCurveJson(out, fit, 2);
    out += ",\"Set1\":";
    AppendPoints(out, set1);
    out += ",\"Set2\":";
    AppendPoints(out, set2);
    out += "}\n";
    return out;
}

}  // namespace

int RunFitCommand(const std::vector<std::string>& args) {
    TFitOptions options;
    if (const std::optional<int> status = ParseFitOptions(args, options)) return *status;

    TPointSet set1;
    TPointSet set2;
    std::string message;
    if (!ReadFitPointsFile(options.PointsPath, set1, set2, message)) {
        std::cerr << "orvane-cli fit: " << message << "\n";
        return kExitBadInput;
    }

    const int method = *options.Method;
    const bool tableMethod = method == dmSingleAliquot || method == dmDecayCorrection;
    const int code2 = options.Function2 ? *options.Function2
                                        : (tableMethod ? kCorrectionTable : *options.Function1);
    TFitRecord fit;
    fit.ED = options.StartDose;
    std::copy(options.StartParams, options.StartParams + options.StartParamCount, fit.Params1);
    std::string note;
    ResultCode code = kResultOk;
    EstimateDose(method, *options.ErrorModel, *options.Function1, code2, set1, set2, fit, note,
                 code);
    std::cout << ResultJson(fit, note, code, set1, set2);
    std::cout.flush();
    return kExitRan;
}
