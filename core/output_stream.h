// The program's own buffered output stream: the one place that writes the
// raw sample stream to the output file. The synthesis appends samples to it;
// the pipeline opens it on a file, checks it and closes it.
//
// A write that fails marks the stream as failed; from then on appended bytes
// are dropped, and the pipeline, which checks the mark, ends the run.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes gathered before they go to the file in one write. A quarter of a
// megabyte keeps the buffer in the processor's second-level cache while the
// stream is built, and makes each write large enough that the system call
// costs nothing beside the copy of the bytes.
inline constexpr std::size_t OUTPUT_BUFFER_SIZE = 1 << 18;

// The most that one reserve_output may ask for. Keeping it at an eighth of
// the buffer means a stream written through reserve_output still goes to the
// file in writes of at least seven eighths of the buffer.
inline constexpr std::size_t OUTPUT_RESERVE_LIMIT = OUTPUT_BUFFER_SIZE / 8;

struct output_stream {
    int file = -1;                                       // the open output file
    bool failed = false;                                 // a write to the file has failed
    std::size_t used = 0;                                // bytes waiting in buffer
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

// Makes room for count bytes (at most OUTPUT_RESERVE_LIMIT) at the end of the
// buffer, writing out what it holds first when they would not fit, and
// returns where they go. The caller writes there and then hands over, with
// commit_output, the bytes that belong to the stream; anything it writes
// past them is free space that later bytes overwrite.
inline std::uint8_t* reserve_output(output_stream& stream, std::size_t count)
{
    if (OUTPUT_BUFFER_SIZE - stream.used < count)
        flush_output(stream);
    return stream.buffer + stream.used;
}

// Takes count bytes written at the place reserve_output gave into the stream.
inline void commit_output(output_stream& stream, std::size_t count)
{
    stream.used += count;
}
