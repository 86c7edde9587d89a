// The --list report of one program: its name, length, place on the
// recording and the figures of its signal against the machine's windows.
#pragma once

#include "load/tape_decoder.h"

// Prints the listing of the number-th program on standard output.
void print_program_listing(unsigned number, const tape_program& program);
