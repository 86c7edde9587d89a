// The small reporting vocabulary: a warning goes to standard error and the run
// goes on; a failure goes to standard error and ends the process.
#pragma once

// Writes a fixed message to standard error, with text in place of its %s.
void report(const char* message, const char* text);

// Writes a fixed message with a single byte in place of its %c.
void report_character(const char* message, char character);

// Reports like report() and ends the process with exit status 1, after
// flushing the standard streams.
[[noreturn]] void fail_run(const char* message, const char* text);

// Ends the process with status 1 without a message.
[[noreturn]] void fail_run_silently();
