// Reproducible random P-file content for the tests: the same seed gives the
// same bytes on every machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

inline std::vector<std::uint8_t> random_bytes(std::size_t count, unsigned seed)
{
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> out(count);
    for (std::uint8_t& b : out)
        b = static_cast<std::uint8_t>(generator());
    return out;
}
