// The samples of bits and bytes: exact shapes, lengths over sequences of
// bytes (the extra samples depend on how many bits of each value came
// before), settings at and beyond their useful range.
#include "core/tape_signal.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <unistd.h>
#include <vector>

#include "core/conversion_settings.h"
#include "tests/support/plain_signal.h"
#include "tests/support/stream_capture.h"

namespace {

using samples = std::vector<std::uint8_t>;

samples repeat(std::uint8_t value, std::size_t count)
{
    return samples(count, value);
}

samples pulses(int count)
{
    samples out;
    for (int i = 0; i < count; ++i)
        out.push_back(pulse_table[i % PULSE_TABLE_SIZE]);
    return out;
}

samples joined(std::initializer_list<samples> parts)
{
    samples out;
    for (const samples& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// The number of samples that each of count pieces adds, in order; piece(s, i)
// appends the i-th.
std::vector<std::size_t> piece_lengths(std::size_t count, const std::function<void(output_stream&, std::size_t)>& piece)
{
    std::vector<std::size_t> lengths;
    std::size_t before = 0;
    const samples all = capture_samples([&](output_stream& stream) {
        for (std::size_t i = 0; i < count; ++i) {
            piece(stream, i);
            flush_output(stream);
            const std::size_t now = static_cast<std::size_t>(lseek(stream.file, 0, SEEK_CUR));
            lengths.push_back(now - before);
            before = now;
        }
    });
    EXPECT_EQ(all.size(), before);
    return lengths;
}

std::vector<std::size_t> byte_lengths(const std::vector<std::uint8_t>& bytes)
{
    return piece_lengths(bytes.size(), [&](output_stream& s, std::size_t i) { emit_byte(s, bytes[i]); });
}

class tape_signal : public ::testing::Test {
  protected:
    void SetUp() override { reset_run_state(); }
};

TEST_F(tape_signal, first_bits_have_the_exact_shape)
{
    // A first 1 bit: the gap, nine pulses ending at the trough, no extra (k = 1).
    EXPECT_EQ(capture_samples([](output_stream& s) { emit_bit(s, 1); }), joined({repeat(0x80, 29), pulses(58)}));
    // Any non-zero value is a 1 bit, as a masked byte passes it.
    reset_run_state();
    EXPECT_EQ(capture_samples([](output_stream& s) { emit_bit(s, 0x40); }).size(), 87u);
    // A first 0 bit: the gap and four pulses.
    reset_run_state();
    EXPECT_EQ(capture_samples([](output_stream& s) { emit_bit(s, 0); }), joined({repeat(0x80, 29), pulses(26)}));
    // The ninth pulse of a 1 ends 128 212 224 153 60 26.
    const samples one_pulses = pulses(58);
    const samples tail(one_pulses.end() - 6, one_pulses.end());
    EXPECT_EQ(tail, (samples{128, 212, 224, 153, 60, 26}));
}

struct length_case {
    const char* why;
    std::int32_t gap_one, gap_zero, rate_one, rate_zero;
    std::vector<std::uint8_t> bytes;
    std::vector<std::size_t> lengths;
};

TEST_F(tape_signal, byte_lengths_follow_the_bit_counts)
{
    const length_case cases[] = {
        {"0x00: 8 x 55 plus extras after 0-bits 2,3,4,6,7,8", 29, 29, 76, 76, {0x00}, {446}},
        {"0xFF: 8 x 87 plus 6 extras", 29, 29, 76, 76, {0xFF}, {702}},
        {"the two accumulators are separate", 29, 29, 76, 76, {0x00, 0xFF}, {446, 702}},
        {"the same the other way round", 29, 29, 76, 76, {0xFF, 0x00}, {702, 446}},
        {"0x00 twice", 29, 29, 76, 76, {0x00, 0x00}, {446, 446}},
        {"0xFF twice", 29, 29, 76, 76, {0xFF, 0xFF}, {702, 702}},
        {"0x80 gains one sample when it comes second", 29, 29, 76, 76, {0x80, 0x80}, {477, 478}},
        {"mixed bytes of four ones", 29, 29, 76, 76, {0xA5}, {574}},
        {"0x5A", 29, 29, 76, 76, {0x5A}, {574}},
        {"0xAA", 29, 29, 76, 76, {0xAA}, {574}},
        {"rates of 0: no extra samples", 29, 29, 0, 0, {0x00, 0xFF}, {440, 696}},
        {"rates of 100: one after every bit", 29, 29, 100, 100, {0x00, 0xFF}, {448, 704}},
        {"rates of 150: still only one after every bit", 29, 29, 150, 150, {0x00, 0xFF}, {448, 704}},
        {"gaps of 0 write no silence before the pulses", 0, 0, 76, 76, {0x00, 0xFF}, {214, 470}},
        {"negative gaps write none either", -5, -5, 76, 76, {0x00, 0xFF}, {214, 470}},
        {"no gaps and no extras: pulses alone", 0, 0, 0, 0, {0x00, 0xFF}, {208, 464}},
        {"gaps of 1: 1 bit 59, 0 bit 27", 1, 1, 0, 0, {0xFF, 0x00}, {472, 216}},
        {"separate gaps: 1 bit 68, 0 bit 66", 10, 40, 0, 0, {0xF0}, {4 * 68 + 4 * 66}},
        {"a negative rate never adds a sample", 29, 29, -76, -76, {0x00, 0xFF}, {440, 696}},
    };
    for (const length_case& c : cases) {
        SCOPED_TRACE(c.why);
        reset_run_state();
        conversion_settings.gap_before_one = c.gap_one;
        conversion_settings.gap_before_zero = c.gap_zero;
        conversion_settings.extra_rate_one = c.rate_one;
        conversion_settings.extra_rate_zero = c.rate_zero;
        EXPECT_EQ(byte_lengths(c.bytes), c.lengths);
    }
}

TEST_F(tape_signal, name_code_0xAA_gives_the_bits_one_zero_in_turn)
{
    // The pair 0xAA 0xAA: sixteen bits, extras at the 2nd, 3rd and 4th bit of
    // each value and again at the 6th, 7th and 8th.
    const std::vector<std::size_t> lengths =
        piece_lengths(16, [](output_stream& s, std::size_t i) { emit_bit(s, 0xAA & bit_masks[i % 8]); });
    EXPECT_EQ(lengths, (std::vector<std::size_t>{87, 55, 88, 56, 88, 56, 88, 56, 87, 55, 88, 56, 88, 56, 88, 56}));
}

TEST_F(tape_signal, name_and_data_share_one_run_of_extra_samples)
{
    // The name GAME (13 ones, 19 zeros) takes 2199 samples, and a 0x80 after
    // it takes 478, one more than as a first byte.
    const std::vector<std::size_t> lengths = byte_lengths({0x2C, 0x26, 0x32, 0xAA, 0x80});
    ASSERT_EQ(lengths.size(), 5u);
    EXPECT_EQ(lengths[0] + lengths[1] + lengths[2] + lengths[3], 2199u);
    EXPECT_EQ(lengths[4], 478u);
}

TEST_F(tape_signal, extra_sample_stands_between_the_pulses_when_there_is_no_gap)
{
    conversion_settings.gap_before_zero = 0;
    conversion_settings.extra_rate_zero = 100;
    const samples got = capture_samples([](output_stream& s) {
        emit_bit(s, 0);
        emit_bit(s, 0);
    });
    EXPECT_EQ(got, joined({pulses(26), repeat(0x80, 1), pulses(26), repeat(0x80, 1)}));
}

TEST_F(tape_signal, accumulators_read_as_the_running_sums)
{
    struct accumulator_case {
        const char* why;
        std::int32_t rate;
        std::vector<std::int32_t> after_each_bit;
    };
    const accumulator_case cases[] = {
        {"the default rate", 76, {76, 152, 128, 104, 180, 156, 132, 108, 184}},
        {"a third", 33, {33, 66, 99, 132, 165, 198, 131}},
        {"above 100 keeps (old mod 100) + rate", 150, {150, 200, 150, 200}},
        {"negative rates fall by the rate", -76, {-76, -152, -228}},
    };
    for (const accumulator_case& c : cases) {
        SCOPED_TRACE(c.why);
        std::int32_t accumulator = 0;
        for (const std::int32_t expected : c.after_each_bit) {
            take_extra_sample(accumulator, c.rate);
            EXPECT_EQ(accumulator, expected);
        }
    }
    // The 1-bit rate never moves the 0-bit accumulator, and a rate of 0
    // leaves its accumulator alone.
    conversion_settings.extra_rate_zero = 0;
    capture_samples([](output_stream& s) {
        for (int i = 0; i < 16; ++i)
            emit_byte(s, 0x0F);
    });
    EXPECT_EQ(extra_accumulator_zero, 0);
    EXPECT_EQ(extra_accumulator_one, 64 * 76 - 100 * (64 * 76 / 100 - 1));
    reset_run_state();
    conversion_settings.extra_rate_one = -76;
    capture_samples([](output_stream& s) {
        emit_byte(s, 0xFF);
        emit_byte(s, 0xFF);
    });
    EXPECT_EQ(extra_accumulator_one, -1216);
}

TEST_F(tape_signal, extra_samples_follow_the_closed_form_for_every_rate)
{
    // floor(k r / 100) steps up after the k-th bit; checked over 1000 bits so
    // that every rate runs through its cycle of 100 several times.
    for (const std::int32_t rate : {1, 2, 33, 50, 76, 99, 100, 101, 150, 250}) {
        SCOPED_TRACE(rate);
        std::int32_t accumulator = 0;
        int extras = 0;
        for (std::int64_t k = 1; k <= 1000; ++k) {
            const bool expected = rate >= 100 || (k * rate) / 100 > ((k - 1) * rate) / 100;
            const bool extra = take_extra_sample(accumulator, rate);
            ASSERT_EQ(extra, expected) << "bit " << k;
            extras += extra;
            if (rate == 76 && k == 100) {
                EXPECT_EQ(extras, 76);
            }
            if (rate == 76 && k == 200) {
                EXPECT_EQ(extras, 152);
            }
        }
    }
}

TEST_F(tape_signal, settings_beyond_the_32_bit_range_stay_defined)
{
    struct range_case {
        const char* why;
        std::int32_t start, rate;
        bool extra;
        std::int32_t after;
    };
    const range_case cases[] = {
        {"a negative sum stops at the lowest value", INT32_MIN + 10, -76, false, INT32_MIN},
        {"the lowest rate from the lowest value", INT32_MIN, INT32_MIN, false, INT32_MIN},
        {"the highest rate from 0", 0, INT32_MAX, true, INT32_MAX},
        {"the highest rate again: still one extra", INT32_MAX, INT32_MAX, true, INT32_MAX},
        {"a rate of 100 at the top of the range", INT32_MAX - 5, 100, true, 42 + 100},
    };
    for (const range_case& c : cases) {
        SCOPED_TRACE(c.why);
        std::int32_t accumulator = c.start;
        EXPECT_EQ(take_extra_sample(accumulator, c.rate), c.extra);
        EXPECT_EQ(accumulator, c.after);
    }
}

TEST_F(tape_signal, agrees_with_the_plain_model_on_every_byte_value)
{
    // All 256 values twice over, so that every value meets both accumulators
    // in many states.
    std::vector<std::uint8_t> bytes;
    for (int round = 0; round < 2; ++round)
        for (int value = 0; value < 256; ++value)
            bytes.push_back(static_cast<std::uint8_t>(value * 37 + round));
    const samples got = capture_samples([&](output_stream& s) {
        for (const std::uint8_t value : bytes)
            emit_byte(s, value);
    });
    EXPECT_EQ(got, plain_bytes_stream(plain_settings{}, bytes));
}

} // namespace
