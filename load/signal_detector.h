// Signal or no signal, sample by sample: the one bit that the ZX81's EAR
// input gives, decided with a threshold that follows the recording.
#pragma once

#include <cstddef>
#include <cstdint>

// The detector's settings (derived from the sample rate) and running state.
struct signal_detector {
    float dc_step = 0.0f;          // share of each sample in the running mean (DC)
    float envelope_keep = 0.0f;    // share of the envelope kept per sample when it falls
    float noise_step = 0.0f;       // share of each quiet sample in the noise level
    std::uint32_t quiet_hold = 0;  // samples without signal before a sample counts as quiet
    bool started = false;          // the first sample has been seen
    float dc = 0.0f;               // the running mean: the DC offset
    float envelope = 0.0f;         // the peak level, falling slowly
    float noise = 1.0f;            // the mean level of the quiet stretches
    std::uint32_t quiet_run = 0;   // samples since the last one with signal
    bool level = false;            // the decision for the last sample: signal
};

// A detector for a recording of sample_rate samples per second, at no signal.
signal_detector make_signal_detector(std::int64_t sample_rate);

// Decides each of the count samples. Writes to changes the index of every
// sample whose decision differs from the one before it (the first sample is
// compared with the last one of the previous call), and returns how many.
// changes has room for count entries.
std::size_t detect_signal(signal_detector& detector, const float* samples, std::size_t count,
                          std::uint32_t* changes);
