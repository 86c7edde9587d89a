// The byte level of LOAD. Bits form bytes most significant first. Before the
// name the machine drops whatever it hears until a first time-out. While it
// reads the name a time-out starts the name over; LOAD "NAME" compares each
// byte with the name asked for and, at a byte that differs, drops everything
// up to the next time-out, the gap before the next program; LOAD "" takes any
// name. The name ends at its first byte with bit 7 set. The data is stored
// from 0x4009 on and the load ends when the next address reaches E_LINE;
// a time-out inside the data fails the load (the real machine resets).
#include "load/tape_decoder.h"

#include "load/zx81_characters.h"

namespace {

void start_name(tape_decoder& decoder)
{
    decoder.phase = decoder_phase::name;
    decoder.byte = 0;
    decoder.bits = 0;
    decoder.has_last_bit = false;
    decoder.program = tape_program{};
}

void note_window(bit_figures& figures, std::uint64_t polls, std::uint64_t low, std::uint64_t high)
{
    if (figures.count == 0 || polls < figures.least_polls)
        figures.least_polls = polls;
    if (polls > figures.most_polls)
        figures.most_polls = polls;
    ++figures.count;
    if (polls < low + EDGE_MARGIN || polls + EDGE_MARGIN > high)
        ++figures.near_edge;
}

// Adds a bit of the name or the data to the program's figures.
void note_bit(tape_decoder& decoder, const machine_event& event)
{
    program_figures& figures = decoder.program.figures;
    if (decoder.has_last_bit) {
        bit_figures& last = decoder.last_value ? figures.one : figures.zero;
        ++last.timed;
        last.seconds += event.start_seconds - decoder.last_start;
    }
    decoder.has_last_bit = true;
    decoder.last_value = event.value;
    decoder.last_start = event.start_seconds;
    if (event.value == 1)
        note_window(figures.one, event.polls, ONE_POLLS_LOW, ONE_POLLS_HIGH);
    else
        note_window(figures.zero, event.polls, ZERO_POLLS_LOW, ZERO_POLLS_HIGH);
    if (event.polls > ONE_POLLS_HIGH)
        ++figures.wrapped_bits;
    if (event.pulses > 1) {
        figures.pulse_intervals += event.pulses - 1;
        figures.pulse_seconds += event.pulse_seconds;
    }
}

// A whole byte of the name. Returns nothing: a wrong name only changes phase.
void take_name_byte(tape_decoder& decoder, std::uint8_t byte)
{
    tape_program& program = decoder.program;
    const std::size_t at = program.name.size();
    program.name.push_back(byte);
    if (!decoder.wanted.empty() && (at >= decoder.wanted.size() || decoder.wanted[at] != byte)) {
        decoder.phase = decoder_phase::before_time_out;
        return;
    }
    if (byte & NAME_END_FLAG)
        decoder.phase = decoder_phase::data;
}

// A whole byte of the data. Returns true when the program has ended.
bool take_data_byte(tape_decoder& decoder, std::uint8_t byte, double end_seconds)
{
    tape_program& program = decoder.program;
    program.data.push_back(byte);
    program.end_seconds = end_seconds;
    const std::size_t count = program.data.size();
    if (count == SMALLEST_PROGRAM) {
        program.e_line = program.data[E_LINE_LOW_OFFSET] | static_cast<std::uint32_t>(program.data[E_LINE_HIGH_OFFSET])
                                                               << 8;
        if (program.e_line < PROGRAM_START + SMALLEST_PROGRAM) {
            program.outcome = program_outcome::impossible_length;
            return true;
        }
        program.length = program.e_line - PROGRAM_START;
    }
    if (count >= SMALLEST_PROGRAM && count == program.length) {
        program.outcome = program_outcome::loaded;
        return true;
    }
    return false;
}

bool take_bit(tape_decoder& decoder, const machine_event& event)
{
    if (decoder.phase == decoder_phase::before_time_out)
        return false;
    if (decoder.phase == decoder_phase::name && decoder.program.name.empty() && decoder.bits == 0)
        decoder.program.start_seconds = event.start_seconds;
    note_bit(decoder, event);
    decoder.byte = static_cast<std::uint8_t>(decoder.byte << 1 | event.value);
    if (++decoder.bits < 8)
        return false;
    const std::uint8_t byte = decoder.byte;
    decoder.byte = 0;
    decoder.bits = 0;
    if (decoder.phase == decoder_phase::name) {
        take_name_byte(decoder, byte);
        return false;
    }
    return take_data_byte(decoder, byte, event.end_seconds);
}

} // namespace

tape_decoder make_tape_decoder(const std::vector<std::uint8_t>& wanted)
{
    tape_decoder decoder;
    decoder.wanted = wanted;
    return decoder;
}

bool decode_event(tape_decoder& decoder, const machine_event& event)
{
    switch (event.kind) {
    case machine_event_kind::time_out:
        if (decoder.phase == decoder_phase::data) {
            decoder.program.outcome = program_outcome::time_out;
            decoder.program.end_seconds = event.start_seconds;
            return true;
        }
        start_name(decoder);
        return false;
    case machine_event_kind::short_burst:
        if (decoder.phase != decoder_phase::before_time_out) {
            ++decoder.program.figures.short_bursts;
            decoder.has_last_bit = false;
        }
        return false;
    case machine_event_kind::bit: return take_bit(decoder, event);
    }
    return false;
}

bool finish_decoding(tape_decoder& decoder, double end_seconds)
{
    if (decoder.phase != decoder_phase::data)
        return false;
    decoder.program.outcome = program_outcome::recording_ended;
    decoder.program.end_seconds = end_seconds;
    return true;
}

void begin_next_program(tape_decoder& decoder)
{
    // A time-out that failed a load is itself the time-out LOAD waits for.
    if (decoder.program.outcome == program_outcome::time_out) {
        start_name(decoder);
        return;
    }
    decoder.phase = decoder_phase::before_time_out;
    decoder.bits = 0;
    decoder.byte = 0;
    decoder.has_last_bit = false;
}
