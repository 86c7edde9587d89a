// The ready-buffer baseline: the time it takes to write a given number of
// bytes from a buffer of the converter's output size that is filled once,
// before the writing starts. On a file in memory this is the kernel's copy
// of the bytes and nothing else: the limit for any converter.
//
// Usage: ready_buffer_baseline COUNT OUTPUT
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "core/output_stream.h"

static unsigned char buffer[OUTPUT_BUFFER_SIZE];

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: ready_buffer_baseline COUNT OUTPUT\n", stderr);
        return 2;
    }
    unsigned long long left = std::strtoull(argv[1], nullptr, 10);
    const int output = open(argv[2], O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (output < 0)
        return 1;
    std::memset(buffer, 0x80, sizeof buffer);
    while (left > 0) {
        const std::size_t size = left < sizeof buffer ? static_cast<std::size_t>(left) : sizeof buffer;
        if (write(output, buffer, size) != static_cast<ssize_t>(size))
            return 1;
        left -= size;
    }
    return close(output) == 0 ? 0 : 1;
}
