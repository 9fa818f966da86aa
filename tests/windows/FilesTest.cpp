// What the game reads and writes, as Windows does it: the score table as found on
// disk and shared by games saving at once; datafiles loaded from a copy that nobody
// can change while Allegro reads it. What the table holds is the Linux tests' to prove.
#include <allegro.h>
#include <winalleg.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <tuple>
#include <vector>

#include "DatafileCheck.h"
#include "HighScores.h"
#include "Platform.h"

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

static Bytes scoresFile(std::vector<int> scores, size_t size = 40)
{
    scores.resize(11);
    Bytes bytes(reinterpret_cast<char *>(scores.data()), reinterpret_cast<char *>(scores.data()) + 44);
    bytes.resize(size);
    return bytes;
}

static Bytes readFile(const fs::path &path)
{
    if (fs::is_directory(path))
        return {'/'};
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

struct Folder : testing::Test {
    void SetUp() override
    {
        fs::remove_all("files");
        fs::create_directory("files");
        fs::current_path("files");
    }
    void TearDown() override { fs::current_path(".."); }
};

TEST_F(Folder, AScoreEntersTheTableInPlaceAndGamesSavingAtOnceLoseNone)
{
    const Bytes folder = {'/'};
    // (the file before: none, or "/" for a folder in its place; the score offered; its place; the file after)
    const std::tuple<Bytes, int, int, Bytes> cases[] = {
        {{}, 0, 0, {}},
        {{}, 40, 1, scoresFile({40})},
        {scoresFile({77, -2, 5}, 10), 3, 2, scoresFile({77, 3, -2})},
        {scoresFile({90, 80, 70, 60, 50, 40, 30, 20, 10, 5, 9}, 44), 55, 5,
         scoresFile({90, 80, 70, 60, 55, 50, 40, 30, 20, 10})},
        {folder, 40, 1, folder},
    };
    for (const auto &[before, offered, place, after] : cases) {
        fs::remove_all("highscore.dat");
        if (before == folder)
            fs::create_directory("highscore.dat");
        else if (!before.empty())
            std::ofstream("highscore.dat", std::ios::binary).write(before.data(), before.size());
        Score score{offered};
        EXPECT_EQ(highScoreSaveToDisk(&score), place) << offered;
        EXPECT_EQ(readFile("highscore.dat"), after) << offered;
    }
    fs::remove_all("highscore.dat");
    // Best scores first, so that none lost is made up by a later one: the best ten stay.
    std::vector<std::thread> games;
    for (int game = 0; game < 8; game++)
        games.emplace_back([game] {
            for (Score score{792 + game}; score.points > 0; score.points -= 8)
                highScoreSaveToDisk(&score);
        });
    for (std::thread &game : games)
        game.join();
    EXPECT_EQ(readFile("highscore.dat"), scoresFile({799, 798, 797, 796, 795, 794, 793, 792, 791, 790}));
}

TEST_F(Folder, OnlyFilesAreReadAndAllegroLoadsFromACopyNobodyCanChange)
{
    fs::create_directory("folder.dat");
    EXPECT_EQ(datafileLoad("folder.dat", DAT_RLE_SPRITE), nullptr);

    // While Allegro reads the copy, it holds those bytes and nobody may change or remove it.
    std::string copy;
    const unsigned char bytes[] = {'v', 'o', 'k'};
    EXPECT_TRUE(platformWithSealedCopy(bytes, sizeof bytes, [&](const char *name) {
        copy = name;
        EXPECT_EQ(readFile(name), Bytes(bytes, bytes + sizeof bytes));
        for (DWORD access : {DWORD(GENERIC_WRITE), DWORD(DELETE)}) {
            HANDLE other = CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
            EXPECT_EQ(other, INVALID_HANDLE_VALUE) << access;
            if (other != INVALID_HANDLE_VALUE)
                CloseHandle(other);
        }
    }));
    EXPECT_FALSE(copy.empty() || fs::exists(copy)) << copy;
}
