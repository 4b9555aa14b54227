#pragma once

// The random numbers of the simulator and of every seeded simulation test: one engine (std::mt19937_64,
// whose output the C++ standard fixes) and distributions of our own, because the standard library's
// distributions may draw differently from one library version to the next. Same seed, same numbers, on
// every platform.
//
// One Random belongs to one thread at a time.

#include <cstdint>
#include <random>

namespace vantrel::simulate {

class Random {
  public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}

    // Uniform in (0, 1): 53 random bits, never 0 or 1 (so its logarithm is finite).
    double Uniform();
    // Standard normal (Box-Muller; one draw of two uniforms per value).
    double Normal();
    // Von Mises with mean 0 and concentration kappa >= 0, radians in [-pi, pi] (Best and Fisher, Applied
    // Statistics 28 (1979) 152-157). kappa below 1e-9: uniform on the circle. kappa above 1e7, where the
    // method's terms cancel in doubles: normal with sigma 1 / sqrt(kappa) (their difference is far below
    // what a double shows at that spread).
    double VonMises(double kappa);
    // True with probability p (p <= 0: never, p >= 1: always).
    bool Chance(double p) { return Uniform() < p; }
    // Uniform in 0 .. count - 1; count >= 1.
    std::uint64_t Index(std::uint64_t count);

  private:
    std::mt19937_64 engine_;
};

// A seed for one of several independent streams of one seed (SplitMix64 of seed and stream), so that a
// change in one part of a simulation leaves the numbers of the others as they were.
std::uint64_t StreamSeed(std::uint64_t seed, std::uint64_t stream);

}  // namespace vantrel::simulate
