// Two copies of the game (two windows, two browser tabs) on one scores.dat: whoever saves last
// keeps the other's rows; a table brought in from elsewhere merges the same way.
#include "score_file_fixture.h"

#include "game/score_merge.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

namespace {

class ScoreMergeTest : public ScoreFileTest {
  protected:
    // The file another copy of the game writes: the defaults with `rows` inserted.
    static Bytes OtherCopysFile(std::initializer_list<std::pair<float, const char*>> rows) {
        HighscoreEntry mine[HighscoreRows];
        std::memcpy(mine, HighscoreTable, sizeof mine);
        SetDefaultHighscores();
        for (const auto& [length, name] : rows) {
            InsertHighscore(length, name);
        }
        Bytes bytes(2 * ScoreImageSize);
        bytes.resize(ScoreFileImage(bytes.data(), bytes.size()));
        std::memcpy(HighscoreTable, mine, sizeof mine);
        return bytes;
    }
    static void ExpectRows(std::initializer_list<std::pair<float, const char*>> rows) {
        int row = 0;
        for (const auto& [length, name] : rows) {
            EXPECT_EQ(HighscoreTable[row].length, length) << "row " << row;
            EXPECT_STREQ(HighscoreTable[row].name, name) << "row " << row;
            ++row;
        }
    }
};

TEST_F(ScoreMergeTest, RowsAnotherCopySavedSurviveThisCopysSave) {
    WriteFile(OtherCopysFile({{30.0f, "LOADED"}}));
    LoadHighscores();
    // Meanwhile the other copy finished a game and saved.
    WriteFile(OtherCopysFile({{30.0f, "LOADED"}, {20.0f, "OTHER"}}));
    InsertHighscore(25.0f, "MINE");
    InsertHighscore(25.0f, "MINE"); // two games of one length: both rows are this copy's
    ASSERT_TRUE(SaveHighscores());
    ExpectRows({{30.0f, "LOADED"},
                {25.0f, "MINE"},
                {25.0f, "MINE"},
                {20.0f, "OTHER"},
                {11.0f, "QUARZMOLCH"}});
    HighscoreEntry memory[HighscoreRows];
    std::memcpy(memory, HighscoreTable, sizeof memory);
    LoadHighscores();
    EXPECT_TRUE(SameHighscoreTable(HighscoreTable, memory)) << "the one in memory was saved";

    // A copy that merges too: its save on top keeps ours, and ours on top keeps its row.
    WriteFile(OtherCopysFile(
        {{40.0f, "THIRD"}, {30.0f, "LOADED"}, {25.0f, "MINE"}, {25.0f, "MINE"}, {20.0f, "OTHER"}}));
    ASSERT_TRUE(SaveHighscores());
    ExpectRows({{40.0f, "THIRD"},
                {30.0f, "LOADED"},
                {25.0f, "MINE"},
                {25.0f, "MINE"},
                {20.0f, "OTHER"},
                {11.0f, "QUARZMOLCH"}});
}

TEST_F(ScoreMergeTest, UnchangedOrVanishedFileSavesThisCopysTableAsItIs) {
    // A table out of order (as a damaged file can leave it) is written back as it stands when
    // nobody else saved.
    Bytes image = Image();
    const float low = 1.0f;
    std::memcpy(&image[0], &low, 4);
    WriteFile(image);
    LoadHighscores();
    InsertHighscore(50.0f, "MINE");
    const Bytes mine = Image();
    ASSERT_TRUE(SaveHighscores());
    EXPECT_EQ(Image(), mine);
    // A file removed behind the game's back: this copy's rows are all that is left.
    std::filesystem::remove(ScoreFileName);
    InsertHighscore(60.0f, "AGAIN");
    HighscoreEntry again[HighscoreRows];
    std::memcpy(again, HighscoreTable, sizeof again);
    ASSERT_TRUE(SaveHighscores());
    LoadHighscores();
    EXPECT_TRUE(SameHighscoreTable(HighscoreTable, again));
}

TEST_F(ScoreMergeTest, ABroughtInTableMergesAndADamagedOneChangesNothing) {
    InsertHighscore(50.0f, "HERE");
    // 10.0f's bytes hold no 0x0A, but a row's length can: such a file is longer than 360.
    float withLineFeed;
    const uint8_t lf[4] = {0x0A, 0x00, 0x48, 0x42}; // about 50.0
    std::memcpy(&withLineFeed, lf, 4);
    Bytes brought = OtherCopysFile({{50.0f, "HERE"}, {withLineFeed, "THERE"}});
    ASSERT_EQ(brought.size(), ScoreImageSize + 1);
    ASSERT_TRUE(MergeScoreFileBytes(brought.data(), brought.size()));
    ExpectRows({{withLineFeed, "THERE"}, {50.0f, "HERE"}, {11.0f, "QUARZMOLCH"}});
    EXPECT_EQ(HighscoreTable[9].length, 4.0f) << "rows both tables hold are counted once";

    const Bytes before = Image();
    const Bytes whole = OtherCopysFile({{70.0f, "NEVER"}});
    auto refused = [&](Bytes bytes, const char* why) {
        EXPECT_FALSE(MergeScoreFileBytes(bytes.data(), bytes.size())) << why;
        EXPECT_EQ(Image(), before) << why;
    };
    refused(Bytes(whole.begin(), whole.end() - 1), "one byte short");
    Bytes longer = whole;
    longer.push_back(0);
    refused(longer, "a byte after the table");
    refused({}, "empty");
    Bytes unterminated = whole;
    std::memset(&unterminated[4], 'N', NameBufferSize);
    refused(unterminated, "a name without its end");
    auto withLength = [&](int row, float length) {
        Bytes bytes = whole;
        std::memcpy(&bytes[36 * row], &length, 4);
        return bytes;
    };
    refused(withLength(3, std::numeric_limits<float>::quiet_NaN()), "NaN");
    refused(withLength(9, -1.0f), "below zero");
    refused(withLength(5, 99.0f), "out of order");
}

} // namespace
