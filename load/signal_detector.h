// Signal or no signal, sample by sample: the one bit that the ZX81's EAR
// input gives, decided with a threshold that follows the recording.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The detector's settings (derived from the sample rate) and running state.
struct signal_detector {
    float dc_step = 0.0f;             // share of each sample in the running mean (DC)
    float envelope_keep = 0.0f;       // share of the envelope kept per sample when it falls
    float noise_step = 0.0f;          // share of each quiet sample in the noise level
    std::uint32_t quiet_hold = 0;     // samples with nothing loud before a sample counts as quiet
    std::uint64_t lookahead = 0;      // samples that the envelope sees ahead of the decision
    std::uint64_t gap_samples = 0;    // samples of a silent gap between bits, at the least
    std::uint64_t no_gap_samples = 0; // samples without a gap after which it is noise
    std::vector<float> pending;       // the last samples (DC removed), a ring of a power of two
    std::uint64_t heard = 0;          // samples seen so far
    bool started = false;             // the first sample has been seen
    float dc = 0.0f;                  // the running mean: the DC offset
    float envelope = 0.0f;            // the peak level, falling slowly
    float noise = 1.0f;               // the mean level of the quiet stretches
    std::uint64_t last_loud = 0;      // the newest sample above the threshold, of either polarity
    std::uint64_t dim_run = 0;        // samples in a row far below the envelope
    std::uint64_t last_gap = 0;       // the newest sample that ends a silent gap
    bool level = false;               // the decision for the last sample: signal
};

// A detector for a recording of sample_rate samples per second, at no signal.
signal_detector make_signal_detector(std::int64_t sample_rate);

// Takes the next count samples of the recording and decides each sample up
// to detector.lookahead samples before the last one taken: every sample
// decided so far is final. Writes to changes the position in the recording
// of every sample whose decision differs from the one before it, and returns
// how many; changes has room for count entries.
std::size_t detect_signal(signal_detector& detector, const float* samples, std::size_t count, std::uint64_t* changes);

// The number of samples of the recording decided so far.
std::uint64_t decided_samples(const signal_detector& detector);
