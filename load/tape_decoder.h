// From the machine's bits to programs: bytes, the name, and the data up to
// the length that the data's own E_LINE gives, with LOAD's rules for names.
#pragma once

#include <cstdint>
#include <vector>

#include "load/machine_timing.h"

// Where the data goes in the ZX81's memory, and the smallest load: the load
// ends when the next address reaches E_LINE, which comes with the data at
// offsets 11 and 12, so no load ends before 13 bytes.
inline constexpr std::uint32_t PROGRAM_START = 0x4009;
inline constexpr std::uint32_t E_LINE_LOW_OFFSET = 11;
inline constexpr std::uint32_t E_LINE_HIGH_OFFSET = 12;
inline constexpr std::uint32_t SMALLEST_PROGRAM = 13;

// How reading one program ended.
enum class program_outcome {
    loaded,            // all E_LINE - 0x4009 bytes arrived
    time_out,          // a time-out inside the data: the machine fails the load
    recording_ended,   // the recording ends inside the data
    impossible_length, // E_LINE lies below 0x4009 + 13
};

// Figures of the bits of one value.
struct bit_figures {
    std::uint64_t count = 0;       // bits of this value
    std::uint64_t timed = 0;       // of them, those followed by another bit
    double seconds = 0.0;          // their lengths from start to next start, added up
    std::uint64_t least_polls = 0; // fewest polls of one bit (when count > 0)
    std::uint64_t most_polls = 0;  // most polls of one bit
    std::uint64_t near_edge = 0;   // bits within EDGE_MARGIN polls of a window's edge
};

// What the signal of one program looked like.
struct program_figures {
    bit_figures zero;                  // the 0 bits
    bit_figures one;                   // the 1 bits
    std::uint64_t short_bursts = 0;    // bursts the machine ignored
    std::uint64_t wrapped_bits = 0;    // bursts longer than 276 polls (the count wrapped)
    std::uint64_t pulse_intervals = 0; // pulse to next pulse inside bits, counted
    double pulse_seconds = 0.0;        // and their time added up
};

// Bits this close to the edge of their window are at risk on a real machine.
inline constexpr std::uint64_t EDGE_MARGIN = 10;

// One program as the machine read it.
struct tape_program {
    std::vector<std::uint8_t> name;                    // the name's codes, bit 7 set on the last
    std::vector<std::uint8_t> data;                    // the bytes from 0x4009 on
    std::uint32_t length = 0;                          // E_LINE - 0x4009, once 13 bytes have arrived; else 0
    std::uint32_t e_line = 0;                          // E_LINE as loaded
    double start_seconds = 0.0;                        // the first bit of the name
    double end_seconds = 0.0;                          // the last bit, or where the load failed
    program_outcome outcome = program_outcome::loaded; // how it ended
    program_figures figures;                           // the signal's figures
};

// Where the decoder is in LOAD.
enum class decoder_phase {
    before_time_out, // dropping bytes until a time-out (also after a wrong name)
    name,            // reading the name
    data,            // reading the data
};

struct tape_decoder {
    std::vector<std::uint8_t> wanted;                     // the name asked for (bit 7 on its last code); empty: any
    decoder_phase phase = decoder_phase::before_time_out; // where LOAD is
    std::uint8_t byte = 0;                                // the bits of the byte so far
    int bits = 0;                                         // how many
    bool has_last_bit = false;                            // a bit came before this one, since the last time-out
    int last_value = 0;                                   // its value
    double last_start = 0.0;                              // its start
    tape_program program;                                 // the program being read
};

// A decoder for LOAD "NAME" (wanted holds its codes) or LOAD "" (empty).
tape_decoder make_tape_decoder(const std::vector<std::uint8_t>& wanted);

// Hands one event of the machine to the decoder. Returns true when a program
// has ended (loaded or failed): it is in decoder.program until the decoder
// is told to go on with begin_next_program.
bool decode_event(tape_decoder& decoder, const machine_event& event);

// At the end of the recording: returns true when a program was being loaded,
// which has now failed.
bool finish_decoding(tape_decoder& decoder, double end_seconds);

// Goes on after a program has ended, looking for the next one as LOAD would
// look for one after a reset.
void begin_next_program(tape_decoder& decoder);
