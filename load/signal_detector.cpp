// The signal detector. The ZX81 only knows whether its EAR input is above a
// fixed level; a recording may be quiet or loud, clipped, inverted or carry a
// DC offset, so the level here follows the recording:
//  - a running mean over about 10 ms is the DC offset and is taken off;
//  - the envelope is the peak of the remaining level, falling slowly (about
//    half a second), so that the threshold stays put through the gaps between
//    bits and across the pauses between programs;
//  - the noise level is the mean level of the quiet stretches (nothing loud
//    for a millisecond before and the look-ahead after); the threshold stays
//    well above it, so that hiss never reads as signal; it starts high and
//    falls to the real level within the first tens of milliseconds;
//  - the envelope looks 2 ms ahead of the decision, so that the first
//    pulse of a burst sets the threshold before the faint ringing that a
//    resampling filter puts in front of it can read as signal;
//  - hiss that starts after clean silence would read as signal and so never
//    be quiet; but the machine's signal always has silent gaps (before each
//    bit, 250 us at the least) and hiss has none, so a stretch of 20 ms
//    without such a gap also counts as quiet and teaches the noise level;
//  - the decision has hysteresis: signal starts above a share of the
//    envelope and ends only below half of that.
// Only one polarity counts, as on the machine: a burst of pulses reads as
// signal on every positive half-wave and as no signal on every negative one.
// Inverted recordings work the same way, with the other half-waves.
#include "load/signal_detector.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double DC_SECONDS = 0.010;         // time constant of the running mean
constexpr double ENVELOPE_SECONDS = 0.5;     // time constant of the envelope's fall
constexpr double NOISE_SECONDS = 0.010;      // time constant of the noise level
constexpr double QUIET_HOLD_SECONDS = 0.001; // longer than the rests inside a burst (about 150 us)
constexpr double LOOKAHEAD_SECONDS = 0.002;  // longer than a resampler's ringing before a burst
constexpr double GAP_SECONDS = 0.00025;      // the shortest silent gap between two bits
constexpr double NO_GAP_SECONDS = 0.020;     // longer than any burst: what has no gap is noise
// A gap is a stretch below this share of the envelope.
constexpr float GAP_SHARE = 0.1f;

// Signal starts above this share of the envelope: low enough for the few
// samples per pulse at 11025 Hz (at least 0.57 of the peak), high enough
// that the first sample of a pulse at 22050 Hz (0.82 of it) already counts.
constexpr float ON_SHARE = 0.35f;
// Signal ends below this share of the level at which it started.
constexpr float OFF_SHARE = 0.5f;
// Signal needs this many times the noise's mean level: white noise peaks at
// twice its mean (uniform) or rarely more than five times it (Gaussian).
constexpr float NOISE_MARGIN = 5.0f;
// The smallest level that can be signal (full scale is 1): silence of a
// quantised recording stays below it, a signal 30 dB down stays well above.
constexpr float LEVEL_FLOOR = 0.002f;
// The envelope and the noise level never fall below this (far under
// LEVEL_FLOOR), and the running mean carries this bias: a long stretch of
// exact silence would otherwise decay them into subnormal numbers, which
// are slow on most processors.
constexpr float SMALLEST_LEVEL = 1e-6f;
constexpr float DC_BIAS = 1e-20f;

float per_sample_share(double seconds, std::int64_t sample_rate)
{
    return static_cast<float>(1.0 - std::exp(-1.0 / (seconds * static_cast<double>(sample_rate))));
}

} // namespace

signal_detector make_signal_detector(std::int64_t sample_rate)
{
    signal_detector detector;
    detector.dc_step = per_sample_share(DC_SECONDS, sample_rate);
    detector.envelope_keep = 1.0f - per_sample_share(ENVELOPE_SECONDS, sample_rate);
    detector.noise_step = per_sample_share(NOISE_SECONDS, sample_rate);
    detector.quiet_hold = static_cast<std::uint32_t>(std::ceil(QUIET_HOLD_SECONDS * static_cast<double>(sample_rate)));
    detector.lookahead = static_cast<std::uint64_t>(std::ceil(LOOKAHEAD_SECONDS * static_cast<double>(sample_rate)));
    detector.gap_samples =
        std::max<std::uint64_t>(2, static_cast<std::uint64_t>(GAP_SECONDS * static_cast<double>(sample_rate)));
    detector.no_gap_samples = static_cast<std::uint64_t>(NO_GAP_SECONDS * static_cast<double>(sample_rate));
    std::size_t ring = 1;
    while (ring <= detector.lookahead)
        ring *= 2;
    detector.pending.assign(ring, 0.0f);
    return detector;
}

std::size_t detect_signal(signal_detector& detector, const float* samples, std::size_t count, std::uint64_t* changes)
{
    if (count > 0 && !detector.started) {
        detector.dc = samples[0];
        detector.started = true;
    }
    // Local copies keep the state in registers through the loop.
    float dc = detector.dc;
    float envelope = detector.envelope;
    float noise = detector.noise;
    std::uint64_t last_loud = detector.last_loud;
    bool level = detector.level;
    const float dc_step = detector.dc_step;
    const float envelope_keep = detector.envelope_keep;
    const float noise_step = detector.noise_step;
    const std::uint64_t quiet_hold = detector.quiet_hold;
    const std::uint64_t lookahead = detector.lookahead;
    float* pending = detector.pending.data();
    const std::uint64_t mask = detector.pending.size() - 1;
    std::uint64_t heard = detector.heard;
    std::uint64_t dim_run = detector.dim_run;
    std::uint64_t last_gap = detector.last_gap;
    const std::uint64_t gap_samples = detector.gap_samples;
    const std::uint64_t no_gap_samples = detector.no_gap_samples;
    std::size_t change_count = 0;

    for (std::size_t i = 0; i < count; ++i, ++heard) {
        const float x = samples[i];
        dc += dc_step * (x - dc) + DC_BIAS;
        const float ahead = x - dc;
        pending[heard & mask] = ahead;
        envelope = std::max(std::max(std::fabs(ahead), envelope * envelope_keep), SMALLEST_LEVEL);
        float on = std::max(std::max(ON_SHARE * envelope, NOISE_MARGIN * noise), LEVEL_FLOOR);
        if (std::fabs(ahead) > on)
            last_loud = heard;
        dim_run = std::fabs(ahead) < GAP_SHARE * envelope ? dim_run + 1 : 0;
        if (dim_run >= gap_samples)
            last_gap = heard;
        if (heard < lookahead)
            continue;
        const std::uint64_t decided = heard - lookahead;
        const float v = pending[decided & mask];
        // Quiet: nothing loud, of either polarity, from quiet_hold samples
        // before this one to the newest sample.
        if (heard - last_loud > lookahead + quiet_hold || heard - last_gap > no_gap_samples) {
            noise = std::max(noise + noise_step * (std::fabs(v) - noise), SMALLEST_LEVEL);
            on = std::max(std::max(ON_SHARE * envelope, NOISE_MARGIN * noise), LEVEL_FLOOR);
        }
        const bool now = level ? v >= OFF_SHARE * on : v > on;
        if (now != level) {
            changes[change_count++] = decided;
            level = now;
        }
    }
    detector.dc = dc;
    detector.envelope = envelope;
    detector.noise = noise;
    detector.last_loud = last_loud;
    detector.level = level;
    detector.heard = heard;
    detector.dim_run = dim_run;
    detector.last_gap = last_gap;
    return change_count;
}

std::uint64_t decided_samples(const signal_detector& detector)
{
    return detector.heard > detector.lookahead ? detector.heard - detector.lookahead : 0;
}
