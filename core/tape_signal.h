// Tape signal synthesis: bits and bytes as samples of the raw sample stream.
//
// The ZX81 saves a bit as a burst of pulses followed by silence: nine pulses
// for a 1, four for a 0. Here a bit is a stretch of silence (the gap), then
// the burst, cut from one fixed wave table, then now and then one extra
// silence sample. The extra samples come at a settable rate per hundred bits
// of each value and lengthen the mean bit by a fraction of a sample, which
// lets the timing be matched to the machine more finely than whole samples.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/output_stream.h"

// The level of every gap, extra and lead-in/lead-out sample: the midpoint of
// the unsigned 8-bit range.
inline constexpr std::uint8_t SILENCE_LEVEL = 0x80;

// Two cycles of the pulse wave, 6.5 samples a cycle (about 3392 Hz at 22050
// samples per second), swinging about the silence level. Each deviation from
// 128 lies within one unit of 102.5 * sin(2 pi i / 6.5) and they sum to zero;
// a following copy opens again with 128 and carries the wave on.
inline constexpr int PULSE_TABLE_SIZE = 13;
inline constexpr std::uint8_t pulse_table[PULSE_TABLE_SIZE] = {
    128, 212, 224, 153, 60, 26, 81, 175, 230, 196, 103, 32, 44,
};

// A 1 bit is the table four times and its first six samples: nine pulses,
// the ninth ending at its trough. A 0 bit is the table twice: four pulses.
inline constexpr int ONE_PULSE_TAIL = 6;
inline constexpr int ONE_PULSE_SAMPLES = 4 * PULSE_TABLE_SIZE + ONE_PULSE_TAIL; // 58
inline constexpr int ZERO_PULSE_SAMPLES = 2 * PULSE_TABLE_SIZE;                 // 26

// The bits of a byte in the order they go to tape: most significant first.
inline constexpr std::uint8_t bit_masks[8] = {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};

// Running sums of the extra-sample scheme, one for each bit value. They start
// at 0 and are never reset, so the name and the data form one run.
extern std::int32_t extra_accumulator_one;
extern std::int32_t extra_accumulator_zero;

// Appends the samples of one bit: 0 is a 0 bit, anything else a 1 bit.
void emit_bit(output_stream& stream, int bit);

// Appends the samples of the low eight bits of value, most significant first.
void emit_byte(output_stream& stream, unsigned value);

// Appends the samples of count bytes, exactly as count calls of emit_byte
// would, and leaves the accumulators as they would. The pipeline sends the
// name and every block of the data through here.
// Whether runs of bytes are copied with 32-byte moves: set when the program
// starts, where the processor has AVX2. Clearing it keeps to 16-byte moves,
// which every x86-64 has (the tests use this to check both).
extern bool wide_moves;

void emit_bytes(output_stream& stream, const std::uint8_t* bytes, std::size_t count);

// Advances an accumulator by one bit at the given rate; returns whether that
// bit is followed by an extra sample.
bool take_extra_sample(std::int32_t& accumulator, std::int32_t rate);
