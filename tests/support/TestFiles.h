// Files the tests write and read: "highscore.dat" as bytes (ten little-endian
// 32-bit scores, best first), logs as text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> scoreFileBytes(const std::vector<int32_t> &scores);
void writeFileBytes(const std::string &path, const std::vector<uint8_t> &bytes);
// The whole file; empty when it cannot be read.
std::vector<uint8_t> readFileBytes(const std::string &path);
// The whole file as text; empty when it cannot be read.
std::string readFileText(const std::string &path);
