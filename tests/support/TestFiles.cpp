#include "TestFiles.h"

#include <fstream>
#include <iterator>
#include <sstream>

std::vector<uint8_t> scoreFileBytes(const std::vector<int32_t> &scores)
{
    std::vector<uint8_t> bytes;
    for (int32_t score : scores)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(uint8_t(uint32_t(score) >> shift));
    return bytes;
}

void writeFileBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

std::vector<uint8_t> readFileBytes(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

std::string readFileText(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}
