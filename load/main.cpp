// zx81load: hands the command line to the entry.
#include "load/load_entry.h"

int main(int argc, char** argv)
{
    return run_zx81load(argc, argv);
}
