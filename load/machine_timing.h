// The ZX81's LOAD routine as a timing model: when it polls its EAR input,
// how it turns bursts of signal into bits, and when it gives up waiting.
#pragma once

#include <cstdint>
#include <vector>

// What the machine makes of the signal.
enum class machine_event_kind {
    bit,         // a burst long enough to be a bit
    short_burst, // a burst of 62 polls or fewer, which the machine ignores
    time_out,    // no signal for about 5.36 ms between bits
};

struct machine_event {
    machine_event_kind kind = machine_event_kind::bit; // what happened
    int value = 0;                                     // the bit's value, for a bit
    std::uint64_t polls = 0;                           // the bit's polls, the 26 silent ones included
    double start_seconds = 0.0;                        // the poll that saw the burst start, or the time-out
    double end_seconds = 0.0;                          // the last poll of the burst
    std::uint32_t pulses = 0;                          // stretches of signal in the burst
    double pulse_seconds = 0.0;                        // from the start of the first of them to the last one's
};

// The machine's timing figures, in clock cycles (T-states) of its 3.25 MHz Z80.
inline constexpr std::uint64_t CLOCK_HZ = 3250000;
inline constexpr std::uint64_t WAIT_POLL_CYCLES = 68;   // between bits: a poll every 20.9 us
inline constexpr std::uint64_t SIGNAL_POLL_CYCLES = 50; // in a bit, after a poll with signal
inline constexpr std::uint64_t QUIET_POLL_CYCLES = 51;  // in a bit, after a poll without
inline constexpr std::uint32_t TIME_OUT_POLLS = 256;    // 256 polls of 20.9 us: 5.36 ms
inline constexpr std::uint32_t QUIET_POLLS = 26;        // silent polls that end a bit: 408 us
inline constexpr std::uint8_t POLL_COUNT_START = 0x94;  // the count of polls runs down from 148
inline constexpr std::uint8_t SHORT_BURST_LIMIT = 0x56; // counts from here to 0x7F: 62 polls or fewer

// The poll windows of the two bit values, for reports.
inline constexpr std::uint64_t ZERO_POLLS_LOW = 63;
inline constexpr std::uint64_t ZERO_POLLS_HIGH = 148;
inline constexpr std::uint64_t ONE_POLLS_LOW = 149;
inline constexpr std::uint64_t ONE_POLLS_HIGH = 276;

// Where the machine is in its loop.
struct machine_state {
    std::uint64_t sample_rate = 22050; // samples per second of the recording
    bool in_bit = false;               // inside a burst, counting polls
    std::uint64_t next_poll = 0;       // cycle of the next poll
    std::uint32_t wait_polls = 0;      // polls without signal since the last bit
    std::uint32_t quiet_left = 0;      // silent polls still to come before the bit ends
    std::uint64_t bit_polls = 0;       // polls of this bit so far
    std::uint64_t bit_start = 0;       // cycle of the poll that started this bit
    std::uint32_t pulses = 0;          // stretches of signal in this bit so far
    std::uint64_t first_pulse = 0;     // sample where the first of them starts
    std::uint64_t last_pulse = 0;      // sample where the last of them starts
};

// The machine waiting for a bit at the start of a recording.
machine_state make_machine(std::uint64_t sample_rate);

// The value a bit of this many polls gets: 1, 0, or -1 for a burst that the
// machine ignores. The count wraps like the machine's 8-bit register.
int bit_value(std::uint64_t polls);

// Lets the machine hear samples first to end - 1, all with the same level
// (signal or not); appends what it makes of them to events.
void hear_run(machine_state& machine, bool signal, std::uint64_t first, std::uint64_t end,
              std::vector<machine_event>& events);

// The seconds of a cycle count.
double cycles_to_seconds(std::uint64_t cycles);
