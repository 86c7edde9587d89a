// Runs the synthesis into a scratch file and hands back the samples, with
// the settings and the extra-sample accumulators put back to how a run
// starts.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/output_stream.h"

// Puts conversion_settings and the accumulators back to their start values.
void reset_run_state();

// The samples that body appends to a fresh output stream.
std::vector<std::uint8_t> capture_samples(const std::function<void(output_stream&)>& body);
