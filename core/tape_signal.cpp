// The samples of a bit and of a byte.
#include "core/tape_signal.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#define ZX81TAPE_WIDE_MOVES 1
#endif
#include <limits>
#include <utility>

#include "core/conversion_settings.h"

std::int32_t extra_accumulator_one = 0;
std::int32_t extra_accumulator_zero = 0;

#if ZX81TAPE_WIDE_MOVES
bool wide_moves = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}();
#else
bool wide_moves = false;
#endif

// The k-th bit of a value (counting from 1 over the whole stream) earns an
// extra sample when floor(k * rate / 100) steps up. The accumulator holds the
// running sum, less 100 for each extra sample after the first, so that it
// stays small. The sum is taken in 64 bits and kept within the 32-bit range:
// a rate of 0 or below then never earns an extra sample and a rate of 100 or
// above earns one after every bit, whatever the settings.
bool take_extra_sample(std::int32_t& accumulator, std::int32_t rate)
{
    if (rate == 0)
        return false;
    const std::int64_t old_sum = accumulator;
    std::int64_t new_sum = old_sum + rate;
    const std::int64_t old_hundreds = old_sum / 100;
    const bool extra = new_sum / 100 > old_hundreds;
    if (extra)
        new_sum -= 100 * old_hundreds;
    accumulator = static_cast<std::int32_t>(std::clamp<std::int64_t>(new_sum, std::numeric_limits<std::int32_t>::min(),
                                                                     std::numeric_limits<std::int32_t>::max()));
    return extra;
}

void emit_bit(output_stream& stream, int bit)
{
    const bool one = bit != 0;
    const std::int32_t gap = one ? conversion_settings.gap_before_one : conversion_settings.gap_before_zero;
    if (gap > 0)
        append_repeated(stream, SILENCE_LEVEL, static_cast<std::uint64_t>(gap));

    const int tables = one ? 4 : 2;
    for (int i = 0; i < tables; ++i)
        append_bytes(stream, pulse_table, PULSE_TABLE_SIZE);
    if (one)
        append_bytes(stream, pulse_table, ONE_PULSE_TAIL);

    const bool extra = one ? take_extra_sample(extra_accumulator_one, conversion_settings.extra_rate_one)
                           : take_extra_sample(extra_accumulator_zero, conversion_settings.extra_rate_zero);
    if (extra)
        append_byte(stream, SILENCE_LEVEL);
}

void emit_byte(output_stream& stream, unsigned value)
{
    for (const std::uint8_t mask : bit_masks)
        emit_bit(stream, static_cast<int>(value & mask));
}

// ---- Runs of bytes ----------------------------------------------------------
//
// The settings do not change during a run, so every 1 bit is the same stretch
// of samples and every 0 bit another, but for the extra sample. Each is laid
// out once per run as a template: the gap, the pulses and one silence sample,
// padded to a whole number of 16-byte moves. A bit is then copied with that
// fixed number of moves, whatever its length, and the write position moves
// on by the bit's length, plus one when the bit earns an extra sample: the
// trailing silence sample of the template is the extra sample. When the bit
// earns none, that sample and the padding are free space, and the next bit
// overwrites them.
//
// Whether a bit earns its extra sample depends only on how many bits of its
// value came before it. With a rate from 0 up and an accumulator a from 0 up,
// a bit earns one exactly when (a mod 100) + rate reaches 100, and a mod 100
// steps by the rate at every bit, so the decisions repeat every 100 bits of
// the value. They are taken once per run, by take_extra_sample itself, into a
// table of 100 advances for each value. Other settings take the bit-by-bit way
// of emit_byte.

namespace {

// Moves are 16 bytes on every x86-64, and 32 bytes where the processor has
// AVX2, which is found out when the program runs.
inline constexpr int MOVE_SIZE = 16;
inline constexpr int WIDE_MOVE_SIZE = 32;
inline constexpr int MOST_MOVES = 16;
inline constexpr int MOST_WIDE_MOVES = MOST_MOVES * MOVE_SIZE / WIDE_MOVE_SIZE;
inline constexpr int TEMPLATE_SIZE = MOVE_SIZE * MOST_MOVES;

// The longest gap a template holds beside the 58 pulse samples of a 1 and the
// trailing silence sample.
inline constexpr std::int32_t FAST_GAP_LIMIT = TEMPLATE_SIZE - ONE_PULSE_SAMPLES - 1;

// Rates and accumulators up to this keep every running sum far below the
// 32-bit limit, so that no sum is ever clamped and the pattern holds.
inline constexpr std::int32_t FAST_RATE_LIMIT = 1 << 24;

// The decisions of the extra-sample scheme repeat every this many bits of a
// value.
inline constexpr int EXTRA_CYCLE = 100;

// The samples of one bit value for a run, and how far each bit moves on.
// Its size is a power of two, so that the template of a bit is found with a
// shift of the bit's value.
struct alignas(512) bit_template {
    alignas(WIDE_MOVE_SIZE) std::uint8_t samples[TEMPLATE_SIZE]; // gap, pulses, one silence sample, padding
    // Samples of the bit, j bits of its value into the cycle; the first seven
    // come again at the end, so that the bits of one byte never wrap.
    std::uint16_t advance[EXTRA_CYCLE + 7];
};
static_assert(sizeof(bit_template) == 512);

// Everything a run of bytes needs: the two templates, 0 bits first.
struct fast_run {
    bit_template bits[2];
};

// The number of 1 bits in each byte value.
inline constexpr auto ONES_IN_BYTE = [] {
    std::array<std::uint8_t, 256> ones{};
    for (int value = 0; value < 256; ++value)
        for (int bit = 0; bit < 8; ++bit)
            ones[static_cast<std::size_t>(value)] += static_cast<std::uint8_t>((value >> bit) & 1);
    return ones;
}();

// For each byte value and each of its bits, most significant first: how many
// bits of the same value come before it in the byte.
inline constexpr auto SAME_BEFORE = [] {
    std::array<std::array<std::uint8_t, 8>, 256> before{};
    for (int value = 0; value < 256; ++value) {
        int ones = 0;
        for (int bit = 0; bit < 8; ++bit) {
            const bool one = ((value << bit) & 0x80) != 0;
            before[static_cast<std::size_t>(value)][static_cast<std::size_t>(bit)] =
                static_cast<std::uint8_t>(one ? ones : bit - ones);
            ones += one ? 1 : 0;
        }
    }
    return before;
}();

bool extra_samples_repeat(std::int32_t rate, std::int32_t accumulator)
{
    return rate == 0 || (rate > 0 && rate <= FAST_RATE_LIMIT && accumulator >= 0 && accumulator <= FAST_RATE_LIMIT);
}

// Whether the current settings and accumulators let a run go by templates.
bool run_fits_templates()
{
    return conversion_settings.gap_before_one <= FAST_GAP_LIMIT &&
           conversion_settings.gap_before_zero <= FAST_GAP_LIMIT &&
           extra_samples_repeat(conversion_settings.extra_rate_one, extra_accumulator_one) &&
           extra_samples_repeat(conversion_settings.extra_rate_zero, extra_accumulator_zero);
}

// Lays out the template of one bit value and its advances for the next 100
// bits of that value, deciding on a copy of the accumulator; returns the
// samples to copy for the bit with its trailing silence sample.
int prepare_template(bit_template& bit, bool one, std::int32_t gap, std::int32_t rate, std::int32_t accumulator)
{
    const int gap_samples = gap > 0 ? gap : 0;
    const int pulse_samples = one ? ONE_PULSE_SAMPLES : ZERO_PULSE_SAMPLES;
    std::memset(bit.samples, SILENCE_LEVEL, TEMPLATE_SIZE);
    // The pulses are the table over and over, as emit_bit appends them.
    for (int i = 0; i < pulse_samples; ++i)
        bit.samples[gap_samples + i] = pulse_table[i % PULSE_TABLE_SIZE];
    const int length = gap_samples + pulse_samples;
    for (int j = 0; j < EXTRA_CYCLE; ++j)
        bit.advance[j] = static_cast<std::uint16_t>(length + (take_extra_sample(accumulator, rate) ? 1 : 0));
    for (int j = EXTRA_CYCLE; j < EXTRA_CYCLE + 7; ++j)
        bit.advance[j] = bit.advance[j - EXTRA_CYCLE];
    return length + 1;
}

// Moves an accumulator on as that many calls of take_extra_sample would.
// From the states a run by templates starts in, the accumulator earns its
// first extra sample within 100 bits and from then on repeats every 100 bits
// (100 plus the sum mod 100 below a rate of 100, the last sum mod 100 plus
// the rate from 100 up), so a long run shortens to 100 to 199 bits.
void advance_accumulator(std::int32_t& accumulator, std::int32_t rate, std::uint64_t bits)
{
    if (bits >= 2 * EXTRA_CYCLE)
        bits = EXTRA_CYCLE + bits % EXTRA_CYCLE;
    for (; bits > 0; --bits)
        take_extra_sample(accumulator, rate);
}

#if ZX81TAPE_WIDE_MOVES
// Copies MOVES blocks of 32 bytes, one move each (AVX2).
template <int MOVES>
[[gnu::target("avx2")]] inline void move_wide_blocks(std::uint8_t* to, const std::uint8_t* from)
{
#pragma GCC unroll 16
    for (int move = 0; move < MOVES; ++move)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + move * WIDE_MOVE_SIZE),
                            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + move * WIDE_MOVE_SIZE)));
}
#endif

// Copies MOVES blocks of MOVE bytes, unrolled into fixed moves.
template <int MOVES, int MOVE>
[[gnu::always_inline]] inline void move_blocks(std::uint8_t* to, const std::uint8_t* from)
{
#if ZX81TAPE_WIDE_MOVES
    if constexpr (MOVE == WIDE_MOVE_SIZE) {
        move_wide_blocks<MOVES>(to, from);
        return;
    }
#endif
#pragma GCC unroll 16
    for (int move = 0; move < MOVES; ++move)
        std::memcpy(to + move * MOVE, from + move * MOVE, MOVE);
}

// Copies the eight bits of one byte from the templates to out; returns the
// place after the byte's last sample. zero_place and one_place say where the
// 0 bits and the 1 bits stand in their cycles. Every bit finds its place in
// the cycle from the byte alone (the place of its value at the start of the
// byte and the bits of that value before it in the byte), without a branch
// on the bit, so the bits of random data do not stall the processor.
template <int MOVES, int MOVE>
[[gnu::always_inline]] inline std::uint8_t* copy_byte(std::uint8_t* out, unsigned value, const fast_run& run,
                                                      unsigned& zero_place, unsigned& one_place)
{
    const std::array<std::uint8_t, 8>& before = SAME_BEFORE[value];
    const std::uint16_t* const advance_from[2] = {run.bits[0].advance + zero_place, run.bits[1].advance + one_place};
    for (unsigned bit_index = 0; bit_index < 8; ++bit_index) {
        const unsigned one = (value >> (7 - bit_index)) & 1u;
        move_blocks<MOVES, MOVE>(out, run.bits[one].samples);
        out += advance_from[one][before[bit_index]];
    }
    const unsigned ones = ONES_IN_BYTE[value];
    zero_place += 8 - ones;
    one_place += ones;
    zero_place -= zero_place >= EXTRA_CYCLE ? EXTRA_CYCLE : 0;
    one_place -= one_place >= EXTRA_CYCLE ? EXTRA_CYCLE : 0;
    return out;
}

// Copies count bytes into the output buffer, a group at a time: each group
// reserves room for the moves of all its bits, overshoot included.
template <int MOVES, int MOVE>
[[gnu::always_inline]] inline void copy_bytes(output_stream& stream, const std::uint8_t* bytes, std::size_t count,
                                              fast_run& run)
{
    constexpr std::size_t BYTE_ROOM = 8 * MOVES * MOVE;
    constexpr std::size_t BYTES_PER_GROUP = OUTPUT_RESERVE_LIMIT / BYTE_ROOM;
    unsigned zero_place = 0; // the templates' advances start where the accumulators stand
    unsigned one_place = 0;
    while (count > 0) {
        const std::size_t group = std::min(count, BYTES_PER_GROUP);
        std::uint8_t* const start = reserve_output(stream, group * BYTE_ROOM);
        std::uint8_t* out = start;
        for (std::size_t i = 0; i < group; ++i)
            out = copy_byte<MOVES, MOVE>(out, bytes[i], run, zero_place, one_place);
        commit_output(stream, static_cast<std::size_t>(out - start));
        bytes += group;
        count -= group;
    }
}

// One copying loop for each number of moves per bit and each move size. The
// wide loops are compiled for AVX2 and have all the copying code inlined
// (flatten), so that a 32-byte copy is one move.
using copy_loop = void (*)(output_stream&, const std::uint8_t*, std::size_t, fast_run&);

template <int MOVES>
void copy_bytes_narrow(output_stream& stream, const std::uint8_t* bytes, std::size_t count, fast_run& run)
{
    copy_bytes<MOVES, MOVE_SIZE>(stream, bytes, count, run);
}

#if ZX81TAPE_WIDE_MOVES
template <int MOVES>
[[gnu::target("avx2"), gnu::flatten]] void copy_bytes_wide(output_stream& stream, const std::uint8_t* bytes,
                                                           std::size_t count, fast_run& run)
{
    copy_bytes<MOVES, WIDE_MOVE_SIZE>(stream, bytes, count, run);
}

template <std::size_t... INDEX>
constexpr std::array<copy_loop, sizeof...(INDEX)> make_wide_loops(std::index_sequence<INDEX...>)
{
    return {&copy_bytes_wide<static_cast<int>(INDEX) + 1>...};
}

inline constexpr auto wide_loops = make_wide_loops(std::make_index_sequence<MOST_WIDE_MOVES>{});
#endif

template <std::size_t... INDEX>
constexpr std::array<copy_loop, sizeof...(INDEX)> make_narrow_loops(std::index_sequence<INDEX...>)
{
    return {&copy_bytes_narrow<static_cast<int>(INDEX) + 1>...};
}

inline constexpr auto narrow_loops = make_narrow_loops(std::make_index_sequence<MOST_MOVES>{});

// The loop that copies bits of up to samples bytes each.
copy_loop choose_copy_loop(int samples)
{
#if ZX81TAPE_WIDE_MOVES
    if (wide_moves)
        return wide_loops[static_cast<std::size_t>((samples + WIDE_MOVE_SIZE - 1) / WIDE_MOVE_SIZE - 1)];
#endif
    return narrow_loops[static_cast<std::size_t>((samples + MOVE_SIZE - 1) / MOVE_SIZE - 1)];
}

} // namespace

void emit_bytes(output_stream& stream, const std::uint8_t* bytes, std::size_t count)
{
    if (!run_fits_templates()) {
        for (std::size_t i = 0; i < count; ++i)
            emit_byte(stream, bytes[i]);
        return;
    }
    fast_run run;
    const int zero_samples = prepare_template(run.bits[0], false, conversion_settings.gap_before_zero,
                                              conversion_settings.extra_rate_zero, extra_accumulator_zero);
    const int one_samples = prepare_template(run.bits[1], true, conversion_settings.gap_before_one,
                                             conversion_settings.extra_rate_one, extra_accumulator_one);
    choose_copy_loop(std::max(zero_samples, one_samples))(stream, bytes, count, run);

    std::uint64_t ones = 0;
    for (std::size_t i = 0; i < count; ++i)
        ones += ONES_IN_BYTE[bytes[i]];
    advance_accumulator(extra_accumulator_one, conversion_settings.extra_rate_one, ones);
    advance_accumulator(extra_accumulator_zero, conversion_settings.extra_rate_zero,
                        8 * static_cast<std::uint64_t>(count) - ones);
}
