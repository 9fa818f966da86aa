// What the game reads and writes, as Windows does it: the score table in place and shared by games saving
// at once; datafiles loaded from a copy nobody can change. What the table holds is the Linux tests' to prove.
#include <allegro.h>

#include <thread>

#include "DatafileCheck.h"
#include "Files.h"
#include "HighScores.h"
#include "Platform.h"

TEST(HighScoreFile, AScoreEntersTheTableInPlaceAndGamesSavingAtOnceLoseNone)
{
    TempDir folder;
    struct Save {
        Bytes before = {}; // none, or "/" for a folder in the table's place
        int offered = 40, place = 1;
        Bytes after = {};
    };
    const Save saves[] = {
        {.offered = 0, .place = 0},
        {.after = scoresFile({40})},
        {.before = scoresFile({77, -2, 5}, 10), .offered = 3, .place = 2, .after = scoresFile({77, 3, -2})},
        {.before = scoresFile({90, 80, 70, 60, 50, 40, 30, 20, 10, 5, 9}, 44), .offered = 55, .place = 5, .after = scoresFile({90, 80, 70, 60, 55, 50, 40, 30, 20, 10})},
        {.before = {'/'}, .after = {'/'}},
    };
    for (const Save &c : saves) {
        fs::remove_all("highscore.dat");
        if (c.before == Bytes{'/'})
            fs::create_directory("highscore.dat");
        else if (!c.before.empty())
            std::ofstream("highscore.dat", std::ios::binary).write(c.before.data(), c.before.size());
        Score score{c.offered};
        EXPECT_EQ(highScoreSaveToDisk(&score), c.place) << "row " << &c - saves;
        EXPECT_EQ(readFile("highscore.dat"), c.after) << "row " << &c - saves;
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

TEST(Datafiles, OnlyFilesAreReadAndAllegroLoadsFromACopyNobodyCanChange)
{
    TempDir folder;
    fs::create_directory("folder.dat");
    EXPECT_EQ(datafileLoad("folder.dat", DAT_RLE_SPRITE), nullptr);

    // While Allegro reads the copy, it holds those bytes and nobody may change or remove it.
    std::string copy;
    const unsigned char bytes[] = {'v', 'o', 'k'};
    EXPECT_TRUE(platformWithSealedCopy(bytes, sizeof bytes, [&](const char *name) {
        copy = name;
        EXPECT_EQ(readFile(name), Bytes(bytes, bytes + sizeof bytes));
        std::error_code removed;
        EXPECT_FALSE(std::ofstream(name, std::ios::app).is_open() || fs::remove(name, removed));
    }));
    EXPECT_FALSE(copy.empty() || fs::exists(copy)) << copy;
}
