// The converter's entry: usage text, the order of the steps of a run, and
// the exit status.
#pragma once

// Writes the usage text to standard output, with invocation_name (or
// "zx81save" when the host gave none) on its first line.
void print_usage(const char* invocation_name);

// Runs the converter on the argument list as the host passes it. Returns 0
// or -1; a file failure ends the process from within with status 1.
int run_zx81save(int argc, char** argv);
