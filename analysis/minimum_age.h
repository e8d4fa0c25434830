#pragma once
// The minimum age model with 3 and 4 parameters (Galbraith et al. 1999, Archaeometry 41:
// 339-364; Galbraith & Roberts 2012, Quaternary Geochronology 11: 1-27).
//
// Each log dose x_i, measured with error s_i (its relative error with sigma_b added in
// quadrature), comes with probability p from the minimum log dose gamma and otherwise from
// a normal distribution N(mu, sigma^2) truncated below at gamma (mu = gamma with 3
// parameters). Its density is
//   p phi((x - gamma) / s) / s
//   + (1 - p) [1 - Phi((gamma - mu0) / sigma0)] / [1 - Phi((gamma - mu) / sigma)]
//     phi((x - mu) / S) / S,
// with S^2 = sigma^2 + s^2, mu0 = (mu / sigma^2 + x / s^2) / (1 / sigma^2 + 1 / s^2) and
// 1 / sigma0^2 = 1 / sigma^2 + 1 / s^2. Constraints: 0 <= p <= 1, sigma >= 0, mu >= gamma.
//
// The likelihood can have several local maxima. The search: p is profiled out exactly
// (the log likelihood is concave in p); a grid over gamma, sigma (and mu - gamma) on the
// doses (binned when there are many) picks the starts; a Nelder-Mead simplex climbs from
// each of the best, first on the grid's data, then on every dose from the best few; the
// highest maximum is kept. The 95 % interval of the dose is where the profile log
// likelihood of gamma has fallen by chi2(0.95, 1) / 2 = 1.9207 from its maximum; the dose
// error comes from the curvature of that profile at the maximum.
#include <vector>

#include "analysis/dose_models.h"

// Fits the model to log doses x with errors s (both of one length >= 2, s > 0) and fills
// De, DeError, Sigma, P0, Mu (4 parameters), DeLower, DeUpper, Lmax and BIC of result.
void FitMinimumAgeModel(const std::vector<double>& x, const std::vector<double>& s,
                        bool fourParameters, TDoseModelResult& result);
