#pragma once
// Environmental dose rate and age. The dose rate to the dated grains is built from the
// radionuclide contents of the sediment (or their activities), the chosen conversion
// factors, the attenuation of the beta dose by the grain (grain size and etch depth), the
// alpha efficiency of fine grains, the water content, the cosmic dose rate and, for
// feldspars, the internal K and Rb. Every uncertainty is carried to the result by first-order
// propagation: the contributions of the independent inputs combine in quadrature. A seeded
// Monte Carlo run of the same model can be added for comparison.
//
// Engine code: nothing here throws. A bad input is refused with a message naming it.
#include <cstdint>
#include <string>

#include "analysis/beta_attenuation.h"
#include "analysis/conversion_factors.h"
#include "analysis/cosmic_dose_rate.h"

// A measured quantity and its standard uncertainty.
struct TMeasured {
    double Value = 0.0;
    double Error = 0.0;
};

struct TRange {
    double Min = 0.0;
    double Max = 0.0;
};

// Everything a dose-rate computation takes. A `Has...` flag marks an optional input.
struct TDoseRateInputs {
    // Contents of the sediment: K in %, U, Th and Rb in ppm.
    TMeasured K, U, Th, Rb;
    // Activities (Bq/kg); when given they replace the contents above.
    bool HasKActivity = false, HasUActivity = false, HasThActivity = false;
    TMeasured KActivity, UActivity, ThActivity;

    TConversionTable Factors = TConversionTable::Guerin2011;
    TBetaAttenuationTable Attenuation = TBetaAttenuationTable::Guerin2012Quartz;

    bool HasGrainSize = false;
    TRange GrainSize;  // µm
    bool HasEtch = false;
    TRange Etch;  // µm

    TMeasured Water;  // fraction of the dry mass

    bool HasAValue = false;
    TMeasured AValue;  // alpha efficiency of fine grains

    bool HasInternalK = false;
    TMeasured InternalK;  // %
    bool HasInternalRb = false;
    TMeasured InternalRb;  // ppm

    // The cosmic dose rate: from the site, or typed (error 10 % of the value when not typed).
    bool HasSite = false;
    TCosmicSite Site;
    bool HasCosmic = false;
    double Cosmic = 0.0;
    bool HasCosmicError = false;
    double CosmicError = 0.0;

    // How many Monte Carlo draws to make (none when 0), and the seed that makes them repeatable.
    int MonteCarloDraws = 0;
    std::uint64_t Seed = 1;
};

// A dose rate (Gy/ka) with its uncertainty.
struct TDoseRateValue {
    double Value = 0.0;
    double Error = 0.0;
};

// The intermediate values, for the report.
struct TDoseRateSteps {
    double K = 0.0, U = 0.0, Th = 0.0, Rb = 0.0;  // contents used (from activities if given)
    double KError = 0.0, UError = 0.0, ThError = 0.0, RbError = 0.0;
    TConversionFactors Factors;
    TRangeFactors Absorbed;  // beta absorbed fractions (0 without a grain size)
    TRangeFactors Etch;      // etch multipliers (1 without etching)
    double WaterAlpha = 1.0, WaterBeta = 1.0, WaterGamma = 1.0;  // 1 / (1 + h W)
    double DryAlpha = 0.0, DryBeta = 0.0, DryGamma = 0.0;
    bool CosmicFromSite = false;
    TCosmicDetails Cosmic;
};

struct TMonteCarloSummary {
    int Draws = 0;
    std::uint64_t Seed = 0;
    TDoseRateValue Alpha, Beta, Gamma, Cosmic, Internal, Total;  // mean and standard deviation
};

struct TDoseRateResult {
    TDoseRateValue Alpha, Beta, Gamma, Cosmic, Internal, Total;
    // The parts of the total's uncertainty from the sample's own measurements (contents,
    // water, a-value, grain size and etch ranges, internal contents) and from the shared
    // constants (conversion factors, cosmic-ray model).
    double TotalRandomError = 0.0;
    double TotalSystematicError = 0.0;
    TDoseRateSteps Steps;
    bool HasMonteCarlo = false;
    TMonteCarloSummary MonteCarlo;
};

struct TAgeResult {
    double Age = 0.0;  // ka
    double ErrorRandom = 0.0;
    double ErrorSystematic = 0.0;
    double ErrorTotal = 0.0;
    TDoseRateResult DoseRate;
};

// The largest number of Monte Carlo draws accepted.
inline constexpr int kMaxMonteCarloDraws = 10000000;

// Checks the inputs; on a bad one returns false with a message naming it.
bool CheckDoseRateInputs(const TDoseRateInputs& inputs, std::string& message);

// Computes the dose rate. Returns false with a message when an input is refused.
bool ComputeDoseRate(const TDoseRateInputs& inputs, TDoseRateResult& result, std::string& message);

// Age = De / dose rate, De in Gy with its uncertainty (random). Returns false with a message
// when an input is refused or the dose rate is zero.
bool ComputeAge(const TMeasured& equivalentDose, const TDoseRateInputs& inputs, TAgeResult& result,
                std::string& message);
