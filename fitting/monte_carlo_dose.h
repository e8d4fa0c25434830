#pragma once
// The Monte Carlo error of an equivalent dose: the points of the growth curve(s) are drawn
// again and again within their errors, each draw is refitted by the same dose method, and
// the spread of the draws' doses gives the error and its 68 % and 95 % intervals. It stands
// beside the analytic (propagated) error of EstimateDose, which stays the reported one.
//
// The error each point is drawn with is the one the fit gives it: 1 / sqrt(weight) under
// the error model (the starred models 5 and 6 draw with their plain models 3 and 4). Where
// the errors are not known (weights left at 1, as with equal errors and no replicates), the
// fit estimated them from the scatter of the points about the fitted curve(s), and the
// draws take that scatter, sqrt(chi-square / degrees of freedom), as every point's error.
#include <cstdint>
#include <functional>
#include <string>

#include "fitting/fit_record.h"
#include "fitting/point_set.h"

enum class TMonteCarloCode {
    Ok,
    // The dose method itself fails on the measured points: there is nothing to draw around.
    NoSolution,
    // The single-aliquot iterations (methods 8 and 9) rewrite their points: not drawn.
    NotSupported,
    // Fewer than two draws gave a dose: no spread.
    TooFewDraws,
    Cancelled,
    BadInput,  // fewer than 2 draws asked for
};

struct TMonteCarloDoseInput {
    int Method = 0;  // DoseMethod
    ErrorModel Model = 0;
    FunctionCode Code1 = 0;
    FunctionCode Code2 = 63;
    TPointSet Set1, Set2;  // as handed to EstimateDose (unsorted, errors as given)
};

struct TMonteCarloDoseOptions {
    int Draws = 1000;
    std::uint64_t Seed = 1;
    // Called every few draws with the number done; returning false cancels.
    std::function<bool(int done, int total)> Progress;
};

struct TMonteCarloDose {
    TMonteCarloCode Code = TMonteCarloCode::BadInput;
    int Draws = 0;    // asked for
    int Failed = 0;   // draws whose refit ended with a fatal result code or no finite dose
    std::uint64_t Seed = 0;
    double CentralED = 0;  // the dose of the measured points themselves
    double Mean = 0;       // mean of the draws' doses
    double DeError = 0;    // their standard deviation (n - 1)
    // Percentiles of the draws' doses: 15.87 / 84.13 % and 2.5 / 97.5 %.
    double Lower68 = 0, Upper68 = 0, Lower95 = 0, Upper95 = 0;
    std::string Warning;  // empty, or what the user must know about the draws
};

// Runs the draws (the same seed gives the same draws). The returned doses are the engine's,
// before any shift the caller applies to its solution (see ShiftMonteCarloDose).
TMonteCarloDose MonteCarloDoseError(const TMonteCarloDoseInput& input,
                                    const TMonteCarloDoseOptions& options);

// Moves every dose of the result by `shift` (the caller reports its solution's dose moved
// from the engine's, e.g. by the natural dose of a single aliquot).
void ShiftMonteCarloDose(TMonteCarloDose& result, double shift);

// The reason of a code other than Ok, for messages.
std::string MonteCarloCodeMessage(TMonteCarloCode code);
