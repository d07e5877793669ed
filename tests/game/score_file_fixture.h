// The score-file tests' fixture: each test in a fresh folder of its own as the working
// directory, with helpers to write, read and list files and to look at the table.
#pragma once

#include "game_test_support.h"

#include "game/score_file.h"
#include "tests/support/file_bytes.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using Names = std::vector<std::string>;

class ScoreFileTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        previous = std::filesystem::current_path();
        const testing::UnitTest& run = *testing::UnitTest::GetInstance();
        dir = std::filesystem::temp_directory_path() /
              ("kf_scores_" + std::to_string(run.random_seed()) + "_" +
               run.current_test_info()->test_suite_name() + "_" + run.current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        std::filesystem::current_path(dir);
    }
    void TearDown() override {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(dir);
    }

    static void WriteFile(const Bytes& bytes, const char* path = ScoreFileName) {
        ASSERT_TRUE(WriteFileBytes(path, bytes)) << path;
    }
    static Bytes ReadFile(const char* path = ScoreFileName) { return ReadFileBytes(path); }
    // The names in a folder, sorted.
    static Names Entries(const std::filesystem::path& folder) {
        Names names;
        for (const std::filesystem::directory_entry& entry :
             std::filesystem::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static Bytes Image() {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(HighscoreTable);
        return Bytes(p, p + ScoreImageSize);
    }
    static bool HasDefaultTable() {
        for (int row = 0; row < HighscoreRows; ++row) {
            if (HighscoreTable[row].length != 11.0f - static_cast<float>(row) ||
                std::strcmp(HighscoreTable[row].name, "QUARZMOLCH") != 0) {
                return false;
            }
        }
        return true;
    }
    static void ExpectDefaultRow(int row) {
        EXPECT_FLOAT_EQ(HighscoreTable[row].length, 11.0f - row) << "row " << row;
        EXPECT_STREQ(HighscoreTable[row].name, "QUARZMOLCH") << "row " << row;
    }

    std::filesystem::path previous;
    std::filesystem::path dir;
};
