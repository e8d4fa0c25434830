#pragma once
// Water in the pores absorbs part of the radiation that would otherwise reach the grains.
// With the water content W as a fraction of the dry mass, a dry dose rate D becomes
// D / (1 + h W), with the factors h of Aitken (1985, Thermoluminescence Dating, Academic
// Press, Appendix H): 1.50 for alpha, 1.25 for beta and 1.14 for gamma radiation. (Some
// copies of the alpha factor read 1.49; the book gives 1.50.)

inline constexpr double kWaterAlphaFactor = 1.50;
inline constexpr double kWaterBetaFactor = 1.25;
inline constexpr double kWaterGammaFactor = 1.14;

// The multiplier 1 / (1 + h W) of a dry dose rate.
inline double WaterMultiplier(double factor, double water) {
    return 1.0 / (1.0 + factor * water);
}
