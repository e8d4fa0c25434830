#pragma once
// Complex numbers as plain (re, im) pairs for the polynomial root finder.

struct TComplex {
    double Re = 0.0;
    double Im = 0.0;
};

TComplex ComplexAdd(TComplex a, TComplex b);
TComplex ComplexSubtract(TComplex a, TComplex b);
TComplex ComplexMultiply(TComplex a, TComplex b);
TComplex ComplexScale(double factor, TComplex a);
// Modulus, computed as Pythag.
double ComplexAbs(TComplex a);
// a / b, dividing by the larger component of b first so that no intermediate overflows.
TComplex ComplexDivide(TComplex a, TComplex b);
// Principal square root (real part >= 0); the root of 0 is 0.
TComplex ComplexSqrt(TComplex a);
