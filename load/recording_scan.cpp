// The loop that hears a recording: read a block, decide signal or not per
// sample, let the machine poll the runs of equal decision, and hand what it
// makes of them to the decoder. Memory is one block of each kind.
#include "load/recording_scan.h"

namespace {

// Hears one more block; returns false at the end of the recording.
bool hear_block(recording_scan& scan)
{
    scan.events.clear();
    scan.next_event = 0;
    const std::size_t count = read_recording_block(*scan.input, scan.samples.data(), scan.failed);
    bool level = scan.detector.level;
    if (count == 0) {
        // The last samples, which the detector could not look ahead of,
        // keep the last decision.
        const std::uint64_t end = scan.detector.heard;
        if (end > scan.position)
            hear_run(scan.machine, level, scan.position, end, scan.events);
        scan.position = end;
        return false;
    }
    const std::size_t change_count = detect_signal(scan.detector, scan.samples.data(), count, scan.changes.data());
    for (std::size_t i = 0; i < change_count; ++i) {
        const std::uint64_t change = scan.changes[i];
        if (change > scan.position)
            hear_run(scan.machine, level, scan.position, change, scan.events);
        scan.position = change;
        level = !level;
    }
    const std::uint64_t decided = decided_samples(scan.detector);
    if (decided > scan.position)
        hear_run(scan.machine, level, scan.position, decided, scan.events);
    scan.position = decided;
    return true;
}

} // namespace

recording_scan make_recording_scan(recording& input)
{
    recording_scan scan;
    scan.input = &input;
    scan.detector = make_signal_detector(input.sample_rate);
    scan.machine = make_machine(static_cast<std::uint64_t>(input.sample_rate));
    scan.samples.assign(RECORDING_BLOCK_FRAMES, 0.0f);
    scan.changes.assign(RECORDING_BLOCK_FRAMES, 0);
    scan.events.reserve(RECORDING_BLOCK_FRAMES / 4);
    return scan;
}

bool next_program(recording_scan& scan, tape_decoder& decoder)
{
    for (;;) {
        while (scan.next_event < scan.events.size()) {
            if (decode_event(decoder, scan.events[scan.next_event++]))
                return true;
        }
        if (scan.ended) {
            if (scan.finished || scan.failed)
                return false;
            scan.finished = true;
            const double end = static_cast<double>(scan.position) / static_cast<double>(scan.input->sample_rate);
            return finish_decoding(decoder, end);
        }
        if (!hear_block(scan))
            scan.ended = true;
    }
}
