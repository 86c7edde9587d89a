// Runs a real executable the way a shell would, in a scratch folder, and
// collects what it printed and how it ended.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct program_result {
    int status = -1; // exit status as the shell sees it (0 to 255), -1 if killed
    std::string out; // standard output
    std::string err; // standard error
};

// Runs program with the given arguments (argv[0] is arguments[0]) in folder.
program_result run_program(const std::string& program, const std::vector<std::string>& arguments,
                           const std::filesystem::path& folder);

// Runs program like run_program, but with its standard output a pipe that
// this process reads: each piece is handed to take_output as it arrives, and
// the result's out stays empty. The program sees a pipe, as it would in a
// shell pipeline.
program_result run_program_into_pipe(const std::string& program, const std::vector<std::string>& arguments,
                                     const std::filesystem::path& folder,
                                     const std::function<void(const char* bytes, std::size_t count)>& take_output);

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
struct scratch_folder {
    std::filesystem::path path;
    scratch_folder();
    ~scratch_folder();
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
};

std::vector<std::uint8_t> read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
