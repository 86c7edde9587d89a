// The program's own buffered output stream: the one place that writes the
// raw sample stream to the output file. The synthesis appends samples to it;
// the pipeline opens it on a file, checks it and closes it.
//
// A write that fails marks the stream as failed; from then on appended bytes
// are dropped, and the pipeline, which checks the mark, ends the run.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes gathered before they go to the file in one write.
inline constexpr std::size_t OUTPUT_BUFFER_SIZE = 1 << 16;

struct output_stream {
    int file = -1;       // the open output file
    bool failed = false; // a write to the file has failed
    std::size_t used = 0;                          // bytes waiting in buffer
    alignas(64) std::uint8_t buffer[OUTPUT_BUFFER_SIZE]; // bytes not yet written
};

// Writes everything buffered to the file and empties the buffer.
void flush_output(output_stream& stream);

// Appends count bytes.
void append_bytes(output_stream& stream, const std::uint8_t* bytes, std::size_t count);

// Appends count copies of one byte value.
void append_repeated(output_stream& stream, std::uint8_t value, std::uint64_t count);

// Appends one byte.
inline void append_byte(output_stream& stream, std::uint8_t value)
{
    if (stream.used == OUTPUT_BUFFER_SIZE)
        flush_output(stream);
    stream.buffer[stream.used++] = value;
}
