#pragma once
// Singular value decomposition and weighted linear least squares built on it.
// Matrices are row-major with row stride kMatrixStride (15): a design matrix has up to
// kPointCapacity rows, square matrices kMaxParams rows.
#include "fitting/engine_limits.h"

// a = U diag(w) V^T for an m x n matrix (m <= 100, n <= 15) by the Golub-Reinsch algorithm;
// U overwrites a, w receives the n singular values (not sorted, all >= 0), v the n x n
// matrix V. ok becomes false when a singular value has not converged in 30 iterations.
void SvdDecompose(double* a, int m, int n, double* w, double* v, bool& ok);

// x = V diag(1/w) U^T b; a zero w_j contributes nothing.
void SvdSolve(const double* u, const double* w, const double* v, int m, int n, const double* b,
              double* x);

// cov[i][j] = sum over w_k != 0 of v[i][k] v[j][k] / w_k^2, written to both triangles.
void SvdCovariance(const double* v, int n, const double* w, double* cov);

// Evaluates the nparams basis functions at x into values[0..nparams-1].
using TBasisFunction = void (*)(double x, double* values, int nparams, void* context);

// Power basis 1, x, ..., x^(nparams-1); needs no context.
void PowerBasis(double x, double* values, int nparams, void* context);

// Weighted linear least squares (weights 1/sigma^2) by SVD: singular values below
// 1e-15 x the largest are zeroed, so a rank-deficient design gives the minimum-norm
// solution. chiSquare = sum weight_i (y_i - fit_i)^2. u (100 x 15), v (15 x 15) and
// w (15) are left for SvdCovariance; ok reports the convergence of the decomposition.
void LinearLeastSquares(const double* x, const double* y, const double* weight, int npoints,
                        TBasisFunction basis, void* basisContext, int nparams, double* params,
                        double& chiSquare, double* u, double* v, double* w, bool& ok);
