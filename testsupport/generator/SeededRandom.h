#pragma once
// Reproducible random numbers: the engine of the standard library is fully specified, but its
// distributions are not, so uniform and normal values are formed here.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

namespace vexlan::kedgen {

class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}

    // Uniform in (0, 1).
    double Uniform() { return (double(engine_() >> 11) + 0.5) * 0x1.0p-53; }

    // Standard normal (Box-Muller).
    double Normal() {
        const double r = std::sqrt(-2.0 * std::log(Uniform()));
        return r * std::cos(2.0 * std::numbers::pi * Uniform());
    }

private:
    std::mt19937_64 engine_;
};

}  // namespace vexlan::kedgen
