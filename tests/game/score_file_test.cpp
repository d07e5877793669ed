// scores.dat: the stored format, partial and damaged files, and saving without loss, also
// where a protected table or a leftover folder is in the way.
#include "score_file_fixture.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>

namespace fs = std::filesystem;

namespace {

TEST_F(ScoreFileTest, MissingEmptyOrDirectoryKeepsTheDefaults) {
    HighscoreTable[3].length = 99.0f;
    LoadHighscores();
    for (int row = 0; row < HighscoreRows; ++row) {
        ExpectDefaultRow(row);
    }
    WriteFile({});
    LoadHighscores();
    ExpectDefaultRow(0);
    fs::remove(ScoreFileName);
    fs::create_directory(ScoreFileName);
    LoadHighscores();
    ExpectDefaultRow(0);
    EXPECT_FALSE(SaveHighscores()) << "a directory in the way cannot be replaced";
    EXPECT_TRUE(fs::is_directory(ScoreFileName));
    EXPECT_EQ(Entries("."), Names{ScoreFileName}) << "no temporary file left behind";
}

TEST_F(ScoreFileTest, SavedFileIsTheImageWithLineFeedsExpanded) {
    InsertHighscore(50.0f, "SAUSAGE KING");
    ASSERT_TRUE(SaveHighscores());
    Bytes stored = ReadFile();
    Bytes image = Image();
    // 11.0f, 10.0f, ... contain no 0x0A; the new row's bytes neither.
    ASSERT_EQ(stored.size(), ScoreImageSize);
    EXPECT_EQ(std::memcmp(stored.data(), image.data(), 4 + 13), 0);
    // Name bytes after the terminator are written as zeros.
    EXPECT_EQ(stored[4 + 12], 0);
    EXPECT_EQ(stored[35], 0);
}

TEST_F(ScoreFileTest, LineFeedAndSubstituteBytesRoundTrip) {
    float withLineFeed;
    const uint8_t lf[4] = {0x0A, 0x0A, 0x20, 0x41};
    std::memcpy(&withLineFeed, lf, 4);
    float withSubstitute;
    const uint8_t sub[4] = {0x1A, 0x0D, 0x00, 0x41};
    std::memcpy(&withSubstitute, sub, 4);
    HighscoreTable[0].length = withLineFeed;
    HighscoreTable[1].length = withSubstitute;
    std::strcpy(HighscoreTable[9].name, "LAST ROW NAME"); // no leftover bytes
    Bytes image = Image();
    ASSERT_TRUE(SaveHighscores());
    Bytes stored = ReadFile();
    EXPECT_EQ(stored.size(), ScoreImageSize + 2) << "one extra byte per 0x0A";
    EXPECT_EQ(stored[0], 0x0D);
    EXPECT_EQ(stored[1], 0x0A);
    SetDefaultHighscores();
    LoadHighscores();
    EXPECT_EQ(Image(), image) << "rows after 0x1A and a lone 0x0D are not lost";
}

TEST_F(ScoreFileTest, ShortFileReplacesOnlyWhatItSupplies) {
    InsertHighscore(30.0f, "ZZZZZZZZZZZZZZZZZZZZZZZZ");
    InsertHighscore(40.0f, "YYY");
    InsertHighscore(35.0f, "XXXXXXXXXXXXXXXXXXXXXXXXXXXXXX");
    ASSERT_TRUE(SaveHighscores());
    Bytes stored = ReadFile();
    stored.resize(100);
    WriteFile(stored);
    LoadHighscores();
    EXPECT_FLOAT_EQ(HighscoreTable[0].length, 40.0f);
    EXPECT_FLOAT_EQ(HighscoreTable[1].length, 35.0f);
    EXPECT_FLOAT_EQ(HighscoreTable[2].length, 30.0f);
    // Row 2's first 28 bytes come from the file: length and 24 name characters; the rest
    // of its name is the default's (a terminator after "QUARZMOLCH").
    EXPECT_STREQ(HighscoreTable[2].name, "ZZZZZZZZZZZZZZZZZZZZZZZZ");
    ExpectDefaultRow(3);
    ExpectDefaultRow(9);
}

TEST_F(ScoreFileTest, LongFileIgnoresTheRest) {
    Bytes bytes(500, 0x41);
    WriteFile(bytes);
    LoadHighscores();
    for (int row = 0; row < HighscoreRows; ++row) {
        EXPECT_EQ(std::strlen(HighscoreTable[row].name), 31u) << "unterminated name cut";
    }
}

TEST_F(ScoreFileTest, NonFiniteLengthsLoadAsZero) {
    Bytes image = Image();
    float nan = std::numeric_limits<float>::quiet_NaN();
    float inf = std::numeric_limits<float>::infinity();
    std::memcpy(&image[0], &nan, 4);
    std::memcpy(&image[36 * 9], &inf, 4);
    WriteFile(image);
    LoadHighscores();
    EXPECT_EQ(HighscoreTable[0].length, 0.0f);
    EXPECT_EQ(HighscoreTable[9].length, 0.0f);
    EXPECT_TRUE(0.5f > HighscoreTable[9].length) << "the table still accepts new entries";
}

TEST_F(ScoreFileTest, SavedTableAlwaysHasTenRows) {
    WriteFile(Bytes(36, 0x00));
    LoadHighscores();
    ASSERT_TRUE(SaveHighscores());
    EXPECT_EQ(ReadFile().size(), ScoreImageSize);
    LoadHighscores();
    EXPECT_EQ(HighscoreTable[0].length, 0.0f);
    EXPECT_STREQ(HighscoreTable[0].name, "");
    ExpectDefaultRow(1);
}

// A rename ignores the permissions of the file it replaces; the save must not. A table its
// owner made read-only is kept, even by an administrator, who could write it.
TEST_F(ScoreFileTest, ReadOnlyTableIsKept) {
    InsertHighscore(60.0f, "KEPT");
    ASSERT_TRUE(SaveHighscores());
    const Bytes kept = ReadFile();
    const fs::perms readOnly =
        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(ScoreFileName, readOnly);
    InsertHighscore(70.0f, "LOST");
    EXPECT_FALSE(SaveHighscores());
    EXPECT_EQ(ReadFile(), kept);
    EXPECT_EQ(fs::status(ScoreFileName).permissions() & fs::perms::all, readOnly);
    EXPECT_EQ(Entries("."), Names{ScoreFileName}) << "no temporary file left behind";
    // Writable again, the table takes the new row.
    fs::permissions(ScoreFileName, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(SaveHighscores());
    LoadHighscores();
    EXPECT_STREQ(HighscoreTable[0].name, "LOST");
}

TEST_F(ScoreFileTest, LeftoverTemporaryFolderNeitherBlocksNorIsDeleted) {
    fs::create_directory("scores.dat.tmp");
    InsertHighscore(95.0f, "SAVED");
    ASSERT_TRUE(SaveHighscores());
    EXPECT_TRUE(fs::is_directory("scores.dat.tmp"));
    LoadHighscores();
    EXPECT_STREQ(HighscoreTable[0].name, "SAVED");
}

// Windows spells a folder name that its ANSI code page cannot (Cyrillic on a Western system)
// as "?" in a narrow string. The table there must take every save, not only the first.
TEST_F(ScoreFileTest, SavesLandInAFolderNamedOutsideTheAnsiCodePage) {
    const fs::path folder(u8"Игры");
    fs::create_directory(folder);
    fs::current_path(folder);
    const char* const names[] = {"FIRST", "SECOND", "THIRD"};
    for (int save = 0; save < 3; ++save) {
        InsertHighscore(100.0f + 10.0f * static_cast<float>(save), names[save]);
        ASSERT_TRUE(SaveHighscores()) << "save " << save + 1;
        SetDefaultHighscores();
        LoadHighscores();
        EXPECT_STREQ(HighscoreTable[0].name, names[save]) << "save " << save + 1;
        EXPECT_EQ(ReadFile().size(), ScoreImageSize);
    }
    EXPECT_STREQ(HighscoreTable[2].name, "FIRST");
    EXPECT_EQ(Entries("."), Names{ScoreFileName}) << "no temporary file left behind";
}

} // namespace
