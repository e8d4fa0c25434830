#pragma once
// How much of a short-range dose a spherical grain takes: the external alpha dose of the
// U and Th series reaching a coarse grain (and what is left after etching), the part of the
// alpha dose of the grain's own U and Th that stays in it, and the part of the beta dose of
// its own Rb-87 that it absorbs.
//
// The alpha fractions follow from one geometric fact. By the reciprocity theorem of a uniform medium
// (Aitken 1985, Thermoluminescence Dating, Appendix H), the dose a grain receives from
// sources outside it, as a fraction of the infinite-matrix dose, equals the fraction of the
// energy emitted inside the grain that escapes it. For a sphere of diameter d, the distance s
// from a uniformly placed emitter along an isotropic direction to the surface has the density
// p(s) = 3 / (2 d) * (1 - s^2 / d^2), 0 <= s <= d (the chord-length law of a sphere), so the
// escaping fraction is the mean, over p, of the energy a particle still carries after s.
//
// Alpha particles travel straight; their range in quartz follows Geiger's rule in air
// (R = 0.318 E^1.5 cm, E in MeV) scaled to quartz with the Bragg-Kleeman rule
// (0.56 A^(1/3) mg/cm2 per cm of air; Evans 1955, The Atomic Nucleus, ch. 22), and the energy
// left after a path s is E (1 - s/R)^(2/3). The series are the energy-weighted alpha groups
// of U-238 and U-235 (natural abundance, radon retained) and of Th-232 with their daughters,
// after the approach of Brennan, Lyons & Phillips (1991, Nuclear Tracks and Radiation
// Measurements 18, 249-253). The Rb-87 fraction is Readhead's (2002, Ancient TL 20, 25-28)
// table for K-feldspar, from transport of the 0.283 MeV (end-point) betas.
//
// Engine code: nothing here throws.
#include <span>

// Grains this fine (largest diameter, µm) count the whole alpha dose: the a-value of fine
// grains is measured on them and holds their own attenuation.
inline constexpr double kFineGrainMaxDiameter = 15.0;
// Grains etched this deep (µm) or deeper have lost the layer the external alphas reach.
inline constexpr double kAlphaEtchLimit = 20.0;

enum class TAlphaSeries { U, Th };

// An alpha group of a series: energy (MeV) and alphas per decay of the series' parent.
struct TAlphaGroup {
    double Energy;
    double PerDecay;
};

// The groups of a series, each weighted by its energy in the fractions below.
std::span<const TAlphaGroup> AlphaGroups(TAlphaSeries series);

// A value for a range of sizes: the mean of the values at the two ends and half their
// difference as its uncertainty (the convention of the beta attenuation tables).
struct TGrainFraction {
    double Value = 0.0;
    double Error = 0.0;
};

// The fraction of the infinite-matrix external alpha dose of a series that reaches a grain
// of diameter d (µm, > 0). Tends to 1 for small grains and to about 0.9 R/d for large ones.
double AlphaExternalFraction(TAlphaSeries series, double diameter);
TGrainFraction AlphaExternalFractionForRange(TAlphaSeries series, double minDiameter,
                                             double maxDiameter);

// The multiplier of the external alpha dose after the outer layer of a grain was etched to a
// depth (µm): the energy the series' alphas carry past that depth below a flat surface,
// relative to none etched; 0 from kAlphaEtchLimit on.
double AlphaEtchFactor(TAlphaSeries series, double depth);
TGrainFraction AlphaEtchFactorForRange(TAlphaSeries series, double minDepth, double maxDepth);

// The fraction of the beta dose of the grain's own Rb-87 that the grain absorbs; the sediment's
// Rb reaches the grain with 1 minus this fraction.
double RbAbsorbedFraction(double diameter);
TGrainFraction RbAbsorbedFractionForRange(double minDiameter, double maxDiameter);

// The range (µm) in quartz of an alpha particle of energy E (MeV), as used above.
double AlphaRangeInQuartz(double energyMeV);
