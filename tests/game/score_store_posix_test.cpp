// The score store on POSIX systems under a careless or hostile system: files the player may
// not write, modes and owners kept, links planted or shared, FIFOs and devices in the way, a
// write that fails.
#include "score_file_fixture.h"

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <ostream>
#include <thread>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

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

class ScoreStoreTest : public ScoreFileTest {
  protected:
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
};

// Mode 000 in a player's own folder: the player (not root) may not write it, and a rename
// would replace it all the same. The save keeps it.
TEST_F(ScoreStoreTest, TableThePlayerMayNotWriteIsKept) {
    UserIds player{};
    if (!FindUnprivilegedPlayer(player)) {
        GTEST_SKIP() << "no unprivileged user (\"nobody\") to play the non-root case";
    }
    fs::permissions(".", fs::perms(0755)); // reachable for the player whatever the umask
    fs::create_directory("home");
    ASSERT_EQ(chown("home", player.uid, player.gid), 0);
    const char* inHome = "home/scores.dat";
    WriteFile(Image(), inHome);
    ASSERT_EQ(chown(inHome, player.uid, player.gid), 0);
    ASSERT_EQ(chmod(inHome, 0000), 0);
    const FileFacts noAccess = FactsOf(inHome);
    InsertHighscore(70.0f, "LOST");
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

TEST_F(ScoreStoreTest, ReplacedTableKeepsItsModeAndOwner) {
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

TEST_F(ScoreStoreTest, PlantedTemporaryLinksAreNeverFollowed) {
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

TEST_F(ScoreStoreTest, NonRegularFilesLoadAsMissingWithoutWaitingAndStay) {
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

// A save whose data cannot all be written (here: a file size limit, as a full disk would)
// keeps the old table and leaves no temporary file, unnamed or named.
TEST_F(ScoreStoreTest, SaveThatCannotWriteKeepsTheTableAndLeavesNothing) {
    InsertHighscore(60.0f, "KEPT");
    ASSERT_TRUE(SaveHighscores());
    const FileFacts kept = FactsOf(ScoreFileName);
    InsertHighscore(70.0f, "LOST");
    auto saveWithinLimit = [] {
        const rlimit limit{100, 100};
        if (signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            _exit(ChildSetUpFailed);
        }
        return SaveHighscores();
    };
    EXPECT_EQ(RunInChild(saveWithinLimit), ChildEnd::ReturnedFalse);
    EXPECT_EQ(FactsOf(ScoreFileName), kept);
    EXPECT_EQ(Entries("."), Names{ScoreFileName});
}

// A table shared from elsewhere through a link stays shared: read and replaced through it.
TEST_F(ScoreStoreTest, LinkedTableIsSavedThroughTheLink) {
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
