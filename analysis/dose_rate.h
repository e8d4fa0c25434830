#pragma once
// Environmental dose rate and age. The dose rate to the dated grains is built from the
// radionuclide contents of the sediment (or their activities), the chosen conversion
// factors, the attenuation of the beta dose by the grain (grain size and etch depth), the
// alpha efficiency and its attenuation by coarse grains, the water content, the cosmic dose
// rate and the grain's own K, Rb, U and Th. Measured dose rates (an in-situ gamma dose rate,
// alpha or beta dose rates to the grains) replace the computed ones. Every uncertainty is carried
// to the result by first-order propagation: the contributions of the independent inputs combine in
// quadrature. A seeded Monte Carlo run of the same model can be added for comparison.
//
// Engine code: nothing here throws. A bad input is refused with a message naming it.
#include <cstdint>
#include <string>

#include "analysis/beta_attenuation.h"
#include "analysis/conversion_factors.h"
#include "analysis/cosmic_dose_rate.h"
#include "analysis/dose_rate_grain_absorption.h"

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

    // The alpha efficiency. With it the alpha dose counts: whole for fine grains (no grain
    // size, or none above kFineGrainMaxDiameter), attenuated by the grain size for coarse
    // grains, and without the external part for grains etched kAlphaEtchLimit deep or more.
    bool HasAValue = false;
    TMeasured AValue;

    // The grain's own contents: K in %, Rb, U and Th in ppm.
    bool HasInternalK = false;
    TMeasured InternalK;
    bool HasInternalRb = false;
    TMeasured InternalRb;
    bool HasInternalU = false;
    TMeasured InternalU;
    bool HasInternalTh = false;
    TMeasured InternalTh;

    // Measured dose rates (Gy/ka) used as given, in place of the ones computed from the
    // contents: in-situ gamma (it holds the site's water and geometry), and alpha or beta dose
    // rates to the grains (attenuation, etching, water and a-value already applied).
    bool HasGammaRate = false;
    TMeasured GammaRate;
    bool HasAlphaRate = false;
    TMeasured AlphaRate;
    bool HasBetaRate = false;
    TMeasured BetaRate;

    // The uncertainty (%) of the beta source's calibration: it scales every equivalent dose of
    // the laboratory alike, so it enters the age's systematic uncertainty only.
    double SourceCalibrationError = 0.0;

    // The cosmic dose rate: from the site, or typed (error 10 % of the value when not typed).
    bool HasSite = false;
    TCosmicSite Site;
    bool HasCosmic = false;
    double Cosmic = 0.0;
    bool HasCosmicError = false;
    double CosmicError = 0.0;
    // Standard uncertainties of the site's depth (m) and overburden density (g/cm3), carried
    // into the cosmic dose rate.
    double DepthError = 0.0;
    double DensityError = 0.0;

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
    TRangeFactors Absorbed;                  // beta absorbed fractions (0 without a grain size)
    TRangeFactors Etch;                      // etch multipliers (1 without etching)
    bool CountsAlpha = false;                // an a-value was given
    bool FineGrains = true;                  // the whole external alpha dose counts
    TGrainFraction AlphaU, AlphaTh;          // external alpha fraction reaching the grain
    TGrainFraction AlphaEtchU, AlphaEtchTh;  // left after etching (1 without etching)
    TGrainFraction RbAbsorbed;               // of the grain's own Rb beta dose
    double WaterAlpha = 1.0, WaterBeta = 1.0, WaterGamma = 1.0;  // 1 / (1 + h W)
    double DryAlpha = 0.0, DryBeta = 0.0, DryGamma = 0.0;
    bool CosmicFromSite = false;
    TCosmicDetails Cosmic;
};

struct TMonteCarloSummary {
    int Draws = 0;
    std::uint64_t Seed = 0;
    TDoseRateValue Alpha, Beta, Gamma, Cosmic, Internal, Total;  // mean and standard deviation
    // The age (ka) of the same draws, each with its own equivalent dose; for an age only.
    bool HasAge = false;
    TDoseRateValue Age;
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
    // The part of the systematic uncertainty from the beta source's calibration (ka).
    double ErrorCalibration = 0.0;
    TDoseRateResult DoseRate;
};

// The largest number of Monte Carlo draws accepted.
inline constexpr int kMaxMonteCarloDraws = 10000000;

// An equivalent dose in the unit of the source's dose rate ("Gy", "mGy", "cGy", "kGy";
// the rate's unit before its "/") in Gy. False with a message for any other unit: a dose in
// seconds or in a unit the file does not name cannot be dated.
bool EquivalentDoseInGray(const TMeasured& dose, const std::string& unit, TMeasured& gray,
                          std::string& message);

// Checks the inputs; on a bad one returns false with a message naming it.
bool CheckDoseRateInputs(const TDoseRateInputs& inputs, std::string& message);

// Computes the dose rate. Returns false with a message when an input is refused.
bool ComputeDoseRate(const TDoseRateInputs& inputs, TDoseRateResult& result, std::string& message);

// Age = De / dose rate, De in Gy with its uncertainty (random). The source calibration's
// uncertainty joins the dose rate's systematic part. With Monte Carlo draws the age is drawn
// as well. Returns false with a message when an input is refused or the dose rate is zero.
bool ComputeAge(const TMeasured& equivalentDose, const TDoseRateInputs& inputs, TAgeResult& result,
                std::string& message);
