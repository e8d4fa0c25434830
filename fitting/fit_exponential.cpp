#include "fitting/fit_exponential.h"

#include <cmath>

#include "fitting/covariance_scaling.h"
#include "fitting/engine_limits.h"
#include "fitting/linear_solvers.h"
#include "fitting/root_finding.h"
#include "fitting/special_functions.h"
#include "fitting/svd.h"

namespace {

// Working units keep the decomposition well conditioned for doses of hundreds and signals
// of tens of thousands.
constexpr double kDoseScale = 100.0;
constexpr double kSignalScale = 1e4;
constexpr double kWeightScale = 1e8;

constexpr double kSmallestStart = 0.01;
constexpr double kLargestStart = 20.0;
constexpr double kDefaultStart = 4.0;
constexpr int kMaxStarts = 100;
constexpr int kMaxExpansions = 100;
constexpr int kMaxHalvings = 100;
constexpr double kExpansionFactor = 1.6;
constexpr double kVanishingSlope = 1e-10;
constexpr double kBisectionTolerance = 0.001;
constexpr double kTinySlope = 1e-307;
constexpr double kHugeSlope = 1e307;
constexpr long double kDoubleLimit = 1.7e308L;
// Bracket width, relative to the exponent, at which the polish of the exponent stops.
constexpr double kPolishTolerance = 2e-10;

// The exponential fit for one trial exponent: data in working units and the results of the
// last evaluation.
struct TExponentSearch {
    int N = 0;
    int n = 0;  // parameters including the exponent
    double x[kPointCapacity];
    double y[kPointCapacity];
    double w[kPointCapacity];
    double params[kMaxParams];
    double chiSquare = 0.0;
    bool ok = true;
    bool overflow = false;
    double u[kPointCapacity * kMatrixStride];
    double v[kMatrixSize];
    double sv[kMaxParams];
};

// Basis 1, x, ..., x^(n-3), exp(-k x) for the linear parameters; context is the exponent.
void ExponentialBasis(double x, double* values, int nparams, void* context) {
    const double k = *static_cast<const double*>(context);
    double power = 1.0;
    for (int j = 0; j < nparams - 1; ++j) {
        values[j] = power;
        power *= x;
    }
    values[nparams - 1] = ClampedExp(-k * x);
}

// dX2/dk at the exponent k, with the linear parameters solved exactly for that k.
double ExponentSlope(TExponentSearch& s, double k) {
    const int n = s.n;
    s.params[n - 1] = k;
    double exponent = k;
    LinearLeastSquares(s.x, s.y, s.w, s.N, ExponentialBasis, &exponent, n - 1, s.params,
                       s.chiSquare, s.u, s.v, s.sv, s.ok);
    if (!s.ok) return 0.0;
    double sum = 0.0;
    for (int i = 0; i < s.N; ++i) {
        double fitted = 0.0;
        double power = 1.0;
        for (int j = 0; j < n - 2; ++j) {
            fitted += s.params[j] * power;
            power *= s.x[i];
        }
        const double e = ClampedExp(-k * s.x[i]);
        fitted += s.params[n - 2] * e;
        sum += s.w[i] * (s.y[i] - fitted) * s.x[i] * e;
    }
    double slope = 2.0 * s.params[n - 2] * sum;
    if (std::fabs(slope) < kTinySlope) slope = 0.0;
    if (std::fabs(slope) > kHugeSlope || std::isnan(slope)) {
        slope = slope > 0.0 ? kHugeSlope : -kHugeSlope;
        s.overflow = true;
        s.ok = false;
    }
    return slope;
}

enum class TSearchEnd { Found, Failed, Fatal, Overflow };

// Evaluates D(k) and reports a failed decomposition (-11, the search goes on) or an overflow.
bool Evaluate(TExponentSearch& s, double k, double& slope, ResultCode& resultCode) {
    slope = ExponentSlope(s, k);
    if (s.overflow) {
        resultCode = kNumericTooBigWarning;
        return false;
    }
    if (!s.ok) resultCode = kSvdInversionWarning;
    return true;
}

// Brackets a zero of D(k) by geometric expansion from the start exponent and bisects it.
// On Found, D changes sign between root and other (equal when D(root) is exactly 0).
TSearchEnd SearchExponent(TExponentSearch& s, double k0, double& root, double& other,
                          ResultCode& resultCode) {
    for (int start = 0; start < kMaxStarts; ++start) {
        double k = k0;
        double g1, g2;
        if (!Evaluate(s, k, g1, resultCode)) return TSearchEnd::Overflow;
        double k2 = g1 > 0.0 ? k / 2.0 : 2.0 * k;
        if (!Evaluate(s, k2, g2, resultCode)) return TSearchEnd::Overflow;
        bool restart = false;
        int expansions = 0;
        while (g1 * g2 >= 0.0) {
            if (expansions++ == kMaxExpansions) {
                s.ok = false;
                break;
            }
            if (std::fabs(g1) < std::fabs(g2)) {
                k += kExpansionFactor * (k - k2);
                if (!Evaluate(s, k, g1, resultCode)) return TSearchEnd::Overflow;
                if (std::fabs(g1) < kVanishingSlope) {
                    k0 = k > k0 ? k0 / 2.0 : 2.0 * k0;
                    restart = true;
                    break;
                }
            } else {
                k2 += kExpansionFactor * (k2 - k);
                if (!Evaluate(s, k2, g2, resultCode)) return TSearchEnd::Overflow;
                if (std::fabs(g2) < kVanishingSlope) {
                    k0 = k2 >= k0 ? k0 / 2.0 : 2.0 * k0;
                    restart = true;
                    break;
                }
            }
        }
        if (restart) continue;
        if (!s.ok) {
            resultCode = kChiSquareMinimumNotFound;
            return TSearchEnd::Fatal;
        }
        // Bisection keeping the negative end (Numerical Recipes' rtbis).
        double r = g1 < 0.0 ? k : k2;
        double dx = g1 < 0.0 ? k2 - k : k - k2;
        bool converged = false;
        for (int halving = 0; halving < kMaxHalvings; ++halving) {
            dx *= 0.5;
            const double mid = r + dx;
            double gm;
            if (!Evaluate(s, mid, gm, resultCode)) return TSearchEnd::Overflow;
            if (gm <= 0.0) r = mid;
            if (std::fabs(dx) < kBisectionTolerance * std::fabs(mid) || gm == 0.0) {
                converged = true;
                break;
            }
        }
        if (!converged) s.ok = false;
        root = r;
        other = r + dx;
        return s.ok ? TSearchEnd::Found : TSearchEnd::Failed;
    }
    s.ok = false;
    return TSearchEnd::Failed;
}

// D(k) for the root finder; a failed decomposition or an overflow is left in the search
// state for the caller to look at.
double SlopeCallback(double k, void* context, ResultCode&) {
    return ExponentSlope(*static_cast<TExponentSearch*>(context), k);
}

// The bisection stops at 0.1 % of the exponent, well short of the minimum of chi-square.
// Brent's method on D(k) inside the bisection's last bracket takes the exponent on to a
// relative step of 1e-10 (or the limit of double precision). When the polish cannot be
// trusted (a decomposition that did not converge, no convergence) the bisection's exponent
// stays. Returns false on an overflow.
bool PolishExponent(TExponentSearch& s, double& root, double other) {
    if (other == root) return true;
    ResultCode local = kResultOk;
    const double polished =
        BrentRoot(SlopeCallback, &s, local, kPolishTolerance * std::fabs(root), root, other);
    if (s.overflow) return false;
    if (local == kResultOk && s.ok && std::isfinite(polished)) root = polished;
    s.ok = true;
    return true;
}

// Covariance from the inverted Fisher matrix, accumulated in extended precision.
void ExponentialCovariance(TExponentSearch& s, double* covariance, ResultCode& resultCode) {
    const int n = s.n;
    const double k = s.params[n - 1];
    const double amplitude = s.params[n - 2];
    long double fisher[kMaxParams][kMaxParams] = {};
    for (int i = 0; i < s.N; ++i) {
        long double g[kMaxParams];
        long double power = 1.0L;
        for (int j = 0; j < n - 2; ++j) {
            g[j] = power;
            power *= s.x[i];
        }
        const long double e = ClampedExp(-k * s.x[i]);
        g[n - 2] = e;
        g[n - 1] = -static_cast<long double>(amplitude) * s.x[i] * e;
        for (int a = 0; a < n; ++a) {
            for (int b = 0; b < n; ++b) fisher[a][b] += s.w[i] * g[a] * g[b];
        }
    }
    bool clamped = false;
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
            covariance[a * kMatrixStride + b] = ClampToDouble(fisher[a][b], clamped);
        }
    }
    if (clamped) {
        s.overflow = true;
        resultCode = kNumericTooBigWarning;
    }
    long double determinant = 0.0L;
    ExtendedInverse(n, covariance, determinant, s.overflow);
    const bool failed = determinant == 0.0L || RepairNegativeVariances(n, covariance);
    if (failed) {
        resultCode = kCovarianceWarning;
        if (determinant == 0.0L) {
            for (int a = 0; a < n; ++a) {
                for (int b = 0; b < n; ++b) covariance[a * kMatrixStride + b] = 0.0;
            }
        }
    }
}

// Parameters and covariance back from working units: the scale of A_j is
// signal scale / dose scale^(j-1) for the polynomial part, the signal scale for the
// amplitude and 1 / dose scale for the exponent.
void RestoreUnits(const TExponentSearch& s, double* params, double* covariance) {
    const int n = s.n;
    double scale[kMaxParams];
    double polynomialScale = 1.0 / kSignalScale;
    for (int j = 0; j < n - 2; ++j) {
        scale[j] = polynomialScale;
        polynomialScale *= kDoseScale;
    }
    scale[n - 2] = 1.0 / kSignalScale;
    scale[n - 1] = kDoseScale;
    for (int a = 0; a < n; ++a) {
        params[a] = s.params[a] / scale[a];
        for (int b = 0; b < n; ++b) covariance[a * kMatrixStride + b] /= scale[a] * scale[b];
    }
}

}  // namespace

double InitialExponent(int N, const double* x, const double* y) {
    if (N < 3) return 0.0;
    double groupDose[kPointCapacity];
    double groupMean[kPointCapacity];
    int groups = 0;
    const double first = x[0];
    int i = 0;
    while (i < N) {
        // A point joins the group while (its dose - first dose) x 1.01 reaches the next
        // dose's distance from the first dose.
        int end = i + 1;
        while (end < N && (x[end - 1] - first) * 1.01 >= x[end] - first) ++end;
        double sum = 0.0;
        for (int j = i; j < end; ++j) sum += y[j];
        groupDose[groups] = x[i];
        groupMean[groups] = sum / (end - i);
        ++groups;
        i = end;
    }
    for (int j = 1; j + 1 < groups; ++j) {
        const double spread = groupMean[j + 1] - groupMean[j - 1];
        double k = 0.0;
        if (std::fabs(spread) > 1e-9) {
            const double leftSlope =
                (groupMean[j] - groupMean[j - 1]) / (groupDose[j] - groupDose[j - 1]);
            const double rightSlope =
                (groupMean[j + 1] - groupMean[j]) / (groupDose[j + 1] - groupDose[j]);
            k = (leftSlope - rightSlope) * 2.0 / spread;
        }
        if (k >= kSmallestStart && k < kLargestStart) return k;
    }
    return 0.0;
}

void FitExponential(int N, const double* x, const double* y, const double* w, int n,
                    FunctionCode code, double* params, double* covariance, double& chiSquare,
                    std::string& note, ResultCode& resultCode) {
    chiSquare = 0.0;
    if ((code != kSaturatingExponential && code != kSaturatingExponentialLinear) ||
        n != ParameterCount(code)) {
        resultCode = code == kSaturatingExponential || code == kSaturatingExponentialLinear
                         ? kInvalidParameterCount
                         : kUnknownFunctionType;
        return;
    }
    if (N < 1 || N > kMaxPoints) {
        resultCode = kInputControlDataError;
        return;
    }
    // Without more points than parameters the curve is not determined, whatever the errors.
    if (N <= n) {
        resultCode = kInsufficientErrorData;
        return;
    }
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) covariance[a * kMatrixStride + b] = 0.0;
    }
    TExponentSearch s;
    s.N = N;
    s.n = n;
    for (int i = 0; i < N; ++i) {
        s.x[i] = x[i] / kDoseScale;
        s.y[i] = y[i] / kSignalScale;
        s.w[i] = w[i] * kWeightScale;
    }
    for (int j = 0; j < n; ++j) s.params[j] = 0.0;

    double k0 = InitialExponent(N, s.x, s.y);
    if (k0 == 0.0) {
        k0 = kDefaultStart;
        resultCode = kInitialFitWarning;
    }
    double root = k0;
    double other = k0;
    TSearchEnd end = SearchExponent(s, k0, root, other, resultCode);
    if (end == TSearchEnd::Found && !PolishExponent(s, root, other)) end = TSearchEnd::Overflow;
    if (end == TSearchEnd::Found) {
        double slope;
        Evaluate(s, root, slope, resultCode);
        if (s.overflow) {
            // An overflow of the final evaluation ends the fit like one during the search.
            end = TSearchEnd::Overflow;
        } else if (s.ok) {
            ExponentialCovariance(s, covariance, resultCode);
        } else {
            resultCode = kSvdInversionWarning;
        }
    } else if (end == TSearchEnd::Failed) {
        resultCode = kMinimumFindingWarning;
    }
    chiSquare = s.chiSquare;
    RestoreUnits(s, params, covariance);
    // An overflow, in the search or in the covariance, leaves no result to report: it ends
    // the fit as a failure, never as a warning a caller might clear.
    if (end == TSearchEnd::Overflow || s.overflow) {
        resultCode = kIllConditioned;
        note += "numeric value too big; ";
        return;
    }
    if (end == TSearchEnd::Fatal) return;
    if (WeightsLookUnknown(N, w))
        ScaleCovarianceByResiduals(N, n, chiSquare, covariance, resultCode);
}
