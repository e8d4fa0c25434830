#include "analysis/simplex_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct TVertex {
    double X[kSimplexMaxDimension] = {};
    double F = 0.0;
};

// One Nelder-Mead run from start with the given steps; evaluations counted into `used`.
TVertex RunSimplex(const std::function<double(const double*)>& f, const TVertex& start,
                   const TSimplexOptions& o, int& used, bool& converged) {
    const int n = o.Dimension;
    TVertex v[kSimplexMaxDimension + 1];
    v[0] = start;
    for (int i = 1; i <= n; ++i) {
        v[i] = start;
        v[i].X[i - 1] += o.Step[i - 1];
        v[i].F = f(v[i].X);
        ++used;
    }
    auto eval = [&](TVertex& p) {
        p.F = f(p.X);
        ++used;
    };
    converged = false;
    while (used < o.MaxEvaluations) {
        std::sort(v, v + n + 1, [](const TVertex& a, const TVertex& b) { return a.F < b.F; });
        double spread = 0.0;
        for (int i = 1; i <= n; ++i)
            for (int k = 0; k < n; ++k) spread = std::max(spread, std::fabs(v[i].X[k] - v[0].X[k]));
        if (spread <= o.XTolerance) {
            converged = true;
            break;
        }
        double centroid[kSimplexMaxDimension] = {};
        for (int i = 0; i < n; ++i)
            for (int k = 0; k < n; ++k) centroid[k] += v[i].X[k] / n;
        auto along = [&](double t) {
            TVertex p;
            for (int k = 0; k < n; ++k) p.X[k] = centroid[k] + t * (v[n].X[k] - centroid[k]);
            eval(p);
            return p;
        };
        const TVertex reflected = along(-1.0);
        if (reflected.F < v[0].F) {
            const TVertex expanded = along(-2.0);
            v[n] = expanded.F < reflected.F ? expanded : reflected;
        } else if (reflected.F < v[n - 1].F) {
            v[n] = reflected;
        } else {
            const TVertex contracted =
                reflected.F < v[n].F ? along(-0.5) : along(0.5);
            if (contracted.F < std::min(reflected.F, v[n].F)) {
                v[n] = contracted;
            } else {
                for (int i = 1; i <= n; ++i) {
                    for (int k = 0; k < n; ++k) v[i].X[k] = v[0].X[k] + 0.5 * (v[i].X[k] - v[0].X[k]);
                    eval(v[i]);
                }
            }
        }
    }
    std::sort(v, v + n + 1, [](const TVertex& a, const TVertex& b) { return a.F < b.F; });
    return v[0];
}

}  // namespace

TSimplexResult SimplexSearch(const std::function<double(const double*)>& f, const double* start,
                             const TSimplexOptions& options) {
    TSimplexOptions o = options;
    o.Dimension = std::clamp(o.Dimension, 1, kSimplexMaxDimension);
    TVertex best;
    for (int k = 0; k < o.Dimension; ++k) best.X[k] = start[k];
    int used = 1;
    best.F = f(best.X);
    bool converged = false;
    // Restart with steps shrinking towards the tolerance until a run gains nothing.
    for (int restart = 0; restart < 8 && used < o.MaxEvaluations; ++restart) {
        const TVertex found = RunSimplex(f, best, o, used, converged);
        const bool gained = found.F < best.F - 1e-12 * (1.0 + std::fabs(best.F));
        if (found.F <= best.F) best = found;
        if (!gained && restart > 0) break;
        for (int k = 0; k < o.Dimension; ++k) o.Step[k] = std::max(o.Step[k] * 0.1, 10 * o.XTolerance);
    }
    TSimplexResult result;
    for (int k = 0; k < o.Dimension; ++k) result.X[k] = best.X[k];
    result.Value = best.F;
    result.Evaluations = used;
    result.Converged = converged && std::isfinite(best.F);
    return result;
}
