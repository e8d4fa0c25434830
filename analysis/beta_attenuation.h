#pragma once
// Attenuation of the external beta dose by the grain itself: the fraction of the
// infinite-matrix beta dose absorbed inside a spherical grain of a given diameter, per
// radionuclide series, from published tables, and the further loss after the outer layer of
// the grain has been etched away.
#include <string_view>

enum class TBetaAttenuationTable {
    Guerin2012Quartz,    // Guérin et al. (2012), quartz grains (the default)
    Guerin2012Feldspar,  // Guérin et al. (2012), K-feldspar grains
    Mejdahl1979,         // Mejdahl (1979), quartz grains
};

// Per-series values: absorbed fractions, or dose multipliers for the etch tables.
struct TSeriesFactors {
    double U = 0.0;
    double Th = 0.0;
    double K = 0.0;
};

// A value for a range of grain sizes or etch depths: the mean of the values at the two ends
// and half their difference as its uncertainty.
struct TRangeFactors {
    TSeriesFactors Value;
    TSeriesFactors Error;
};

// The largest grain diameter the tables cover (µm).
inline constexpr double kMaxGrainDiameter = 1000.0;
// The deepest etch the etch table covers (µm).
inline constexpr double kMaxEtchDepth = 30.0;

// Absorbed fractions phi(D) for a grain diameter D (µm, 0..kMaxGrainDiameter), linearly
// interpolated between the tabulated diameters. False outside the table.
bool BetaAbsorbedFractions(TBetaAttenuationTable table, double diameter, TSeriesFactors& phi);
// The same for a range of diameters (min <= max, both inside the table).
bool BetaAbsorbedFractionsForRange(TBetaAttenuationTable table, double minDiameter,
                                   double maxDiameter, TRangeFactors& phi);

// Multipliers of the grain-size attenuated beta dose after etching to a depth (µm,
// 0..kMaxEtchDepth), and for a range of depths. False outside the table.
bool BetaEtchFactors(double depth, TSeriesFactors& factors);
bool BetaEtchFactorsForRange(double minDepth, double maxDepth, TRangeFactors& factors);

std::string_view BetaAttenuationKey(TBetaAttenuationTable table);
std::string_view BetaAttenuationCitation(TBetaAttenuationTable table);
bool ParseBetaAttenuationTable(std::string_view key, TBetaAttenuationTable& table);
