// scores.dat: the stored format, partial and damaged files, saving without loss, and what a
// careless or hostile system puts in the file's place (protected files, links, FIFOs).
#include "game_test_support.h"

#include "game/score_file.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;

// What a save may change about a file, and what it must not when it keeps it.
struct FileFacts {
    ino_t inode = 0;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;
    Bytes bytes;
    bool operator==(const FileFacts&) const = default;
};

void PrintTo(const FileFacts& facts, std::ostream* out) {
    *out << "inode " << facts.inode << ", mode " << std::oct << facts.mode << std::dec << ", owner "
         << facts.owner << ":" << facts.group << ", " << facts.bytes.size() << " bytes";
}

enum class ChildEnd { ReturnedTrue, ReturnedFalse, Stuck, Failed };
// A child's exit status when it could not get ready to run its body.
constexpr int ChildSetUpFailed = 3;

std::ostream& operator<<(std::ostream& out, ChildEnd end) {
    const char* const names[] = {"returned true", "returned false", "stuck, killed", "failed"};
    return out << names[static_cast<int>(end)];
}

// Ids of the unprivileged user that plays the non-root cases when the tests run as root.
struct UserIds {
    uid_t uid;
    gid_t gid;
};

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

    static void WriteFile(const Bytes& bytes, const char* path = ScoreFileName) {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    static Bytes ReadFile(const char* path = ScoreFileName) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    static Names Entries(const fs::path& folder) {
        Names names;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    static FileFacts FactsOf(const char* path) {
        struct stat info {};
        EXPECT_EQ(lstat(path, &info), 0) << path;
        return {info.st_ino, info.st_mode, info.st_uid, info.st_gid, ReadFile(path)};
    }
    // Who plays the non-root cases: this user, or "nobody" when the tests run as root.
    static bool FindUnprivilegedPlayer(UserIds& player) {
        if (geteuid() != 0) {
            player = {geteuid(), getegid()};
            return true;
        }
        const passwd* nobody = getpwnam("nobody");
        if (nobody == nullptr) {
            return false;
        }
        player = {nobody->pw_uid, nobody->pw_gid};
        return true;
    }
    // Runs `body` in a child process, as `player` when given, and waits for it with a
    // generous deadline, so that a call that blocks fails the test instead of hanging it.
    static ChildEnd RunInChild(const std::function<bool()>& body, const UserIds* player = nullptr) {
        pid_t child = fork();
        if (child == 0) {
            if (player != nullptr && geteuid() != player->uid &&
                (setgroups(0, nullptr) != 0 || setgid(player->gid) != 0 ||
                 setuid(player->uid) != 0)) {
                _exit(ChildSetUpFailed);
            }
            // The sanitizers read /proc/self, which a changed user may not otherwise.
            prctl(PR_SET_DUMPABLE, 1);
            _exit(body() ? 0 : 1);
        }
        if (child < 0) {
            return ChildEnd::Failed;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        int status = 0;
        while (waitpid(child, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(child, SIGKILL);
                waitpid(child, &status, 0);
                return ChildEnd::Stuck;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) {
            return ChildEnd::Failed;
        }
        return WEXITSTATUS(status) == 0 ? ChildEnd::ReturnedTrue : ChildEnd::ReturnedFalse;
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

// A rename ignores the permissions of the file it replaces; the save must not.
TEST_F(ScoreFileTest, ProtectedTableIsKeptWhoeverPlays) {
    InsertHighscore(60.0f, "KEPT");
    ASSERT_TRUE(SaveHighscores());
    // Read-only by its owner's choice: kept even for an administrator, who could write it.
    ASSERT_EQ(chmod(ScoreFileName, 0444), 0);
    const FileFacts readOnly = FactsOf(ScoreFileName);
    InsertHighscore(70.0f, "LOST");
    EXPECT_FALSE(SaveHighscores());
    EXPECT_EQ(FactsOf(ScoreFileName), readOnly);
    EXPECT_EQ(Entries("."), Names{ScoreFileName}) << "no temporary file left behind";

    // Mode 000 in a player's own folder: the player may not write it, so it stays.
    UserIds player{};
    if (!FindUnprivilegedPlayer(player)) {
        GTEST_SKIP() << "no unprivileged user (\"nobody\") to play the non-root case";
    }
    fs::permissions(".", fs::perms(0755)); // reachable for the player whatever the umask
    fs::create_directory("home");
    ASSERT_EQ(chown("home", player.uid, player.gid), 0);
    const char* inHome = "home/scores.dat";
    WriteFile(ReadFile(), inHome);
    ASSERT_EQ(chown(inHome, player.uid, player.gid), 0);
    ASSERT_EQ(chmod(inHome, 0000), 0);
    const FileFacts noAccess = FactsOf(inHome);
    auto save = [] {
        if (chdir("home") != 0) {
            _exit(ChildSetUpFailed);
        }
        return SaveHighscores();
    };
    EXPECT_EQ(RunInChild(save, &player), ChildEnd::ReturnedFalse)
        << "(failed: the player could not take on the user or reach " << dir << ")";
    EXPECT_EQ(FactsOf(inHome), noAccess);
    EXPECT_EQ(Entries("home"), Names{ScoreFileName});
}

TEST_F(ScoreFileTest, ReplacedTableKeepsItsModeAndOwner) {
    const mode_t mask = umask(022);
    umask(mask);
    ASSERT_TRUE(SaveHighscores());
    EXPECT_EQ(FactsOf(ScoreFileName).mode & 07777, 0666 & ~mask) << "a new file's usual mode";

    // An unusual mode that no umask gives, and (when the tests may) another user's file.
    UserIds player{geteuid(), getegid()};
    FindUnprivilegedPlayer(player);
    ASSERT_EQ(chown(ScoreFileName, player.uid, player.gid), 0);
    ASSERT_EQ(chmod(ScoreFileName, 0604), 0);
    const FileFacts old = FactsOf(ScoreFileName);
    InsertHighscore(80.0f, "NEW ROW");
    ASSERT_TRUE(SaveHighscores());
    const FileFacts saved = FactsOf(ScoreFileName);
    EXPECT_EQ(saved.mode, old.mode);
    EXPECT_EQ(saved.owner, old.owner);
    EXPECT_EQ(saved.group, old.group);
    EXPECT_NE(saved.bytes, old.bytes);
}

TEST_F(ScoreFileTest, PlantedTemporaryLinksAreNeverFollowed) {
    fs::create_directory("elsewhere");
    const Bytes precious = {'m', 'i', 'n', 'e'};
    WriteFile(precious, "elsewhere/victim");
    fs::create_symlink("elsewhere/victim", "scores.dat.tmp");
    InsertHighscore(90.0f, "LINKED");
    ASSERT_TRUE(SaveHighscores());
    EXPECT_EQ(ReadFile("elsewhere/victim"), precious);
    EXPECT_EQ(fs::symlink_status(ScoreFileName).type(), fs::file_type::regular);
    EXPECT_EQ(ReadFile().size(), ScoreImageSize);

    // A dangling link must not make its target come into being.
    fs::remove("scores.dat.tmp");
    fs::create_symlink("elsewhere/created", "scores.dat.tmp");
    ASSERT_TRUE(SaveHighscores());
    EXPECT_FALSE(fs::exists("elsewhere/created"));
    EXPECT_EQ(Entries("."), (Names{"elsewhere", ScoreFileName, "scores.dat.tmp"}));
    EXPECT_EQ(Entries("elsewhere"), Names{"victim"});
}

TEST_F(ScoreFileTest, LeftoverTemporaryFolderNeitherBlocksNorIsDeleted) {
    fs::create_directory("scores.dat.tmp");
    InsertHighscore(95.0f, "SAVED");
    ASSERT_TRUE(SaveHighscores());
    EXPECT_TRUE(fs::is_directory("scores.dat.tmp"));
    LoadHighscores();
    EXPECT_STREQ(HighscoreTable[0].name, "SAVED");
}

TEST_F(ScoreFileTest, NonRegularFilesLoadAsMissingWithoutWaitingAndStay) {
    ASSERT_EQ(mkfifo(ScoreFileName, 0644), 0);
    auto load = [] {
        HighscoreTable[0].length = 99.0f;
        LoadHighscores();
        return HasDefaultTable();
    };
    EXPECT_EQ(RunInChild(load), ChildEnd::ReturnedTrue) << "a FIFO loads as missing, at once";
    EXPECT_FALSE(SaveHighscores());
    EXPECT_TRUE(fs::is_fifo(ScoreFileName)) << "the save leaves it alone";

    // A link to a device reads as missing too, and the link stays.
    fs::remove(ScoreFileName);
    fs::create_symlink("/dev/zero", ScoreFileName);
    LoadHighscores();
    EXPECT_TRUE(HasDefaultTable());
    EXPECT_FALSE(SaveHighscores());
    EXPECT_TRUE(fs::is_symlink(ScoreFileName));
    EXPECT_EQ(Entries("."), Names{ScoreFileName});
}

// A table shared from elsewhere through a link stays shared: read and replaced through it.
TEST_F(ScoreFileTest, LinkedTableIsSavedThroughTheLink) {
    fs::create_directory("shared");
    InsertHighscore(40.0f, "FROM THE SHARE");
    ASSERT_TRUE(SaveHighscores());
    fs::rename(ScoreFileName, "shared/table.dat");
    fs::create_symlink("shared/table.dat", ScoreFileName);
    LoadHighscores();
    EXPECT_STREQ(HighscoreTable[0].name, "FROM THE SHARE");
    InsertHighscore(45.0f, "SAVED THROUGH");
    ASSERT_TRUE(SaveHighscores());
    ASSERT_TRUE(fs::is_symlink(ScoreFileName)) << "the link was replaced by a file";
    EXPECT_EQ(fs::read_symlink(ScoreFileName), "shared/table.dat");
    EXPECT_EQ(ReadFile("shared/table.dat"), ReadFile());
    LoadHighscores();
    EXPECT_STREQ(HighscoreTable[0].name, "SAVED THROUGH");
    EXPECT_EQ(Entries("shared"), Names{"table.dat"});

    // A link to nowhere is left alone; the save makes nothing at its end.
    fs::remove(ScoreFileName);
    fs::create_symlink("shared/gone.dat", ScoreFileName);
    EXPECT_FALSE(SaveHighscores());
    ASSERT_TRUE(fs::is_symlink(ScoreFileName));
    EXPECT_EQ(fs::read_symlink(ScoreFileName), "shared/gone.dat");
    EXPECT_EQ(Entries("shared"), Names{"table.dat"});
    EXPECT_EQ(Entries("."), (Names{ScoreFileName, "shared"}));
}

} // namespace
