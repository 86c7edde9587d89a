// The tape name taken from the input path when -f gave none.
#pragma once

// Sets conversion_settings.tape_name to the file name part of input_path,
// cut at its first '.'; reports an empty result and goes on.
void derive_tape_name(const char* input_path);
