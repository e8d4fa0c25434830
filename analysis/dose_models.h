#pragma once
// Models that combine the equivalent doses of many aliquots or grains into one dose:
//  - the central age model (Galbraith et al. 1999, Archaeometry 41: 339-364): log doses drawn
//    from a normal distribution of mean ln(De) and standard deviation sigma (the relative
//    overdispersion), each measured with its own relative error;
//  - the common age model: the same with sigma = 0 (weighted mean of the log doses);
//  - the minimum age model with 3 and 4 parameters (Galbraith et al. 1999; Galbraith &
//    Roberts 2012, Quaternary Geochronology 11: 1-27), see minimum_age.h;
//  - the inverse-variance weighted mean of the doses on the linear scale.
// The log-scale models take a dose's relative error DeError / De as the error of its log.
#include <string>
#include <vector>

enum class TDoseModelKind { Central, Common, Minimum3, Minimum4, WeightedMean };

enum class TDoseModelCode {
    Ok,
    TooFewValues,       // fewer than two doses
    NotFinite,          // a dose or error that is not a finite number
    NonPositiveDose,    // a dose <= 0 for a model on the log scale
    NonPositiveError,   // an error <= 0
    BadSigmaB,          // sigma_b outside [0, 2] or not finite
    NotConverged,       // the likelihood search did not settle
    OutOfRange,         // doses or errors too large or small to combine in double precision
};

struct TDoseValue {
    double De = 0.0;
    double DeError = 0.0;
};

struct TDoseModelOptions {
    TDoseModelKind Kind = TDoseModelKind::Central;
    // Minimum age models: the relative spread sigma_b added in quadrature to each dose's
    // relative error (the overdispersion expected of a well-bleached sample).
    double SigmaB = 0.0;
};

// What a model gives. Values a model does not define stay NaN (JSON null).
struct TDoseModelResult {
    TDoseModelCode Code = TDoseModelCode::Ok;
    int BadIndex = -1;  // 0-based position of the refused dose, or -1
    TDoseModelKind Kind = TDoseModelKind::Central;
    int N = 0;
    double De = 0.0;
    double DeError = 0.0;
    // Central age model: overdispersion sigma as a dose (OD = sigma * De) and relative (%).
    double OD;
    double ODError;
    double RelOD;
    double RelODError;
    // Minimum age models.
    double Sigma;    // spread of the truncated log-normal (log units)
    double P0;       // proportion of grains at the minimum dose
    double Mu;       // centre of the truncated log-normal as a dose (4 parameters)
    double DeLower;  // 95 % profile-likelihood interval of the dose
    double DeUpper;
    double Lmax;     // maximised log likelihood of the log doses
    double BIC;      // -2 Lmax + k ln n, k = 3 or 4
    // A note for the user on a result that stands but has a caveat (no overdispersion,
    // an interval the likelihood leaves open); empty when there is none.
    std::string Warning;

    TDoseModelResult();
};

// Checks the doses for the model and fits it. Never throws.
TDoseModelResult FitDoseModel(const std::vector<TDoseValue>& doses,
                              const TDoseModelOptions& options);

// "cam", "common", "mam3", "mam4", "mean".
const char* DoseModelName(TDoseModelKind kind);
// The kind of a name as DoseModelName gives it; false for an unknown name.
bool DoseModelFromName(const std::string& name, TDoseModelKind& kind);
// Whether the model works on the logarithms of the doses.
bool IsLogScaleModel(TDoseModelKind kind);
// The user's message for a refused input, naming the dose by `where` ("line 5").
std::string DoseModelMessage(const TDoseModelResult& result, const std::string& where);

// One line for plots and logs: "Central age model (n = 5): De = 11.07 +- 1.02 Gy,
// OD = 19.0 +- 7.1 %" (C notation; the window formats its own numbers).
std::string DoseModelSummary(const TDoseModelResult& result);
