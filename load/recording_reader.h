// Reading a recording as one channel of float samples, block by block:
// anything libsndfile recognises by its header, else raw unsigned 8-bit mono.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <sndfile.h>

// Frames read from the file per block: memory stays bounded whatever the
// length of the recording.
inline constexpr std::size_t RECORDING_BLOCK_FRAMES = 65536;

// An open recording.
struct recording {
    SNDFILE* file = nullptr;      // libsndfile's handle; null when closed
    int channels = 1;             // channels in the file
    std::int64_t sample_rate = 0; // frames per second
    bool raw = false;             // read as raw unsigned 8-bit mono
    int channel = 0;              // the channel used, from 1; 0 mixes them all
    std::vector<float> frames;    // one block of interleaved frames
};

// Opens the recording at path, using raw_rate when it has no header.
// Returns false with libsndfile's or the system's reason in error.
bool open_recording(recording& input, const std::string& path, std::int64_t raw_rate, std::string& error);

// Reads the next block into mono (RECORDING_BLOCK_FRAMES floats at least),
// mixing or picking channels, levels from -1 to +1. Returns the number of
// samples, 0 at the end; sets failed on a read error.
std::size_t read_recording_block(recording& input, float* mono, bool& failed);

// Closes the recording.
void close_recording(recording& input);
