#include "simulate/random.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vantrel::simulate {

double Random::Uniform() {
    return (static_cast<double>(engine_() >> 11) + 0.5) * 0x1.0p-53;
}

double Random::Normal() {
    const double radius = std::sqrt(-2 * std::log(Uniform()));
    return radius * std::cos(2 * std::numbers::pi * Uniform());
}

double Random::VonMises(double kappa) {
    if (!(kappa >= 1e-9)) {
        return std::numbers::pi * (2 * Uniform() - 1);
    }
    if (kappa > 1e7) {
        return Normal() / std::sqrt(kappa);
    }
    const double tau = 1 + std::sqrt(1 + 4 * kappa * kappa);
    const double rho = (tau - std::sqrt(2 * tau)) / (2 * kappa);
    const double r = (1 + rho * rho) / (2 * rho);
    for (;;) {
        const double z = std::cos(std::numbers::pi * Uniform());
        const double f = (1 + r * z) / (r + z);
        const double c = kappa * (r - f);
        const double u2 = Uniform();
        const double u3 = Uniform();
        if (c * (2 - c) - u2 > 0 || std::log(c / u2) + 1 - c >= 0) {
            const double angle = std::acos(std::clamp(f, -1.0, 1.0));
            return u3 < 0.5 ? -angle : angle;
        }
    }
}

std::uint64_t Random::Index(std::uint64_t count) {
    const auto index = static_cast<std::uint64_t>(Uniform() * static_cast<double>(count));
    return index < count ? index : count - 1;
}

std::uint64_t StreamSeed(std::uint64_t seed, std::uint64_t stream) {
    std::uint64_t z = seed + (stream + 1) * 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace vantrel::simulate
