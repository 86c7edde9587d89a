// Writing and reading P-files. The output goes to a temporary file in the
// target's own folder (so that the rename stays on one file system and is
// atomic) and is renamed over the target only after every write and the
// close have succeeded.
#include "load/program_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char TEMPORARY_SUFFIX[] = ".zx81load-XXXXXX";

bool fail(std::string& error, const char* temporary)
{
    error = std::strerror(errno);
    if (temporary != nullptr)
        unlink(temporary);
    return false;
}

} // namespace

bool write_program_file(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error)
{
    std::string temporary = path + TEMPORARY_SUFFIX;
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0)
        return fail(error, nullptr);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t step = write(descriptor, bytes.data() + written, bytes.size() - written);
        if (step < 0 && errno == EINTR)
            continue;
        if (step <= 0) {
            const int reason = errno;
            close(descriptor);
            errno = reason;
            return fail(error, temporary.c_str());
        }
        written += static_cast<std::size_t>(step);
    }
    if (close(descriptor) != 0)
        return fail(error, temporary.c_str());
    // mkstemp makes the file readable by its owner only; a P-file is an
    // ordinary file, readable as the umask allows.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temporary.c_str(), 0666 & ~mask);
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        return fail(error, temporary.c_str());
    return true;
}

bool read_program_file(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    bytes.assign(LARGEST_PROGRAM + 1, 0);
    const std::size_t count = std::fread(bytes.data(), 1, bytes.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        error = std::strerror(EIO);
        return false;
    }
    bytes.resize(count);
    return true;
}
