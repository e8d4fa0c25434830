#pragma once
// Anomalous fading of feldspar signals (Huntley & Lamothe 2001, Canadian Journal of Earth
// Sciences 38: 1093-1106; Auclair et al. 2003, Radiation Measurements 37: 487-492).
//
// The g-value: Lx/Tx measured at times t since irradiation follow
//   Lx/Tx = c (1 - kappa10 log10(t / tc)),
// fitted by weighted least squares (linear in c and c kappa10); g = 100 kappa10 in % per
// decade, normalised to tc. Normalised to another time tc' it is
//   kappa10' = kappa10 / (1 - kappa10 log10(tc' / tc)).
// Its error comes from a seeded Monte Carlo: each Lx/Tx drawn from a normal distribution of
// its error, the fit repeated, the standard deviation of the g values taken.
//
// The fading-corrected age, for doses on the linear part of the growth curve only:
//   Tf / T = 1 - kappa (ln(T / tc) - 1),  kappa = g / (100 ln 10),
// with Tf the measured age, tc the time between irradiation and measurement in the
// laboratory (in years inside the equation) and g normalised to tc; solved for T by Brent's
// method. Its error by a seeded Monte Carlo over the age and g.
#include <cstdint>
#include <vector>

enum class TFadingFitCode {
    Ok,
    TooFewPoints,       // fewer than two measurements
    BadPoint,           // Lx/Tx not finite, error <= 0, or time <= 0
    SameTimes,          // all measurements at one time
    BadTime,            // tc <= 0 or not finite
    NoSignal,           // the fitted c is not positive
    BadInput,           // age, error or g out of range
    BeyondModel,        // the measured age exceeds what the model can give: no solution
};

struct TFadingPoint {
    double LxTx = 0.0;
    double Error = 0.0;
    double Time = 0.0;  // seconds since irradiation
};

struct TGValueOptions {
    double Tc = 0.0;  // seconds; 0: the shortest time of the measurements
    int Draws = 1000;
    std::uint64_t Seed = 1;
};

struct TGValueResult {
    TFadingFitCode Code = TFadingFitCode::Ok;
    int BadIndex = -1;
    double G = 0.0, GError = 0.0;              // % per decade, normalised to Tc
    double Tc = 0.0;                           // seconds
    double G2Days = 0.0, G2DaysError = 0.0;    // normalised to 2 days
};

TGValueResult FitGValue(const std::vector<TFadingPoint>& points, const TGValueOptions& options);

// g (% per decade) normalised to tcFrom, expressed for tcTo (both in seconds).
double RenormaliseG(double g, double tcFrom, double tcTo);

struct TFadingCorrectionInput {
    double Age = 0.0, AgeError = 0.0;  // any unit of time; the result is in the same unit
    double G = 0.0, GError = 0.0;      // % per decade
    double Tc = 0.0;                   // seconds between irradiation and measurement
    double TcG = 0.0;                  // seconds the g-value is normalised to; 0: Tc
    double AgeUnitSeconds = 1000.0 * 365.25 * 86400.0;  // ka
    int Draws = 10000;
    std::uint64_t Seed = 1;
};

struct TFadingCorrectionResult {
    TFadingFitCode Code = TFadingFitCode::Ok;
    double Age = 0.0, AgeError = 0.0;
    double Kappa = 0.0;            // per e-fold of time, from g at Tc
    double G = 0.0, GError = 0.0;  // normalised to Tc
    int DrawsRefused = 0;          // Monte Carlo draws beyond the model, left out
};

TFadingCorrectionResult CorrectForFading(const TFadingCorrectionInput& input);

// The user's message for a code ("line 4" names a measurement where one is at fault).
const char* FadingCodeMessage(TFadingFitCode code);
