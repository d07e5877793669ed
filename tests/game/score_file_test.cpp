// scores.dat: the stored format, partial and damaged files, and saving without loss.
#include "game_test_support.h"

#include "game/score_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

class ScoreFileTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        previous = fs::current_path();
        dir = fs::temp_directory_path() /
              ("kf_scores_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(previous);
        fs::remove_all(dir);
    }

    static void WriteFile(const Bytes& bytes) {
        std::ofstream out(ScoreFileName, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    static Bytes ReadFile() {
        std::ifstream in(ScoreFileName, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static Bytes Image() {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(HighscoreTable);
        return Bytes(p, p + ScoreImageSize);
    }
    static void ExpectDefaultRow(int row) {
        EXPECT_FLOAT_EQ(HighscoreTable[row].length, 11.0f - row) << "row " << row;
        EXPECT_STREQ(HighscoreTable[row].name, "QUARZMOLCH") << "row " << row;
    }

    fs::path previous;
    fs::path dir;
};

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
    EXPECT_FALSE(fs::exists("scores.dat.tmp"));
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

TEST_F(ScoreFileTest, FailedSaveKeepsTheOldFile) {
    ASSERT_TRUE(SaveHighscores());
    Bytes before = ReadFile();
    // A directory where the temporary file would go makes the save fail early.
    fs::create_directory("scores.dat.tmp");
    InsertHighscore(77.0f, "LOST");
    EXPECT_FALSE(SaveHighscores());
    EXPECT_EQ(ReadFile(), before);
    fs::remove("scores.dat.tmp");
    EXPECT_TRUE(SaveHighscores());
    EXPECT_NE(ReadFile(), before);
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

} // namespace
