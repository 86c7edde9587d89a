// Hearing a recording from start to end as the machine does: samples in
// blocks, through the signal detector and the timing model, to the decoder.
#pragma once

#include <cstdint>
#include <vector>

#include "load/machine_timing.h"
#include "load/recording_reader.h"
#include "load/signal_detector.h"
#include "load/tape_decoder.h"

// The state of hearing one recording.
struct recording_scan {
    recording* input = nullptr;         // the open recording
    signal_detector detector;           // signal or not, per sample
    machine_state machine;              // the ZX81's loop
    std::vector<float> samples;         // one block, one channel
    std::vector<std::uint64_t> changes; // where the detector's decision changes in it
    std::vector<machine_event> events;  // what the machine made of it
    std::size_t next_event = 0;         // the first event not yet decoded
    std::uint64_t position = 0;         // samples the machine has heard so far
    bool ended = false;                 // the whole recording has been heard
    bool finished = false;              // and the decoder has been told so
    bool failed = false;                // a read failed
};

// Starts hearing the open recording input.
recording_scan make_recording_scan(recording& input);

// Hears on until a program ends: returns true with it in decoder.program,
// or false at the end of the recording (or when a read failed).
bool next_program(recording_scan& scan, tape_decoder& decoder);
