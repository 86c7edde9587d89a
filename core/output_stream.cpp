// Buffering and writing of the output stream.
#include "core/output_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

void flush_output(output_stream& stream)
{
    const std::uint8_t* next = stream.buffer;
    std::size_t left = stream.used;
    stream.used = 0;
    while (left > 0 && !stream.failed) {
        const ssize_t written = write(stream.file, next, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            stream.failed = true;
            break;
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
}

void append_bytes(output_stream& stream, const std::uint8_t* bytes, std::size_t count)
{
    while (count > 0) {
        if (stream.used == OUTPUT_BUFFER_SIZE)
            flush_output(stream);
        const std::size_t room = std::min(count, OUTPUT_BUFFER_SIZE - stream.used);
        std::memcpy(stream.buffer + stream.used, bytes, room);
        stream.used += room;
        bytes += room;
        count -= room;
    }
}

void append_repeated(output_stream& stream, std::uint8_t value, std::uint64_t count)
{
    while (count > 0) {
        if (stream.used == OUTPUT_BUFFER_SIZE)
            flush_output(stream);
        const std::size_t room =
            static_cast<std::size_t>(std::min<std::uint64_t>(count, OUTPUT_BUFFER_SIZE - stream.used));
        std::memset(stream.buffer + stream.used, value, room);
        stream.used += room;
        count -= room;
    }
}
