// The samples of a bit and of a byte.
#include "core/tape_signal.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "core/conversion_settings.h"

std::int32_t extra_accumulator_one = 0;
std::int32_t extra_accumulator_zero = 0;

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
    accumulator = static_cast<std::int32_t>(std::clamp<std::int64_t>(
        new_sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
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
