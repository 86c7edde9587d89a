// The timing model of the ZX81's LOAD. The machine reads one bit, signal or
// no signal, each time its loop executes IN A,($FE); everything else is the
// count of those polls and the cycles between them:
//  - Between bits it polls every 68 cycles (20.9 us) and counts down from 256;
//    256 polls without signal (5.36 ms) are a time-out.
//  - The poll that sees signal starts a bit. From then on it polls every 50
//    cycles after a poll with signal and every 51 after one without (15.5 us
//    on average). A poll with signal sets a count to 26, one without counts
//    it down: 26 silent polls in a row end the bit. An 8-bit register starts
//    at 0x94 and goes down by one at every poll of the bit.
//  - At the end of the bit, bit 7 of that register set (149 to 276 polls)
//    makes a 1; else a value below 0x56 (63 to 148 polls) makes a 0; else the
//    burst is ignored and the machine waits again. The register wraps, so
//    a burst far longer than a 1 bit is read as the machine would read it.
// The cycles of the ROM's own code between the polls where the loops hand
// over (START_BIT_CYCLES and the three AFTER_* figures) are part of the model:
// they decide whether a long gap between two bits is still a gap or already
// a time-out.
// A poll at cycle c reads the sample that covers that instant: sample
// floor(c * rate / CLOCK_HZ). Time runs in cycles, not in samples, so any
// sample rate gives the same polls.
#include "load/machine_timing.h"

namespace {

// From the wait poll that saw signal to the first poll of the bit.
constexpr std::uint64_t START_BIT_CYCLES = 71;
// From the last silent poll of a bit to the first wait poll, per outcome.
constexpr std::uint64_t AFTER_ONE_CYCLES = 102;
constexpr std::uint64_t AFTER_ZERO_CYCLES = 111;
constexpr std::uint64_t AFTER_SHORT_CYCLES = 92;
// From a time-out to the first poll of the wait that follows it.
constexpr std::uint64_t AFTER_TIME_OUT_CYCLES = WAIT_POLL_CYCLES;

// The number of polls, every period cycles from cycle next, that come
// before cycle end; next lies before end.
std::uint64_t polls_before(std::uint64_t next, std::uint64_t period, std::uint64_t end)
{
    return (end - next + period - 1) / period;
}

double samples_to_seconds(std::uint64_t samples, std::uint64_t rate)
{
    return static_cast<double>(samples) / static_cast<double>(rate);
}

// Ends the bit whose last silent poll was at cycle last_poll.
void end_bit(machine_state& machine, std::uint64_t last_poll, std::vector<machine_event>& events)
{
    machine_event event;
    event.value = bit_value(machine.bit_polls);
    event.kind = event.value < 0 ? machine_event_kind::short_burst : machine_event_kind::bit;
    event.polls = machine.bit_polls;
    event.start_seconds = cycles_to_seconds(machine.bit_start);
    event.end_seconds = cycles_to_seconds(last_poll);
    event.pulses = machine.pulses;
    event.pulse_seconds = samples_to_seconds(machine.last_pulse - machine.first_pulse, machine.sample_rate);
    events.push_back(event);

    const std::uint64_t after = event.value == 1   ? AFTER_ONE_CYCLES
                                : event.value == 0 ? AFTER_ZERO_CYCLES
                                                   : AFTER_SHORT_CYCLES;
    machine.in_bit = false;
    machine.wait_polls = 0;
    machine.next_poll = last_poll + after;
}

// The polls between bits that fall before cycle end, all without signal.
void wait_quietly(machine_state& machine, std::uint64_t end, std::vector<machine_event>& events)
{
    const std::uint64_t count = polls_before(machine.next_poll, WAIT_POLL_CYCLES, end);
    const std::uint32_t left = TIME_OUT_POLLS - machine.wait_polls;
    if (count < left) {
        machine.wait_polls += static_cast<std::uint32_t>(count);
        machine.next_poll += count * WAIT_POLL_CYCLES;
        return;
    }
    const std::uint64_t last_poll = machine.next_poll + (left - 1) * WAIT_POLL_CYCLES;
    machine_event event;
    event.kind = machine_event_kind::time_out;
    event.start_seconds = cycles_to_seconds(last_poll);
    event.end_seconds = event.start_seconds;
    events.push_back(event);
    machine.wait_polls = 0;
    machine.next_poll = last_poll + AFTER_TIME_OUT_CYCLES;
}

// The polls of a bit that fall before cycle end, all with or all without signal.
void count_bit_polls(machine_state& machine, bool signal, std::uint64_t end, std::vector<machine_event>& events)
{
    if (signal) {
        const std::uint64_t count = polls_before(machine.next_poll, SIGNAL_POLL_CYCLES, end);
        machine.bit_polls += count;
        machine.quiet_left = QUIET_POLLS;
        machine.next_poll += count * SIGNAL_POLL_CYCLES;
        return;
    }
    const std::uint64_t count = polls_before(machine.next_poll, QUIET_POLL_CYCLES, end);
    if (count < machine.quiet_left) {
        machine.bit_polls += count;
        machine.quiet_left -= static_cast<std::uint32_t>(count);
        machine.next_poll += count * QUIET_POLL_CYCLES;
        return;
    }
    machine.bit_polls += machine.quiet_left;
    end_bit(machine, machine.next_poll + (machine.quiet_left - 1) * QUIET_POLL_CYCLES, events);
}

} // namespace

machine_state make_machine(std::uint64_t sample_rate)
{
    machine_state machine;
    machine.sample_rate = sample_rate;
    return machine;
}

int bit_value(std::uint64_t polls)
{
    const std::uint8_t count = static_cast<std::uint8_t>(POLL_COUNT_START - static_cast<std::uint8_t>(polls));
    if (count & 0x80)
        return 1;
    return count < SHORT_BURST_LIMIT ? 0 : -1;
}

void hear_run(machine_state& machine, bool signal, std::uint64_t first, std::uint64_t end,
              std::vector<machine_event>& events)
{
    // The first cycle whose poll reads sample end or later.
    const std::uint64_t end_cycle = (end * CLOCK_HZ + machine.sample_rate - 1) / machine.sample_rate;
    if (signal && machine.in_bit) {
        ++machine.pulses;
        machine.last_pulse = first;
    }
    while (machine.next_poll < end_cycle) {
        if (machine.in_bit) {
            count_bit_polls(machine, signal, end_cycle, events);
        } else if (signal) {
            machine.in_bit = true;
            machine.bit_start = machine.next_poll;
            machine.bit_polls = 0;
            machine.quiet_left = QUIET_POLLS;
            machine.pulses = 1;
            machine.first_pulse = first;
            machine.last_pulse = first;
            machine.next_poll += START_BIT_CYCLES;
        } else {
            wait_quietly(machine, end_cycle, events);
        }
    }
}

double cycles_to_seconds(std::uint64_t cycles)
{
    return static_cast<double>(cycles) / static_cast<double>(CLOCK_HZ);
}
