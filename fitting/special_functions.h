#pragma once
// Elementary and special functions of the fitting engine.

// exp(x) with x limited to [-400, 400], so that no exponential of the engine overflows.
double ClampedExp(double x);
// x^n by repeated multiplication; n < 0 gives 1 / x^|n|, n = 0 gives 1.
double IntPower(int n, double x);
// |b| with the sign of a (a >= 0 counts as positive).
double Sign(double a, double b);
// sqrt(a^2 + b^2) without intermediate overflow; 0 when both are 0.
double Pythag(double a, double b);
// ln Gamma(x) for x > 0 by the six-term Lanczos series.
double LogGamma(double x);
// Regularised upper incomplete gamma function Q(a, x); 0 for x < 0 or a <= 0.
// The chi-square probability of X2 with nu degrees of freedom is GammaQ(nu / 2, X2 / 2).
double GammaQ(double a, double x);
