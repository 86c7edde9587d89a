// zx81save: converts a ZX81 P-file into the raw sample stream of its tape
// signal. Everything but the hand-over of the arguments lives in the entry.
#include "core/entry.h"

int main(int argc, char** argv)
{
    return run_zx81save(argc, argv);
}
