// Tests of the ZX81 LOAD timing model: poll windows, bits, rests inside a
// burst, and the time-out between bits, on runs of signal made up here.
#include "load/machine_timing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Feeds the machine stretches of (signal, seconds) at the given sample rate.
std::vector<machine_event> hear(std::uint64_t rate, const std::vector<std::pair<bool, double>>& stretches)
{
    machine_state machine = make_machine(rate);
    std::vector<machine_event> events;
    std::uint64_t at = 0;
    double seconds = 0.0;
    for (const auto& [signal, length] : stretches) {
        seconds += length;
        const auto end = static_cast<std::uint64_t>(std::llround(seconds * static_cast<double>(rate)));
        if (end > at)
            hear_run(machine, signal, at, end, events);
        at = end;
    }
    return events;
}

std::vector<machine_event> only(std::vector<machine_event> events, machine_event_kind kind)
{
    std::vector<machine_event> kept;
    for (const machine_event& e : events)
        if (e.kind == kind)
            kept.push_back(e);
    return kept;
}

TEST(bit_value, follows_the_machines_windows)
{
    struct row {
        std::uint64_t polls;
        int value;
    };
    const row rows[] = {
        {26, -1},  // the shortest burst there is: 26 silent polls
        {62, -1},  // the last count that is ignored
        {63, 0},   // the first 0
        {148, 0},  // the last 0
        {149, 1},  // the first 1
        {276, 1},  // the last 1
        {277, -1}, // the 8-bit count wraps: ignored again
        {339, 0},  // and wraps on into the 0 window
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.polls);
        EXPECT_EQ(bit_value(r.polls), r.value);
    }
}

// A burst of signal (as one stretch) gives a bit whose polls are the
// signal's time over 15.4 us plus the 26 silent polls, at any sample rate.
TEST(hear_run, times_a_burst_in_seconds_whatever_the_rate)
{
    struct row {
        double burst;
        int value;
    };
    const row rows[] = {
        {0.0010, 0},  // zx81save's 0 bit: about 90 polls
        {0.0025, 1},  // zx81save's 1 bit: about 185 polls
        {0.0004, -1}, // too short: ignored
    };
    for (const row& r : rows) {
        for (const std::uint64_t rate : {11025u, 22050u, 44100u, 96000u}) {
            SCOPED_TRACE(testing::Message() << r.burst << " s at " << rate << " Hz");
            const auto events = hear(rate, {{false, 0.01}, {true, r.burst}, {false, 0.002}});
            ASSERT_EQ(events.size(), 2u); // the time-out before the burst, then the burst
            EXPECT_EQ(events[0].kind, machine_event_kind::time_out);
            const machine_event& bit = events[1];
            EXPECT_EQ(bit.value, r.value);
            // Within the polls of two samples (the ends of the burst fall on
            // sample boundaries) and of the hand-over into the bit.
            const double poll = SIGNAL_POLL_CYCLES / double(CLOCK_HZ);
            const double expected = r.burst / poll + QUIET_POLLS;
            EXPECT_NEAR(double(bit.polls), expected, 2.0 / double(rate) / poll + 3.0);
        }
    }
}

// Rests shorter than 26 silent polls (about 408 us) stay inside the bit.
TEST(hear_run, short_rests_do_not_end_a_bit)
{
    const auto kept = only(hear(22050, {{false, 0.01},
                                        {true, 0.0005},
                                        {false, 0.00015},
                                        {true, 0.0005},
                                        {false, 0.00038},
                                        {true, 0.0005},
                                        {false, 0.002}}),
                           machine_event_kind::bit);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].pulses, 3u);
    const auto split =
        only(hear(22050, {{false, 0.01}, {true, 0.0012}, {false, 0.00045}, {true, 0.0012}, {false, 0.002}}),
             machine_event_kind::bit);
    EXPECT_EQ(split.size(), 2u);
}

// Between the last signal of one bit and the first of the next the machine
// waits 26 silent polls, its own code, then 256 polls of 20.9 us: about
// 5.78 ms in all. zx81save's longest working gap leaves 5.76 ms.
TEST(hear_run, times_out_after_5_78_ms_of_quiet_between_bits)
{
    struct row {
        double quiet;
        bool time_out;
    };
    const row rows[] = {
        {0.00500, false},
        {0.00576, false}, // a 122-sample gap after a 0 bit and its extra sample
        {0.00600, true},  // a 130-sample gap
    };
    for (const row& r : rows) {
        SCOPED_TRACE(r.quiet);
        const auto events =
            hear(22050, {{false, 0.01}, {true, 0.001}, {false, r.quiet}, {true, 0.001}, {false, 0.001}});
        EXPECT_EQ(only(events, machine_event_kind::time_out).size(), r.time_out ? 2u : 1u);
        EXPECT_EQ(only(events, machine_event_kind::bit).size(), 2u); // a time-out ends no bit
    }
}

TEST(hear_run, times_out_every_5_36_ms_of_silence)
{
    const auto events = hear(22050, {{false, 1.0}});
    ASSERT_EQ(events.size(), 186u); // 1 s / (256 polls * 68 cycles / 3.25 MHz)
    EXPECT_NEAR(events[0].start_seconds, 256 * 68 / 3.25e6 - 68 / 3.25e6, 1e-9);
}

} // namespace
