#pragma once
// Fixed capacities of the fitting engine. Every work array of the engine has one of these
// sizes, so that fits run without heap allocation.

// A point set holds at most kMaxPoints points in arrays of kPointCapacity doubles.
inline constexpr int kPointCapacity = 100;
inline constexpr int kMaxPoints = 99;
// A function has at most kMaxParams parameters. Square matrices (covariance, curvature) are
// kMaxParams x kMaxParams doubles stored row by row with row stride kMatrixStride; only the
// leading n x n block is used. Design matrices have kPointCapacity rows of the same stride.
inline constexpr int kMaxParams = 15;
inline constexpr int kMatrixStride = 15;
inline constexpr int kMatrixSize = kMaxParams * kMatrixStride;
