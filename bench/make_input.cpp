// Writes COUNT pseudo-random bytes from a fixed seed, so that every run of
// the benchmark converts the same programs.
//
// Usage: make_input COUNT SEED OUTPUT
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: make_input COUNT SEED OUTPUT\n", stderr);
        return 2;
    }
    const unsigned long long count = std::strtoull(argv[1], nullptr, 10);
    std::mt19937 generator(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
    std::FILE* out = std::fopen(argv[3], "wb");
    if (out == nullptr)
        return 1;
    std::vector<unsigned char> block(1 << 16);
    for (unsigned long long done = 0; done < count;) {
        const std::size_t size = count - done < block.size() ? static_cast<std::size_t>(count - done) : block.size();
        for (std::size_t i = 0; i < size; ++i)
            block[i] = static_cast<unsigned char>(generator() >> 24);
        std::fwrite(block.data(), 1, size, out);
        done += size;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
