// The converter's entry. A run is: options, then the tape name (derived from
// the input path when -f gave none, then checked and encoded), then the
// conversion. Fewer than two paths print the usage text.
#include "core/entry.h"

#include <cstdio>

#include "cli/option_parsing.h"
#include "cli/tape_name_derivation.h"
#include "cli/tape_name_encoding.h"
#include "core/conversion_pipeline.h"
#include "core/conversion_settings.h"

#ifndef ZX81TAPE_VERSION
#define ZX81TAPE_VERSION "0"
#endif

namespace {

// Its wording and blanks are the program's own and stay as they are.
constexpr const char* usage_after_first_line[] = {
    "     This will generate a raw datfile that can is accepted\n",
    "     by most wave-editors. The format is currently fixed \n",
    "     (mono, 8 bits, 22050 Hz)\n",
    " Options: \n",
    "   filename.p         // the input P-file (no checking if valid P-file)\n",
    "   filename.raw       // the output file with the raw data bytes\n",
    "   i=NN               // intro  silence (*1000 samples) [def=22]\n",
    "   o=NN               // outtro silence (*1000 samples) [def=22]\n",
    "   1=NN               // insert extra sample every Nth/100 '1' [def=76]\n",
    "   0=NN               // insert extra sample every Nth/100 '0' [def=76]\n",
    "   p=NN               // silence before '1' [def=29 samples]\n",
    "   q=NN               // silence before '0' [def=29 samples]\n",
    "   -fZXNAME           // use ZXNAME for saved name\n",
};

} // namespace

void print_usage(const char* invocation_name)
{
    std::printf(" %s  filename.p filename.raw [options] \n", invocation_name ? invocation_name : "zx81save");
    // The date and time of the build, fixed when this file is compiled.
    std::printf(" zx81save %s %s %s \n\n", ZX81TAPE_VERSION, __DATE__, __TIME__);
    for (const char* line : usage_after_first_line)
        std::fputs(line, stdout);
}

int run_zx81save(int argc, char** argv)
{
    if (argc <= 2) {
        print_usage(argc > 0 ? argv[0] : nullptr);
        return 0;
    }
    parse_options(argc, argv);
    if (conversion_settings.tape_name.empty())
        derive_tape_name(argv[1]);
    if (!encode_tape_name())
        return -1;
    convert_file(argv[1], argv[2]);
    return 0;
}
