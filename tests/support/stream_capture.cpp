#include "tests/support/stream_capture.h"

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <unistd.h>

#include "core/conversion_settings.h"
#include "core/tape_signal.h"

void reset_run_state()
{
    conversion_settings = conversion_settings_record{};
    extra_accumulator_one = 0;
    extra_accumulator_zero = 0;
}

std::vector<std::uint8_t> capture_samples(const std::function<void(output_stream&)>& body)
{
    std::FILE* scratch = std::tmpfile();
    if (scratch == nullptr)
        throw std::runtime_error("no scratch file");
    auto stream = std::make_unique<output_stream>();
    stream->file = fileno(scratch);
    body(*stream);
    flush_output(*stream);
    if (stream->failed)
        throw std::runtime_error("scratch write failed");
    std::vector<std::uint8_t> samples;
    std::rewind(scratch);
    std::uint8_t block[4096];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, scratch)) > 0)
        samples.insert(samples.end(), block, block + got);
    std::fclose(scratch);
    return samples;
}
