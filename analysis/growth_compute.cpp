#include "analysis/growth_compute.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "analysis/device_key.h"
#include "fitting/dose_estimation.h"
#include "fitting/format_scientific.h"
#include "fitting/growth_functions.h"
#include "fitting/result_codes.h"
#include "platform/number_text.h"

namespace {

// printf("%*.*g", width, significant, value), with a point whatever the process's locale.
std::string General(double value, int width, int significant) {
    std::string text = NumberGeneral(value, significant);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

void AddPoint(TPointSet& set, double dose, double signal, double error) {
    if (set.Count >= kPointCapacity) return;  // at most 100 per set; the engine refuses 100
    set.Dose[set.Count] = dose;
    set.Signal[set.Count] = signal;
    set.Error[set.Count] = error;
    ++set.Count;
}

std::string ParameterLines(int count, const double* params, const double* cov) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const double variance = cov[i * TFitRecord::kMaxParams + i];
        text += "A" + std::to_string(i + 1) + " = " + FormatScientific(0, 4, params[i]) + " +/- " +
                FormatScientific(0, 4, variance >= 0 ? std::sqrt(variance) : 0.0) + "\r\n";
    }
    return text;
}

}  // namespace

FunctionCode GrowthFunctionCode(int object, int degree) {
    switch (object) {
        case 1:
            return kLinearFunction;
        case 2:
            return kQuadraticFunction;
        case 3:
            return kCubicFunction;
        case 4:
            return kSaturatingExponential;
        case 5:
            return kSaturatingExponentialLinear;
        case 6:
            return kPolynomialBase + std::clamp(degree, 0, 14);
        case 8:
            return kDecayBase;
        default:
            return -1;
    }
}

double ErrorValue(const TFitOptions& o) {
    if (o.ErrorModel == kFixedPercentErrors || o.ErrorModel == kFixedStarPercentErrors) {
        const double v = o.Percent / 100.0;
        return v > 0 && v <= 1 ? v : 1.0;
    }
    if (o.ErrorModel == kFixedPercentVariances || o.ErrorModel == kFixedStarPercentVariances) {
        return 0.5;
    }
    return 1.0;
}

int EngineMethod(int method) {
    switch (method) {
        case kAdditiveGrowth:
        case kAlphaGrowth:
        case kSecondGlowIntercept:
            return dmAdditive;
        case kRegenGrowth:
            return dmRegenerative;
        case kTotalBleach:
            return dmTotalBleach;
        case kPartialBleach:
            return dmPartialBleach;
        case kAlphaEfficiency:
            return dmAlphaEfficiency;
        case kAdditiveRegenSlide:
            return dmSlide;
        case kFirstSecondGlowCeramic:
            return dmCeramic;
        default:
            return 0;
    }
}

std::string SolutionLinePrefix(const TDeviceKey& device, int method, int index) {
    char buffer[64];
    if (!IsTLDevice(device)) {
        if (method == kSaAdditive || method == kSaRegenerative) {
            std::snprintf(buffer, sizeof buffer, "Disk %3d: ", index);
        } else {
            std::snprintf(buffer, sizeof buffer, "Ch %2d: ", index);
        }
    } else {
        std::snprintf(buffer, sizeof buffer, "T  %3d: ", device.Spacing * (index + 1));
    }
    return buffer;
}

std::string SolutionLineResult(const TFitRecord& fit, const std::string& note,
                               const char* plusMinus) {
    std::string message;
    ResultMessage(fit.ResultCode, message);
    std::string line =
        General(fit.ED, 7, 5) + " " + plusMinus + " " + General(fit.EDError, 5, 3) + "; " + message;
    if (!note.empty()) line += " - " + note;
    return line;
}

TSolution ComputeSolution(TGrowthPoints& points, const TDeviceKey& device, int method, int index,
                          const TFitOptions& options) {
    TSolution s;
    s.Fit.Channel = index;
    const FunctionCode code = GrowthFunctionCode(options.FunctionObject, options.Degree);
    const int engineMethod = EngineMethod(method);
    const double error = ErrorValue(options);
    for (TDosePoints& level : points) {
        for (TGrowthPoint& p : level.Points) {
            p.Error = error;
            if (!p.Accepted) continue;
            if (level.Kind == kGrowthLevel) {
                AddPoint(s.Set1, level.Dose, p.Signal, error);
                if (method == kAlphaEfficiency && level.Dose == 0) {
                    AddPoint(s.Set2, level.Dose, p.Signal, error);
                }
            } else {
                AddPoint(s.Set2, level.Dose, p.Signal, error);
            }
        }
    }
    if (method == kSecondGlowIntercept) std::swap(s.Set1, s.Set2);
    const std::string prefix = SolutionLinePrefix(device, method, index);
    ResultCode result = 0;
    if (engineMethod == 0) {
        s.Fit.ResultCode = kInputControlDataError;
        s.Note = "single-aliquot methods are computed per disk; ";
    } else {
        TPointSet set1 = s.Set1;
        TPointSet set2 = s.Set2;
        EstimateDose(engineMethod, options.ErrorModel, code, code, set1, set2, s.Fit, s.Note,
                     result);
        s.Fit.ResultCode = result;
        s.Fit.Channel = index;
    }
    s.Line = prefix + SolutionLineResult(s.Fit, s.Note);
    return s;
}

std::string ResultSummaryText(const TSummaryInput& in, const TFitRecord& fit) {
    const std::string crlf = "\r\n";
    std::string text = "File name: " + in.FileName + crlf + "Full path: " + in.Folder + crlf +
                       "Type of data: " + in.DeviceText + crlf +
                       "Method: " + MethodLongName(in.Method) + crlf;
    if (!in.BleachingText.empty()) text += "Bleaching: " + in.BleachingText + crlf;
    text += in.Osl ? "Channel(s): " + std::to_string(in.IndexValue) + crlf
                   : "Temperature(s): " + std::to_string(in.IndexValue) + "C" + crlf;
    const char* label = in.Method == kSecondGlowIntercept      ? "Io = "
                        : in.Method == kAlphaEfficiency        ? "a = "
                        : in.Method == kFirstSecondGlowCeramic ? "AD = "
                                                               : "ED = ";
    std::string message;
    ResultMessage(fit.ResultCode, message);
    text += std::string("Result: ") + label + FormatScientific(0, 3, fit.ED) + " +/- " +
            FormatScientific(0, 3, fit.EDError) + "; " + message + crlf;

    const std::string name1 = FunctionLongName(fit.Code1);
    const std::string name2 = FunctionLongName(fit.Code2);
    const bool linearCeramic = in.Method == kFirstSecondGlowCeramic && fit.Code1 == kLinearFunction;
    if (in.Method == kRegenGrowth || in.Method == kSaRegenerative) {
        text += "Fitted function: " + name2 + crlf + "Fitted function parameters: " + crlf +
                ParameterLines(fit.NParams2, fit.Params2, fit.Cov2);
    } else if (in.Method == kPartialBleach || linearCeramic) {
        text += "First fitted function: " + name1 + crlf +
                "First fitted function parameters: " + crlf +
                ParameterLines(fit.NParams1, fit.Params1, fit.Cov1);
        text += "Second fitted function: " + name2 + crlf +
                "Second fitted function parameters: " + crlf +
                ParameterLines(fit.NParams2, fit.Params2, fit.Cov2);
    } else if (in.Method == kAdditiveRegenSlide || in.Method == kFirstSecondGlowCeramic) {
        text += "Fitted function: " + name1 + crlf + "Fitted function parameters: " + crlf +
                ParameterLines(fit.NParams1, fit.Params1, fit.Cov1);
        const int n = std::clamp(fit.NParams2, 0, TFitRecord::kMaxParams - 1);
        const double variance = fit.Cov2[n * TFitRecord::kMaxParams + n];
        text += "Scaling factor: " + FormatScientific(0, 4, fit.Params2[n]) + " +/- " +
                FormatScientific(0, 4, variance >= 0 ? std::sqrt(variance) : 0.0) + crlf;
    } else {
        text += "Fitted function: " + name1 + crlf + "Fitted function parameters: " + crlf +
                ParameterLines(fit.NParams1, fit.Params1, fit.Cov1);
    }
    text += "Printed on: " + in.PrintedOn + crlf + "Comment: " + crlf;
    return text;
}

TMonteCarloDose SolutionMonteCarlo(const TSolution& s, const TMonteCarloDoseOptions& options) {
    TMonteCarloDoseInput input;
    input.Method = s.Fit.Method;
    input.Model = s.Fit.ErrorModel;
    input.Code1 = s.Fit.Code1;
    input.Code2 = s.Fit.Code2;
    input.Set1 = s.Set1;
    input.Set2 = s.Set2;
    if (IsFatal(s.Fit.ResultCode)) {
        TMonteCarloDose none;
        none.Code = TMonteCarloCode::NoSolution;
        none.Draws = options.Draws;
        none.Seed = options.Seed;
        return none;
    }
    TMonteCarloDose result = MonteCarloDoseError(input, options);
    ShiftMonteCarloDose(result, s.Fit.ED - result.CentralED);
    return result;
}

std::string MonteCarloDoseText(const TMonteCarloDose& r, const char* plusMinus) {
    if (r.Code != TMonteCarloCode::Ok) return "MC: " + MonteCarloCodeMessage(r.Code);
    auto number = [](double x) { return NumberGeneral(x, 4); };
    std::string text = "MC " + std::string(plusMinus) + " " + number(r.DeError) + " (68 %: " +
                       number(r.Lower68) + " to " + number(r.Upper68) + "; 95 %: " +
                       number(r.Lower95) + " to " + number(r.Upper95) + "; " +
                       std::to_string(r.Draws) + " draws";
    if (r.Failed > 0) text += ", " + std::to_string(r.Failed) + " failed";
    text += ")";
    if (!r.Warning.empty()) text += " " + r.Warning;
    return text;
}
