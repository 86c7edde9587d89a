// A deliberately plain model of the whole raw sample stream, for checking the
// converter against: one loop over the bits, each bit built sample by sample
// from the rules of the signal, with the extra samples decided by their
// closed form rather than by a running accumulator.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct plain_settings {
    std::int64_t gap_before_one = 29;
    std::int64_t gap_before_zero = 29;
    std::int64_t extra_rate_one = 76;
    std::int64_t extra_rate_zero = 76;
    std::int64_t intro_blocks = 22;
    std::int64_t outro_blocks = 22;
};

// The stream for a name given as text (letters and digits, any case) and the
// bytes of a P-file.
std::vector<std::uint8_t> plain_stream(const plain_settings& settings, const std::string& name,
                                       const std::vector<std::uint8_t>& data);

// The stream of the bytes alone, without lead-in, lead-out or name.
std::vector<std::uint8_t> plain_bytes_stream(const plain_settings& settings, const std::vector<std::uint8_t>& bytes);
