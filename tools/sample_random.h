#pragma once
// Reproducible random numbers for the simulated sample data. The engine and every
// distribution are written out here (rather than taken from <random>'s distributions, whose
// algorithms differ between standard libraries), so one seed gives the same files everywhere.
#include <cstdint>
#include <random>

class TSampleRandom {
public:
    explicit TSampleRandom(std::uint64_t seed) : engine_(seed) {}

    // Uniform on the open interval (0, 1), 53 random bits.
    double Uniform();
    // Standard normal deviate (Box-Muller, both values of a pair used).
    double Normal();
    // Poisson deviate of the given mean (0 for a mean <= 0 or NaN). Small means by Knuth's
    // multiplication method, means of 10 and more by Hoermann's transformed rejection (PTRS,
    // Insurance: Mathematics and Economics 12 (1993) 39-45).
    std::int64_t Poisson(double mean);

private:
    std::mt19937_64 engine_;
    bool hasSpareNormal_ = false;
    double spareNormal_ = 0.0;
};
