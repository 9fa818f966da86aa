// Files as the tests put them on disk and find them there, on either system.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

// "highscore.dat" holding these scores, cut or padded with zeros to `size` bytes.
inline Bytes scoresFile(std::vector<int> scores, size_t size = 40)
{
    scores.resize(12);
    Bytes bytes(reinterpret_cast<char *>(scores.data()), reinterpret_cast<char *>(scores.data()) + 48);
    bytes.resize(size);
    return bytes;
}

// What stands at `path`: a file's bytes, "/" for a folder, "|" for a FIFO, or none.
inline Bytes readFile(const fs::path &path)
{
    if (!fs::is_regular_file(path))
        return fs::is_directory(path) ? Bytes{'/'} : fs::is_fifo(path) ? Bytes{'|'} : Bytes{};
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

// A fresh current directory named after the test, under the one the tests run in:
// removed with all it holds at the test's end, or by the next run if the test aborts.
struct TempDir {
    fs::path previous = fs::current_path();
    fs::path path = previous / testing::UnitTest::GetInstance()->current_test_info()->name();
    TempDir()
    {
        fs::remove_all(path);
        fs::create_directory(path);
        fs::current_path(path);
    }
    ~TempDir()
    {
        fs::current_path(previous);
        fs::remove_all(path);
    }
};
