#include "fitting/weighting.h"

#include <cmath>

#include "fitting/index_sort.h"

namespace {

constexpr double kSmallestError = 1e-6;
constexpr double kLargestError = 1e6;
constexpr double kSmallestScatter = 1e-10;

// Sorts the points of a set by dose, carrying signal and error along.
void SortByDose(TPointSet& set) {
    const int n = set.Count;
    int index[kPointCapacity];
    IndexSort(n, set.Dose, index);
    double dose[kPointCapacity], signal[kPointCapacity], error[kPointCapacity];
    for (int i = 0; i < n; ++i) {
        dose[i] = set.Dose[index[i]];
        signal[i] = set.Signal[index[i]];
        error[i] = set.Error[index[i]];
    }
    for (int i = 0; i < n; ++i) {
        set.Dose[i] = dose[i];
        set.Signal[i] = signal[i];
        set.Error[i] = error[i];
    }
}

// Replicate groups of one dose-sorted set with their mean signals.
struct TGroups {
    int Count = 0;
    int Start[kPointCapacity + 1];
    double Mean[kPointCapacity];
};

void FormGroups(ErrorModel model, TPointSet& set, TGroups& groups) {
    ReplicateGroups(set.Count, set.Dose, groups.Start, groups.Count);
    for (int i = 0; i < set.Count; ++i) {
        if (set.Error[i] < kSmallestError || set.Error[i] > kLargestError) set.Error[i] = 1.0;
    }
    for (int g = 0; g < groups.Count; ++g) {
        double sum = 0.0, weightSum = 0.0;
        for (int i = groups.Start[g]; i < groups.Start[g + 1]; ++i) {
            const double w = model == kArbitraryErrors ? 1.0 / (set.Error[i] * set.Error[i]) : 1.0;
            sum += w * set.Signal[i];
            weightSum += w;
        }
        groups.Mean[g] = sum / weightSum;
    }
}

int GroupSize(const TGroups& groups, int g) {
    return groups.Start[g + 1] - groups.Start[g];
}

// Sum of squared deviations from the unweighted group mean. Deviations are taken from the
// group's first signal before averaging, so that equal signals give exactly 0 (a mean
// computed from the raw sum can differ from them in the last bit).
double SumOfSquares(const TPointSet& set, const TGroups& groups, int g) {
    const int first = groups.Start[g];
    const int size = GroupSize(groups, g);
    const double origin = set.Signal[first];
    double shift = 0.0;
    for (int i = first; i < first + size; ++i) shift += set.Signal[i] - origin;
    shift /= size;
    double ss = 0.0;
    for (int i = first; i < first + size; ++i) {
        const double d = (set.Signal[i] - origin) - shift;
        ss += d * d;
    }
    return ss;
}

// Pooled replicate variance: S = sum I_g SS_g / (I_g - 1) and H = sum I_g over groups with
// at least two points of both sets, S widened by the Student factor for small H.
void PoolScatter(const TPointSet* sets[2], const TGroups* groups[2], bool relative, double& s,
                 double& h) {
    s = 0.0;
    h = 0.0;
    for (int k = 0; k < 2; ++k) {
        for (int g = 0; g < groups[k]->Count; ++g) {
            const int size = GroupSize(*groups[k], g);
            if (size < 2) continue;
            double ss = SumOfSquares(*sets[k], *groups[k], g);
            if (relative) ss /= groups[k]->Mean[g] * groups[k]->Mean[g];
            s += size * ss / (size - 1);
            h += size;
        }
    }
    if (h > 1.0 && h <= 20.0) {
        const double factor = StudentFactor(static_cast<int>(h));
        s *= factor * factor;
    }
}

}  // namespace

void WeightPoints(ErrorModel model, TPointSet& set1, TPointSet& set2, double* weights1,
                  double* weights2, ResultCode& resultCode) {
    if (model < kEqualErrors || model > kFixedStarPercentVariances || set1.Count < 0 ||
        set1.Count > kMaxPoints || set2.Count < 0 || set2.Count > kMaxPoints) {
        resultCode = kInputControlDataError;
        return;
    }
    if (model == kFixedStarPercentErrors) model = kFixedPercentErrors;
    if (model == kFixedStarPercentVariances) model = kFixedPercentVariances;

    TPointSet* sets[2] = {&set1, &set2};
    double* weights[2] = {weights1, weights2};
    double fraction[2] = {1.0, 1.0};
    const bool relative = model == kFixedPercentErrors || model == kFixedPercentVariances;
    for (int k = 0; k < 2; ++k) {
        SortByDose(*sets[k]);
        // The fraction is read before small error entries are replaced by 1, so that a
        // fraction of 0 is refused rather than taken as 100 %.
        if (relative && sets[k]->Count > 0) {
            fraction[k] = sets[k]->Error[0];
            if (!(fraction[k] > 0.0 && fraction[k] <= 1.0)) {
                resultCode = kInvalidErrorValue;
                return;
            }
        }
    }
    TGroups groups1, groups2;
    TGroups* groups[2] = {&groups1, &groups2};
    for (int k = 0; k < 2; ++k) FormGroups(model, *sets[k], *groups[k]);
    const TPointSet* constSets[2] = {&set1, &set2};
    const TGroups* constGroups[2] = {&groups1, &groups2};

    switch (model) {
        case kEqualErrors: {
            double s, h;
            PoolScatter(constSets, constGroups, false, s, h);
            double weight = 1.0;
            if (h > 1.0) {
                if (s <= kSmallestScatter) s = h;
                weight = h / s;
            }
            for (int k = 0; k < 2; ++k) {
                for (int i = 0; i < sets[k]->Count; ++i) weights[k][i] = weight;
            }
            break;
        }
        case kArbitraryErrors:
            for (int k = 0; k < 2; ++k) {
                for (int i = 0; i < sets[k]->Count; ++i) {
                    weights[k][i] = 1.0 / (sets[k]->Error[i] * sets[k]->Error[i]);
                }
            }
            break;
        case kCalculatedErrors:
            for (int k = 0; k < 2; ++k) {
                for (int g = 0; g < groups[k]->Count; ++g) {
                    const int size = GroupSize(*groups[k], g);
                    if (size < 2) {
                        resultCode = kInsufficientErrorData;
                        return;
                    }
                    // Variance from deviations about the mean: the difference of mean square
                    // and squared mean can come out slightly negative for equal signals and
                    // then gives no weight at all.
                    double variance = SumOfSquares(*sets[k], *groups[k], g) / (size - 1);
                    if (variance <= 0.0) variance = 1.0;
                    if (size <= 20) {
                        const double factor = StudentFactor(size);
                        variance *= factor * factor;
                    }
                    const double sigma = std::sqrt(variance);
                    for (int i = groups[k]->Start[g]; i < groups[k]->Start[g + 1]; ++i) {
                        sets[k]->Error[i] = sigma;
                        weights[k][i] = 1.0 / variance;
                    }
                }
            }
            break;
        default: {  // fixed % errors or variances
            for (int k = 0; k < 2; ++k) {
                for (int g = 0; g < groups[k]->Count; ++g) {
                    const double m = groups[k]->Mean[g];
                    if (!(m > 0.0)) {
                        resultCode = kInvalidSignalValue;
                        return;
                    }
                    const double f = fraction[k];
                    const double weight =
                        model == kFixedPercentErrors ? 1.0 / (f * m * f * m) : 1.0 / (f * m);
                    for (int i = groups[k]->Start[g]; i < groups[k]->Start[g + 1]; ++i) {
                        weights[k][i] = weight;
                    }
                }
            }
            const double leading = set1.Count > 0 ? fraction[0] : fraction[1];
            if (model == kFixedPercentErrors && leading == 1.0) {
                // 100 % stands for "unknown": estimate the relative error from the scatter
                // of the replicates.
                double s, h;
                PoolScatter(constSets, constGroups, true, s, h);
                if (h > 1.0) {
                    double r = std::sqrt(s / h);
                    if (!(r > 0.0)) r = 1.0;  // identical replicates tell nothing
                    for (int k = 0; k < 2; ++k) {
                        for (int g = 0; g < groups[k]->Count; ++g) {
                            const double m = groups[k]->Mean[g];
                            for (int i = groups[k]->Start[g]; i < groups[k]->Start[g + 1]; ++i) {
                                sets[k]->Error[i] = r;
                                weights[k][i] = 1.0 / (r * m * r * m);
                            }
                        }
                    }
                }
            }
            break;
        }
    }
}

void ReweightFromFit(ErrorModel model, int n, const double* errors, const double* fitted,
                     double* weights, ResultCode& resultCode) {
    if (n < 1 || n > kMaxPoints ||
        (model != kFixedStarPercentErrors && model != kFixedStarPercentVariances)) {
        resultCode = kInputControlDataError;
        return;
    }
    for (int i = 0; i < n; ++i) {
        if (!(fitted[i] > 0.0)) {
            resultCode = kInvalidSignalValue;
            return;
        }
    }
    for (int i = 0; i < n; ++i) {
        const double sigma = errors[i] * fitted[i];
        weights[i] = model == kFixedStarPercentErrors ? 1.0 / (sigma * sigma) : 1.0 / sigma;
    }
}

void GroupMean(ErrorModel model, int n, const double* doses, const double* signals,
               const double* errors, const double* weights, double& mean, double& sigma,
               ResultCode& resultCode) {
    mean = 0.0;
    sigma = 0.0;
    if (n < 1 || n > kMaxPoints || model < kEqualErrors || model > kFixedStarPercentVariances) {
        resultCode = kInputControlDataError;
        return;
    }
    int l = 1;
    while (l < n && doses[l] == doses[0]) ++l;
    double weightSum = 0.0, sum = 0.0;
    for (int i = 0; i < l; ++i) {
        weightSum += weights[i];
        sum += weights[i] * signals[i];
    }
    if (!(weightSum > 0.0)) {
        resultCode = kInvalidErrorValue;
        return;
    }
    mean = sum / weightSum;
    const double f = errors[0];
    switch (model) {
        case kEqualErrors:
        case kCalculatedErrors:
            if (l == 1) {
                if (model == kCalculatedErrors) {
                    resultCode = kInsufficientErrorData;
                    return;
                }
                sigma = std::sqrt(1.0 / weightSum);
            } else {
                double ss = 0.0;
                for (int i = 0; i < l; ++i) ss += (signals[i] - mean) * (signals[i] - mean);
                sigma = std::sqrt(ss / (l * (l - 1.0)));
                if (l <= 20) sigma *= StudentFactor(l);
            }
            break;
        case kArbitraryErrors:
            sigma = std::sqrt(1.0 / weightSum);
            break;
        case kFixedPercentErrors:
        case kFixedStarPercentErrors:
            sigma = f * mean / std::sqrt(static_cast<double>(l));
            break;
        default:
            sigma = std::sqrt(f * mean / l);
            break;
    }
}
