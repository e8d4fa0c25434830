#pragma once
// The common container of curve values: a growable array of doubles.
#include <vector>

using TFloatArray = std::vector<double>;
