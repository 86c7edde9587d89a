// Opening, streaming and closing: the only code that touches the files.
//
// The stream is, in order: intro_blocks of 1000 silence samples, the name
// (each tape code as eight bits, the last code with bit 7 set), every byte of
// the P-file as eight bits, outro_blocks of 1000 silence samples. There is no
// header: the output is unsigned 8-bit mono at 22050 samples per second.
#include "core/conversion_pipeline.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "core/conversion_settings.h"
#include "core/messages.h"
#include "core/output_stream.h"
#include "core/report.h"
#include "core/tape_signal.h"

namespace {

// Opens the input and learns what it is, for the check against the output.
int open_input(const char* input_path, struct stat& input_status)
{
    const int input = open(input_path, O_RDONLY | O_CLOEXEC);
    if (input < 0)
        fail_run(MESSAGE_CANT_READ_INPUT, input_path);
    if (fstat(input, &input_status) != 0) {
        close(input);
        fail_run(MESSAGE_CANT_READ_INPUT, input_path);
    }
    return input;
}

// Opening the output empties it, so an output that is the input file itself,
// under whatever path or link, would destroy the P-file before it is read.
void refuse_output_that_is_input(int input, const struct stat& input_status, const char* output_path)
{
    struct stat output_status {};
    if (S_ISREG(input_status.st_mode) && stat(output_path, &output_status) == 0 &&
        output_status.st_dev == input_status.st_dev && output_status.st_ino == input_status.st_ino) {
        close(input);
        fail_run(MESSAGE_OUTPUT_IS_INPUT, output_path);
    }
}

void write_silence_blocks(output_stream& stream, std::int32_t blocks)
{
    if (blocks > 0)
        append_repeated(stream, SILENCE_LEVEL, SILENCE_BLOCK_SAMPLES * static_cast<std::uint64_t>(blocks));
}

// Sends the name with the end flag on its last code. An empty name sends
// nothing.
void write_name(output_stream& stream)
{
    std::string& name = conversion_settings.tape_name;
    if (name.empty())
        return;
    name.back() = static_cast<char>(static_cast<std::uint8_t>(name.back()) | NAME_END_FLAG);
    emit_bytes(stream, reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
}

// Reads a block, retrying an interrupted read; returns the byte count, 0 at
// the end of the file, or -1 on an error.
ssize_t read_block(int input, std::uint8_t* block)
{
    for (;;) {
        const ssize_t got = read(input, block, IO_BLOCK_SIZE);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

void check_written(const output_stream& stream, const char* output_path)
{
    if (stream.failed)
        fail_run(MESSAGE_CANT_WRITE_OUTPUT, output_path);
}

} // namespace

void convert_file(const char* input_path, const char* output_path)
{
    struct stat input_status {};
    const int input = open_input(input_path, input_status);
    refuse_output_that_is_input(input, input_status, output_path);

    const std::unique_ptr<std::uint8_t[]> block(new (std::nothrow) std::uint8_t[IO_BLOCK_SIZE]);
    const std::unique_ptr<output_stream> stream(new (std::nothrow) output_stream);
    if (!block || !stream)
        fail_run_silently();

    // The first block is read before the output is opened, so that an input
    // that opens but cannot be read (a folder, a failing device) is refused
    // while an existing output file still holds its content.
    ssize_t got = read_block(input, block.get());
    if (got < 0)
        fail_run(MESSAGE_CANT_READ_INPUT, input_path);

    const int output = open(output_path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (output < 0) {
        close(input);
        fail_run(MESSAGE_CANT_OPEN_OUTPUT, output_path);
    }
    stream->file = output;

    write_silence_blocks(*stream, conversion_settings.intro_blocks);
    write_name(*stream);

    // The reads go on to the end of the file, so a pipe that delivers its
    // bytes in short pieces gives the same stream as a file.
    while (got > 0) {
        emit_bytes(*stream, block.get(), static_cast<std::size_t>(got));
        check_written(*stream, output_path);
        got = read_block(input, block.get());
        if (got < 0) {
            flush_output(*stream);
            fail_run(MESSAGE_CANT_READ_INPUT, input_path);
        }
    }

    write_silence_blocks(*stream, conversion_settings.outro_blocks);
    flush_output(*stream);
    check_written(*stream, output_path);
    if (close(output) != 0)
        fail_run(MESSAGE_CANT_WRITE_OUTPUT, output_path);
    close(input);
}
