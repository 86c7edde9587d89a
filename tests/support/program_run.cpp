#include "tests/support/program_run.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

program_result run_program(const std::string& program, const std::vector<std::string>& arguments,
                           const std::filesystem::path& folder)
{
    const scratch_folder capture;
    const std::string out_path = (capture.path / "stdout").string();
    const std::string err_path = (capture.path / "stderr").string();
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int none = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || none < 0 || chdir(folder.c_str()) != 0)
            _exit(127);
        dup2(none, 0);
        dup2(out, 1);
        dup2(err, 2);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int wait_status = 0;
    while (waitpid(child, &wait_status, 0) < 0) {
    }
    program_result result;
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    result.out = slurp(out_path);
    result.err = slurp(err_path);
    return result;
}

program_result run_program_into_pipe(const std::string& program, const std::vector<std::string>& arguments,
                                     const std::filesystem::path& folder,
                                     const std::function<void(const char* bytes, std::size_t count)>& take_output)
{
    const scratch_folder capture;
    const std::string err_path = (capture.path / "stderr").string();
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int ends[2];
    if (pipe(ends) != 0)
        throw std::runtime_error("pipe failed");

    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        const int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int none = open("/dev/null", O_RDONLY);
        if (err < 0 || none < 0 || chdir(folder.c_str()) != 0)
            _exit(127);
        dup2(none, 0);
        dup2(ends[1], 1);
        dup2(err, 2);
        close(ends[0]);
        close(ends[1]);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    // Only the child may hold the write end, or the read would never see
    // the end of the stream.
    close(ends[1]);
    char piece[1 << 16];
    for (;;) {
        const ssize_t got = read(ends[0], piece, sizeof piece);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        take_output(piece, static_cast<std::size_t>(got));
    }
    close(ends[0]);
    int wait_status = 0;
    while (waitpid(child, &wait_status, 0) < 0) {
    }
    program_result result;
    result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : -1;
    result.err = slurp(err_path);
    return result;
}

scratch_folder::scratch_folder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zx81tape-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("no scratch folder");
    path = pattern;
}

scratch_folder::~scratch_folder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::vector<std::uint8_t> read_file(const std::filesystem::path& path)
{
    const std::string bytes = slurp(path);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}
