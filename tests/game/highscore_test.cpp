// The player list and the top-ten table's insertion rule.
#include "game_test_support.h"

#include <string>

namespace {

class HighscoreTest : public GameTest {};

TEST_F(HighscoreTest, StartUpPlayerAndDefaults) {
    ASSERT_EQ(PlayerCount, 1);
    EXPECT_FLOAT_EQ(Player().yaw, 10.0f);
    EXPECT_FLOAT_EQ(Player().pitch, 20.0f);
    EXPECT_FLOAT_EQ(Player().length, 0.0f);
    EXPECT_FALSE(Player().inGame);
    EXPECT_STREQ(Player().name, "VOV1ER0U");
    for (int row = 0; row < HighscoreRows; ++row) {
        EXPECT_FLOAT_EQ(HighscoreTable[row].length, 11.0f - row);
        EXPECT_STREQ(HighscoreTable[row].name, "QUARZMOLCH");
    }
}

TEST_F(HighscoreTest, AddPlayerCutsLongNamesAndKeepsEarlierRecords) {
    AddPlayer(std::string(40, 'N').c_str());
    ASSERT_EQ(PlayerCount, 2);
    EXPECT_EQ(std::string(Players[1].name), std::string(31, 'N'));
    EXPECT_STREQ(Players[0].name, "VOV1ER0U");
}

TEST_F(HighscoreTest, BestLengthShiftsEveryRowDown) {
    InsertHighscore(11.5f, "TOP");
    EXPECT_FLOAT_EQ(HighscoreTable[0].length, 11.5f);
    EXPECT_STREQ(HighscoreTable[0].name, "TOP");
    for (int row = 1; row < HighscoreRows; ++row) {
        EXPECT_FLOAT_EQ(HighscoreTable[row].length, 12.0f - row);
        EXPECT_STREQ(HighscoreTable[row].name, "QUARZMOLCH");
    }
}

TEST_F(HighscoreTest, EqualLengthGoesBelowTheRowItTies) {
    InsertHighscore(7.0f, "TIE");
    EXPECT_STREQ(HighscoreTable[4].name, "QUARZMOLCH");
    EXPECT_FLOAT_EQ(HighscoreTable[4].length, 7.0f);
    EXPECT_STREQ(HighscoreTable[5].name, "TIE");
    EXPECT_FLOAT_EQ(HighscoreTable[6].length, 6.0f);
    EXPECT_FLOAT_EQ(HighscoreTable[9].length, 3.0f);
}

TEST_F(HighscoreTest, BeatingOnlyRowNineReplacesIt) {
    InsertHighscore(2.5f, "LAST");
    EXPECT_FLOAT_EQ(HighscoreTable[8].length, 3.0f);
    EXPECT_STREQ(HighscoreTable[9].name, "LAST");
    EXPECT_FLOAT_EQ(HighscoreTable[9].length, 2.5f);
}

TEST_F(HighscoreTest, MovedRowsCarryTheirNamesWithoutLeftovers) {
    InsertHighscore(10.5f, "A");
    InsertHighscore(10.7f, "LONGER NAME");
    InsertHighscore(10.6f, "B");
    EXPECT_STREQ(HighscoreTable[1].name, "LONGER NAME");
    EXPECT_STREQ(HighscoreTable[2].name, "B");
    EXPECT_STREQ(HighscoreTable[3].name, "A");
}

} // namespace
