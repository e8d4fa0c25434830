#pragma once
// The physics behind the simulated sample: trap filling under irradiation, first-order TL glow
// peaks with thermal background, and OSL/IRSL shine-down as a sum of exponential decays.
// Every function returns expected (noise-free) counts; the generator adds Poisson noise.
#include <vector>

#include "record_store/measurement_codes.h"

constexpr double kBoltzmannEvPerKelvin = 8.617333262e-5;
constexpr double kZeroCelsiusKelvin = 273.15;

// Saturating-exponential growth of trapped charge: df/dD = (1 - f) / D0, so a trap that holds
// the filled fraction f0 holds 1 - (1 - f0) exp(-D / D0) after the dose D.
double FilledAfterDose(double filled, double dose, double characteristicDose);

// One first-order (Randall-Wilkins) TL peak.
struct TGlowPeak {
    double energy = 1.0;       // activation energy E, eV
    double peakCelsius = 300;  // temperature of the maximum at the heating rate used
    double population = 0;     // trapped charge, as the counts the whole peak gives
};

// Frequency factor s that puts a first-order peak's maximum at peakKelvin for the linear
// heating rate beta (K/s): beta E / (k Tm^2) = s exp(-E / (k Tm)).
double FrequencyFactor(double energy, double peakKelvin, double heatingRate);

// Expected counts of the peaks in the temperature bins [i spacing, (i + 1) spacing), i = 0 ..
// points - 1, for heating at heatingRate (degC/s) from startCelsius (nothing is measured
// below it). First order: a peak holding n0 gives n0 (exp(-F(a)) - exp(-F(b))) in [a, b),
// with F(T) = (s / beta) integral from T0 to T of exp(-E / kT') dT' (Simpson's rule).
std::vector<double> GlowCurveCounts(const std::vector<TGlowPeak>& peaks, double heatingRate,
                                    double spacing, int points, double startCelsius);

// Fraction of a peak's charge left after the heating has reached temperature `celsius`.
double GlowPeakRemaining(const TGlowPeak& peak, double heatingRate, double startCelsius,
                         double celsius);

// Expected background counts in the same bins: incandescence of the hot plate in the Wien
// approximation, rate R500 exp(theta / 773.15 K - theta / T) with theta = h c / (lambda k)
// for the detection band at 420 nm, plus the photomultiplier's dark count rate.
std::vector<double> ThermalBackgroundCounts(double heatingRate, double spacing, int points,
                                            double startCelsius, double rateAt500Celsius,
                                            double darkRate);

// One exponentially decaying component of a shine-down curve.
struct TDecayComponent {
    double population = 0;  // counts given by complete depletion
    double decayRate = 1;   // 1/s at the stimulation power used
};

// Expected counts of channels 1 .. NPT (index 0 of the result is not a channel and is 0): a
// component n0 gives n0 (exp(-l t0) - exp(-l t1)) in channel [t0, t1); a constant background
// of backgroundRate counts/s adds its rate times the channel's dwell time.
std::vector<double> ShineDownCounts(const std::vector<TDecayComponent>& components,
                                    const TTimeBases& bases, double backgroundRate);

// The components with the charge that a stimulation of `seconds` leaves behind.
std::vector<TDecayComponent> AfterStimulation(std::vector<TDecayComponent> components,
                                              double seconds);
