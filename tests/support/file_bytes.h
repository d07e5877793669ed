// Whole files as bytes, for tests that write inputs and read what a program left behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

using Bytes = std::vector<uint8_t>;

// The file's bytes; empty when it cannot be read.
Bytes ReadFileBytes(const std::filesystem::path& path);

// Writes `bytes` as the whole file, replacing what was there. False when it cannot.
bool WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes);
