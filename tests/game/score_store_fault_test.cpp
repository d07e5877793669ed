// The score store when the file system lets it down, on the in-memory file primitives of
// tests/support: a replace that another program holds up, one that keeps failing or breaks
// halfway, a write, sync or close that fails. The table is never lost and no temporary file
// is left where the old table still stands.
#include "game_test_support.h"

#include "game/score_file.h"
#include "tests/support/fake_file_calls.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

using FakeFiles::Call;
using FakeFiles::CallsOf;
using FakeFiles::FailNext;
using FakeFiles::Failure;
using Paths = std::vector<std::string>;

class ScoreStoreFaultTest : public GameTest {
  protected:
    void SetUp() override {
        GameTest::SetUp();
        FakeFiles::Reset();
        SetDefaultHighscores();
        InsertHighscore(50.0f, "OLD ROW");
        ASSERT_TRUE(SaveHighscores());
        oldBytes = FakeFiles::Files[ScoreFileName];
        InsertHighscore(60.0f, "NEW ROW");
    }
    void TearDown() override { FakeFiles::Reset(); }

    // The top row of what a start of the game would now load.
    static std::string LoadedTopRow() {
        LoadHighscores();
        return HighscoreTable[0].name;
    }
    // The one temporary file left, or "" where there is none or more than one.
    static std::string TemporaryLeft() {
        Paths temporaries;
        for (const std::string& path : FakeFiles::Paths()) {
            if (path.rfind(std::string(ScoreFileName) + ".tmp-", 0) == 0) {
                temporaries.push_back(path);
            }
        }
        return temporaries.size() == 1 ? temporaries[0] : "";
    }

    std::vector<uint8_t> oldBytes;
};

TEST_F(ScoreStoreFaultTest, ReplaceHeldUpForAMomentIsTriedAgain) {
    const int before = CallsOf(Call::PutInPlace);
    FailNext(Call::PutInPlace, 3, Failure::Busy);
    EXPECT_TRUE(SaveHighscores());
    EXPECT_EQ(CallsOf(Call::PutInPlace) - before, 4);
    EXPECT_EQ(FakeFiles::Paths(), Paths{ScoreFileName});
    EXPECT_EQ(LoadedTopRow(), "NEW ROW");
}

TEST_F(ScoreStoreFaultTest, ReplaceThatStaysHeldUpOrFailsKeepsTheOldTableAndNoTemporary) {
    int before = CallsOf(Call::PutInPlace);
    FailNext(Call::PutInPlace, 1000, Failure::Busy);
    EXPECT_FALSE(SaveHighscores());
    const int busyTries = CallsOf(Call::PutInPlace) - before;
    EXPECT_GT(busyTries, 2) << "a held file is tried again";
    EXPECT_LT(busyTries, 10) << "... for a short while";
    EXPECT_EQ(FakeFiles::Paths(), Paths{ScoreFileName});
    EXPECT_EQ(FakeFiles::Files[ScoreFileName], oldBytes);

    // A failure that is not the file being held is not tried again.
    before = CallsOf(Call::PutInPlace);
    FailNext(Call::PutInPlace, 1000, Failure::Failed);
    EXPECT_FALSE(SaveHighscores());
    EXPECT_EQ(CallsOf(Call::PutInPlace) - before, 1);
    EXPECT_EQ(FakeFiles::Paths(), Paths{ScoreFileName});
    EXPECT_EQ(LoadedTopRow(), "OLD ROW");
}

// The temporary file of a failed save is removed also when the removal is held up at first.
TEST_F(ScoreStoreFaultTest, FailedWriteSyncOrCloseLeavesOnlyTheOldTable) {
    for (const Call call : {Call::Write, Call::Sync, Call::Close}) {
        FailNext(call, 1);
        FailNext(Call::Remove, 2);
        EXPECT_FALSE(SaveHighscores()) << static_cast<int>(call);
        EXPECT_EQ(FakeFiles::Paths(), Paths{ScoreFileName}) << static_cast<int>(call);
        EXPECT_EQ(FakeFiles::Files[ScoreFileName], oldBytes) << static_cast<int>(call);
    }
    FailNext(Call::Create, 1);
    EXPECT_FALSE(SaveHighscores());
    EXPECT_EQ(FakeFiles::Paths(), Paths{ScoreFileName});
}

// Should a replace fail after the old file went, the new one takes its place; where even that
// fails, the temporary file is the one whole copy of the table, and it stays.
TEST_F(ScoreStoreFaultTest, ReplaceThatLosesTheOldFileNeverLosesTheNewOne) {
    FailNext(Call::PutInPlace, 1, Failure::LosesTheTarget);
    EXPECT_TRUE(SaveHighscores());
    EXPECT_EQ(FakeFiles::Paths(), Paths{ScoreFileName});
    EXPECT_EQ(LoadedTopRow(), "NEW ROW");

    InsertHighscore(70.0f, "ONLY COPY");
    // Every later try fails too: nothing may be removed now.
    FailNext(Call::PutInPlace, 1000, Failure::LosesTheTarget);
    const int removalsBefore = CallsOf(Call::Remove);
    EXPECT_FALSE(SaveHighscores());
    EXPECT_EQ(CallsOf(Call::Remove), removalsBefore) << "the only copy was to be removed";
    const std::string left = TemporaryLeft();
    ASSERT_NE(left, "") << "no temporary file left";
    EXPECT_EQ(FakeFiles::Paths(), Paths{left});
}

} // namespace
