#include "fitting/complex_arithmetic.h"

#include <cmath>

#include "fitting/special_functions.h"

TComplex ComplexAdd(TComplex a, TComplex b) {
    return {a.Re + b.Re, a.Im + b.Im};
}

TComplex ComplexSubtract(TComplex a, TComplex b) {
    return {a.Re - b.Re, a.Im - b.Im};
}

TComplex ComplexMultiply(TComplex a, TComplex b) {
    return {a.Re * b.Re - a.Im * b.Im, a.Im * b.Re + a.Re * b.Im};
}

TComplex ComplexScale(double factor, TComplex a) {
    return {factor * a.Re, factor * a.Im};
}

double ComplexAbs(TComplex a) {
    return Pythag(a.Re, a.Im);
}

TComplex ComplexDivide(TComplex a, TComplex b) {
    if (std::fabs(b.Re) >= std::fabs(b.Im)) {
        const double r = b.Im / b.Re;
        const double den = b.Re + r * b.Im;
        return {(a.Re + r * a.Im) / den, (a.Im - r * a.Re) / den};
    }
    const double r = b.Re / b.Im;
    const double den = b.Im + r * b.Re;
    return {(a.Re * r + a.Im) / den, (a.Im * r - a.Re) / den};
}

TComplex ComplexSqrt(TComplex a) {
    if (a.Re == 0.0 && a.Im == 0.0) return {0.0, 0.0};
    const double c = std::fabs(a.Re);
    const double d = std::fabs(a.Im);
    double w;
    if (c >= d) {
        const double r = d / c;
        w = std::sqrt(c) * std::sqrt(0.5 * (1.0 + std::sqrt(1.0 + r * r)));
    } else {
        const double r = c / d;
        w = std::sqrt(d) * std::sqrt(0.5 * (r + std::sqrt(1.0 + r * r)));
    }
    if (a.Re >= 0.0) return {w, a.Im / (2.0 * w)};
    const double im = a.Im >= 0.0 ? w : -w;
    return {d / (2.0 * w), im};
}
