// The conversion pipeline: one P-file in, one raw sample stream out.
#pragma once

#include <cstddef>
#include <cstdint>

// The input is read in blocks of this many bytes.
inline constexpr std::size_t IO_BLOCK_SIZE = 30000;

// Lead-in and lead-out silence is counted in blocks of this many samples.
inline constexpr std::uint64_t SILENCE_BLOCK_SAMPLES = 1000;

// Set on the last character of the name on tape: the machine knows the name
// has ended when it reads a byte with bit 7 set.
inline constexpr std::uint8_t NAME_END_FLAG = 0x80;

// Writes the whole stream for the file at input_path to output_path: lead-in
// silence, the name in tape codes, every byte of the file, lead-out silence.
// Returns when both files are closed; on a failure it reports and ends the
// process with status 1.
void convert_file(const char* input_path, const char* output_path);
