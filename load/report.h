// The one way zx81load writes a fixed message: a format from messages.h and
// its values, to standard error or standard output.
#pragma once

// Writes a message to standard error.
void report(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes a message to standard output.
void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
