#include "tools/sample_random.h"

#include <cmath>

double TSampleRandom::Uniform() {
    const std::uint64_t bits = engine_() >> 11;  // 53 bits
    return (static_cast<double>(bits) + 0.5) * 0x1.0p-53;
}

double TSampleRandom::Normal() {
    if (hasSpareNormal_) {
        hasSpareNormal_ = false;
        return spareNormal_;
    }
    const double radius = std::sqrt(-2.0 * std::log(Uniform()));
    const double angle = 2.0 * 3.14159265358979323846 * Uniform();
    spareNormal_ = radius * std::sin(angle);
    hasSpareNormal_ = true;
    return radius * std::cos(angle);
}

std::int64_t TSampleRandom::Poisson(double mean) {
    if (!(mean > 0.0)) return 0;
    if (mean < 10.0) {
        const double limit = std::exp(-mean);
        std::int64_t k = 0;
        double product = Uniform();
        while (product > limit) {
            ++k;
            product *= Uniform();
        }
        return k;
    }
    // PTRS: transformed rejection with squeeze.
    const double root = std::sqrt(mean);
    const double logMean = std::log(mean);
    const double b = 0.931 + 2.53 * root;
    const double a = -0.059 + 0.02483 * b;
    const double invAlpha = 1.1239 + 1.1328 / (b - 3.4);
    const double vr = 0.9277 - 3.6224 / (b - 2.0);
    for (;;) {
        const double u = Uniform() - 0.5;
        const double v = Uniform();
        const double us = 0.5 - std::fabs(u);
        const double k = std::floor((2.0 * a / us + b) * u + mean + 0.43);
        if (us >= 0.07 && v <= vr) return static_cast<std::int64_t>(k);
        if (k < 0.0 || (us < 0.013 && v > us)) continue;
        if (std::log(v) + std::log(invAlpha) - std::log(a / (us * us) + b) <=
            -mean + k * logMean - std::lgamma(k + 1.0)) {
            return static_cast<std::int64_t>(k);
        }
    }
}
