#pragma once
// The dose-rate model as a function of its uncertain inputs, shared by the first-order
// propagation and the Monte Carlo draws. Internal to the dose-rate computation.
#include <array>
#include <cstddef>

#include "analysis/dose_rate.h"

enum TDoseRateParameter : std::size_t {
    kParamK,
    kParamU,
    kParamTh,
    kParamRb,
    kParamInternalK,
    kParamInternalRb,
    kParamInternalU,
    kParamInternalTh,
    kParamWater,
    kParamAValue,
    kParamAlphaU,
    kParamAlphaTh,
    kParamBetaU,
    kParamBetaTh,
    kParamBetaK,
    kParamBetaRb,
    kParamGammaU,
    kParamGammaTh,
    kParamGammaK,
    kParamAbsorbedU,
    kParamAbsorbedTh,
    kParamAbsorbedK,
    kParamAbsorbedRb,
    kParamEtchU,
    kParamEtchTh,
    kParamEtchK,
    kParamAlphaReachU,  // external alpha fraction reaching the grain
    kParamAlphaReachTh,
    kParamAlphaEtchU,  // external alpha left after etching
    kParamAlphaEtchTh,
    kParamAlphaKeptU,  // internal alpha fraction kept by the grain
    kParamAlphaKeptTh,
    kParamGammaRate,
    kParamAlphaRate,
    kParamBetaRate,
    kParamDepth,
    kParamDensity,
    kParamCosmicScale,
    kParamCount
};

// Alpha, beta, gamma, cosmic, internal and total dose rates (Gy/ka).
struct TDoseRateComponents {
    double Alpha = 0.0, Beta = 0.0, Gamma = 0.0, Cosmic = 0.0, Internal = 0.0, Total = 0.0;
};

struct TDoseRateModel {
    std::array<double, kParamCount> Mean{};
    std::array<double, kParamCount> Sigma{};
    std::array<bool, kParamCount> Systematic{};
    bool CountsAlpha = false;  // alpha only with an a-value
    bool UsesGammaRate = false, UsesAlphaRate = false, UsesBetaRate = false;
    bool CosmicFromSite = false;
    TCosmicSite Site;             // latitude, longitude and altitude; depth and density drawn
    double CosmicDoseRate = 0.0;  // typed

    TDoseRateComponents Evaluate(const std::array<double, kParamCount>& x) const;
};

// Builds the model from checked inputs and fills the report steps.
TDoseRateModel BuildDoseRateModel(const TDoseRateInputs& inputs, TDoseRateSteps& steps);

// Runs the Monte Carlo draws of a model. Every input of the model is a non-negative quantity:
// a draw below 0 is drawn again (a normal distribution truncated at 0), up to 64 times, then
// set to 0. With an equivalent dose (and the source calibration's relative uncertainty) the
// age of each draw is summarised as well.
TMonteCarloSummary RunDoseRateMonteCarlo(const TDoseRateModel& model, int draws, std::uint64_t seed,
                                         const TMeasured* equivalentDose,
                                         double calibrationRelative);
