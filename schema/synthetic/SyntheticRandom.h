#pragma once

#include <cstdint>
#include <vector>

namespace mfg::synthetic {

//! A small random source whose sequence depends on nothing but its seed (splitmix64), so a
//! factory comes out the same with every compiler and standard library.
class SyntheticRandom {
public:
    //! One independent stream per stage: a change in one stage leaves the others' rows alone.
    SyntheticRandom(std::uint64_t seed, std::uint64_t stream) : state(seed * 0x9E3779B97F4A7C15ull + stream * 0xD1B54A32D192ED03ull) {}

    std::uint64_t Next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    //! 0 .. n-1 for n > 0.
    int Below(int n) { return static_cast<int>(((Next() >> 32) * static_cast<std::uint64_t>(n)) >> 32); }
    //! low .. high, both included.
    int Between(int low, int high) { return low + Below(high - low + 1); }
    //! Uniform in [0, 1).
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
    bool Chance(double probability) { return Unit() < probability; }
    template <class T>
    const T& Pick(const std::vector<T>& values)
    {
        return values[static_cast<size_t>(Below(static_cast<int>(values.size())))];
    }

private:
    std::uint64_t state;
};

}  // namespace mfg::synthetic
