// Reading a recording. libsndfile is asked first to open the file by its
// header (WAV, AIFF, FLAC, ...); a file it does not recognise is opened again
// as raw unsigned 8-bit mono, the form zx81save writes, with 128 as silence.
// Samples reach the rest of the program as floats from -1 to +1, one channel.
#include "load/recording_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

bool open_recording(recording& input, const std::string& path, std::int64_t raw_rate, std::string& error)
{
    // A file that cannot be opened at all gets the system's reason, not
    // libsndfile's guess at a format.
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    if (probe == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    std::fclose(probe);

    SF_INFO info{};
    input.file = sf_open(path.c_str(), SFM_READ, &info);
    input.raw = false;
    if (input.file == nullptr) {
        info = SF_INFO{};
        info.format = SF_FORMAT_RAW | SF_FORMAT_PCM_U8;
        info.channels = 1;
        info.samplerate = static_cast<int>(raw_rate);
        input.file = sf_open(path.c_str(), SFM_READ, &info);
        input.raw = true;
    }
    if (input.file == nullptr) {
        error = sf_strerror(nullptr);
        return false;
    }
    input.channels = info.channels;
    input.sample_rate = info.samplerate;
    input.frames.assign(RECORDING_BLOCK_FRAMES * static_cast<std::size_t>(info.channels), 0.0f);
    return true;
}

std::size_t read_recording_block(recording& input, float* mono, bool& failed)
{
    failed = false;
    const sf_count_t got =
        sf_readf_float(input.file, input.frames.data(), static_cast<sf_count_t>(RECORDING_BLOCK_FRAMES));
    if (got < 0 || (got == 0 && sf_error(input.file) != SF_ERR_NO_ERROR)) {
        failed = true;
        return 0;
    }
    const std::size_t count = static_cast<std::size_t>(got);
    const std::size_t channels = static_cast<std::size_t>(input.channels);
    const float* frame = input.frames.data();
    if (channels == 1) {
        std::memcpy(mono, frame, count * sizeof(float));
    } else if (input.channel > 0) {
        const std::size_t pick = static_cast<std::size_t>(input.channel - 1);
        for (std::size_t i = 0; i < count; ++i)
            mono[i] = frame[i * channels + pick];
    } else {
        const float share = 1.0f / static_cast<float>(channels);
        for (std::size_t i = 0; i < count; ++i) {
            float sum = 0.0f;
            for (std::size_t c = 0; c < channels; ++c)
                sum += frame[i * channels + c];
            mono[i] = sum * share;
        }
    }
    return count;
}

void close_recording(recording& input)
{
    if (input.file != nullptr)
        sf_close(input.file);
    input.file = nullptr;
}
