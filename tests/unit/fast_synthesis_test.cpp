// Runs of bytes through emit_bytes, the way the pipeline sends the name and
// the data: the samples must be exactly those of the plain model, and the
// accumulators must end as bit-by-bit synthesis leaves them, for the settings
// users pass, at the edges of the copying by templates and beyond them.
#include "core/tape_signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "core/conversion_settings.h"
#include "tests/support/plain_signal.h"
#include "tests/support/random_bytes.h"
#include "tests/support/stream_capture.h"

namespace {

using samples = std::vector<std::uint8_t>;

// Sends bytes through emit_bytes in calls of the given sizes, in order, the
// rest in one last call.
samples emit_in_calls(const samples& bytes, const std::vector<std::size_t>& call_sizes)
{
    return capture_samples([&](output_stream& stream) {
        std::size_t done = 0;
        for (const std::size_t size : call_sizes) {
            const std::size_t count = std::min(size, bytes.size() - done);
            emit_bytes(stream, bytes.data() + done, count);
            done += count;
        }
        emit_bytes(stream, bytes.data() + done, bytes.size() - done);
    });
}

// The accumulator after bits bits of its value from 0, by the closed form of
// the running sum: below 100 until the first extra sample and 100 plus the
// sum mod 100 after it for rates 1 to 99; the last sum mod 100 plus the rate
// from 100 up; k times the rate below 0; each kept within the 32-bit range.
std::int32_t accumulator_after(std::int64_t rate, std::int64_t bits)
{
    if (rate == 0 || bits == 0)
        return 0;
    if (rate < 0)
        return static_cast<std::int32_t>(std::max<std::int64_t>(bits * rate, INT32_MIN));
    if (rate >= 100)
        return static_cast<std::int32_t>(std::min<std::int64_t>((bits - 1) * rate % 100 + rate, INT32_MAX));
    const std::int64_t sum = bits * rate;
    return static_cast<std::int32_t>(sum < 100 ? sum : 100 + sum % 100);
}

std::int64_t one_bits(const samples& bytes)
{
    std::int64_t ones = 0;
    for (const std::uint8_t value : bytes)
        for (int bit = 0; bit < 8; ++bit)
            ones += (value >> bit) & 1;
    return ones;
}

void apply(const plain_settings& settings)
{
    conversion_settings.gap_before_one = static_cast<std::int32_t>(settings.gap_before_one);
    conversion_settings.gap_before_zero = static_cast<std::int32_t>(settings.gap_before_zero);
    conversion_settings.extra_rate_one = static_cast<std::int32_t>(settings.extra_rate_one);
    conversion_settings.extra_rate_zero = static_cast<std::int32_t>(settings.extra_rate_zero);
}

// The samples against the plain model, and both accumulators against their
// closed form.
void expect_plain_run(const plain_settings& settings, const samples& bytes, const std::vector<std::size_t>& call_sizes)
{
    reset_run_state();
    apply(settings);
    const samples got = emit_in_calls(bytes, call_sizes);
    const samples expected = plain_bytes_stream(settings, bytes);
    ASSERT_EQ(got.size(), expected.size());
    EXPECT_TRUE(got == expected) << "first difference at sample "
                                 << std::mismatch(got.begin(), got.end(), expected.begin()).first - got.begin();
    const std::int64_t ones = one_bits(bytes);
    const std::int64_t zeros = 8 * static_cast<std::int64_t>(bytes.size()) - ones;
    EXPECT_EQ(extra_accumulator_one, accumulator_after(settings.extra_rate_one, ones));
    EXPECT_EQ(extra_accumulator_zero, accumulator_after(settings.extra_rate_zero, zeros));
}

class fast_synthesis : public ::testing::Test {
  protected:
    void SetUp() override { reset_run_state(); }
};

TEST_F(fast_synthesis, runs_match_the_plain_model_for_every_setting)
{
    struct settings_case {
        const char* why;
        plain_settings settings;
    };
    // gap_before_one, gap_before_zero, extra_rate_one, extra_rate_zero.
    const settings_case cases[] = {
        {"the defaults", {29, 29, 76, 76, 0, 0}},
        {"no gap: an extra sample stands between two bursts", {0, 0, 76, 76, 0, 0}},
        {"a gap of 1: the shortest gap that writes silence", {1, 1, 76, 76, 0, 0}},
        {"short gaps", {10, 10, 33, 33, 0, 0}},
        {"long gaps: a 1 bit fills twelve moves", {120, 120, 50, 50, 0, 0}},
        {"a negative gap writes none", {-5, -5, 99, 99, 0, 0}},
        {"different gaps: the shorter bit is copied with the longer one's moves", {10, 120, 76, 76, 0, 0}},
        {"the longest gap a template holds", {197, 197, 76, 76, 0, 0}},
        {"one more: bit by bit, same bytes", {198, 29, 76, 76, 0, 0}},
        {"gaps of thousands go bit by bit", {2000, 1000, 76, 76, 0, 0}},
        {"no extra samples at all", {29, 29, 0, 0, 0, 0}},
        {"a rate of 1: one extra sample per 100 bits", {29, 29, 1, 1, 0, 0}},
        {"rates of 100 and 150: one after every bit", {29, 29, 100, 150, 0, 0}},
        {"different rates: the two cycles run apart", {29, 29, 33, 99, 0, 0}},
        {"a negative rate goes bit by bit and never adds a sample", {29, 29, -76, 76, 0, 0}},
        {"a rate past the range of the templates", {29, 29, 76, (1 << 24) + 1, 0, 0}},
        {"the highest rate", {29, 29, INT32_MAX, 76, 0, 0}},
    };
    // A name-sized call first, then calls of 1 and 0 bytes inside the run,
    // so that the cycles of extra samples carry across calls.
    const samples bytes = random_bytes(3000, 11);
    const bool processor_moves = wide_moves;
    // With the moves this processor takes, and with the 16-byte moves that
    // any x86-64 takes.
    for (const bool wide : {processor_moves, false}) {
        SCOPED_TRACE(wide ? "32-byte moves" : "16-byte moves");
        wide_moves = wide;
        for (const settings_case& c : cases) {
            SCOPED_TRACE(c.why);
            expect_plain_run(c.settings, bytes, {4, 1, 0, 1500});
        }
    }
    wide_moves = processor_moves;
}

TEST_F(fast_synthesis, runs_match_the_plain_model_for_every_size)
{
    struct size_case {
        const char* why;
        std::size_t size;
    };
    const size_case cases[] = {
        {"nothing", 0},
        {"one byte", 1},
        {"one block of the pipeline", 30000},
        {"one byte past a block", 30001},
        {"a quarter of a megabyte: the buffer is written out hundreds of times", 1 << 18},
    };
    for (const size_case& c : cases) {
        SCOPED_TRACE(c.why);
        // In the blocks of the pipeline.
        expect_plain_run(plain_settings{}, random_bytes(c.size, static_cast<unsigned>(c.size)),
                         std::vector<std::size_t>(c.size / 30000, 30000));
    }
}

TEST_F(fast_synthesis, runs_from_any_accumulator_match_bit_by_bit_synthesis)
{
    // A run starts from whatever the accumulators hold. Outside the range the
    // templates are made for, emit_bytes must still do what emit_byte does.
    struct start_case {
        const char* why;
        std::int32_t rate, start;
    };
    const start_case cases[] = {
        {"above 200: the first extra sample takes the hundreds off", 76, 250},
        {"below 0: bit by bit", 76, -50},
        {"at the top of the range of the templates", 33, 1 << 24},
        {"past it: bit by bit", 33, (1 << 24) + 1},
        {"a rate from 100 up, from a high start", 150, 1234},
        {"a rate of 0 leaves any accumulator alone", 0, INT32_MIN},
        {"near the 32-bit limit the sums are clamped", 100, INT32_MAX - 5},
    };
    const samples bytes = random_bytes(700, 12);
    for (const start_case& c : cases) {
        SCOPED_TRACE(c.why);
        const auto start = [&] {
            reset_run_state();
            conversion_settings.extra_rate_one = c.rate;
            conversion_settings.extra_rate_zero = c.rate;
            extra_accumulator_one = c.start;
            extra_accumulator_zero = c.start;
        };
        start();
        const samples expected = capture_samples([&](output_stream& s) {
            for (const std::uint8_t value : bytes)
                emit_byte(s, value);
        });
        const std::int32_t expected_one = extra_accumulator_one;
        const std::int32_t expected_zero = extra_accumulator_zero;
        start();
        EXPECT_TRUE(emit_in_calls(bytes, {300}) == expected);
        EXPECT_EQ(extra_accumulator_one, expected_one);
        EXPECT_EQ(extra_accumulator_zero, expected_zero);
    }
}

} // namespace
