// The P-file on disk: writing the loaded program so that no half-written
// file is ever left behind, and reading one to compare with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The most bytes a P-file can hold: the ZX81's memory from 0x4009 to 0xFFFF.
inline constexpr std::size_t LARGEST_PROGRAM = 0x10000 - 0x4009;

// Writes bytes to path through a temporary file beside it, renamed into
// place once complete. Returns false with the system's reason in error; the
// target then keeps what it held.
bool write_program_file(const std::string& path, const std::vector<std::uint8_t>& bytes, std::string& error);

// Reads a P-file of at most LARGEST_PROGRAM + 1 bytes (one more shows that it
// is too long). Returns false with the system's reason in error.
bool read_program_file(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);
