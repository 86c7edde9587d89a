// The listing of one program for --list. The figures are the ones a user
// needs to judge a recording: the mean length of each kind of bit (from the
// start of one bit to the start of the next, so gaps count), the fewest and
// most polls against the machine's windows, the pulse frequency inside the
// bursts, and the problems: a failed load, bursts the machine ignored,
// bursts so long that the machine's count wrapped, bits near a window's edge.
#include "load/program_listing.h"

#include <cstdio>
#include <string>

#include "load/messages.h"
#include "load/report.h"
#include "load/zx81_characters.h"

namespace {

using ull = unsigned long long;

void print_bits(int value, const bit_figures& bits, std::uint64_t low, std::uint64_t high)
{
    if (bits.count == 0) {
        say(LIST_NO_BITS, value);
        return;
    }
    const double mean_ms = bits.timed > 0 ? 1000.0 * bits.seconds / static_cast<double>(bits.timed) : 0.0;
    say(LIST_BITS, value, static_cast<ull>(bits.count), mean_ms, static_cast<ull>(bits.least_polls),
        static_cast<ull>(bits.most_polls), static_cast<ull>(low), static_cast<ull>(high));
}

void add_problem(std::string& problems, const char* text)
{
    if (!problems.empty())
        problems += "; ";
    problems += text;
}

std::string list_problems(const tape_program& program)
{
    std::string problems;
    char text[160];
    const unsigned at = static_cast<unsigned>(program.data.size());
    switch (program.outcome) {
    case program_outcome::loaded: break;
    case program_outcome::time_out:
        std::snprintf(text, sizeof text, PROBLEM_TIME_OUT, program.end_seconds, at);
        add_problem(problems, text);
        break;
    case program_outcome::recording_ended:
        std::snprintf(text, sizeof text, PROBLEM_ENDED, at);
        add_problem(problems, text);
        break;
    case program_outcome::impossible_length:
        std::snprintf(text, sizeof text, PROBLEM_IMPOSSIBLE, program.e_line);
        add_problem(problems, text);
        break;
    }
    const program_figures& figures = program.figures;
    if (figures.short_bursts > 0) {
        std::snprintf(text, sizeof text, PROBLEM_SHORT_BURSTS, static_cast<ull>(figures.short_bursts));
        add_problem(problems, text);
    }
    if (figures.wrapped_bits > 0) {
        std::snprintf(text, sizeof text, PROBLEM_WRAPPED, static_cast<ull>(figures.wrapped_bits));
        add_problem(problems, text);
    }
    const std::uint64_t near_edge = figures.zero.near_edge + figures.one.near_edge;
    if (near_edge > 0) {
        std::snprintf(text, sizeof text, PROBLEM_NEAR_EDGE, static_cast<ull>(near_edge), static_cast<ull>(EDGE_MARGIN));
        add_problem(problems, text);
    }
    return problems.empty() ? std::string(LIST_NO_PROBLEM) : problems;
}

} // namespace

void print_program_listing(unsigned number, const tape_program& program)
{
    const char* verdict = program.outcome == program_outcome::loaded ? LIST_LOADS : LIST_FAILS;
    say(LIST_PROGRAM, number, name_text(program.name).c_str());
    if (program.length > 0)
        say(LIST_LENGTH, program.length, verdict);
    else
        say(LIST_LENGTH_UNKNOWN, verdict);
    say(LIST_SECONDS, program.start_seconds, program.end_seconds);
    print_bits(0, program.figures.zero, ZERO_POLLS_LOW, ZERO_POLLS_HIGH);
    print_bits(1, program.figures.one, ONE_POLLS_LOW, ONE_POLLS_HIGH);
    const program_figures& figures = program.figures;
    if (figures.pulse_seconds > 0.0)
        say(LIST_PULSES, static_cast<double>(figures.pulse_intervals) / figures.pulse_seconds);
    say(LIST_PROBLEMS, list_problems(program).c_str());
}
