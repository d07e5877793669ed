// The score store on Windows' own file calls while another program holds the files, as a
// virus scanner or an indexer does with a file just written; and what counts as a link.
#include "score_file_fixture.h"

#include "platform/files/files_win32.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <iostream>
#include <system_error>
#include <thread>

#undef WINGDIAPI
#undef APIENTRY
#undef CALLBACK
#include <windows.h>

namespace fs = std::filesystem;

namespace {

// Another program's handle on a file, opened sharing nothing: no other handle can delete,
// rename or write the file while it is held.
class Holder {
  public:
    explicit Holder(const fs::path& path) {
        handle = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    ~Holder() { Release(); }
    bool Holds() const { return handle != INVALID_HANDLE_VALUE; }
    void Release() {
        if (Holds()) {
            CloseHandle(handle);
            handle = INVALID_HANDLE_VALUE;
        }
    }

  private:
    HANDLE handle = INVALID_HANDLE_VALUE;
};

// The save's temporary file, once one is there.
fs::path TemporaryFile() {
    std::error_code error;
    for (fs::directory_iterator it(".", error), end; !error && it != end; it.increment(error)) {
        if (it->path().filename().string().rfind("scores.dat.tmp-", 0) == 0) {
            return it->path();
        }
    }
    return {};
}

// FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS, newer than the cross compiler's headers.
constexpr uint32_t RecallOnDataAccess = 0x00400000;

using ScoreStoreWin32Test = ScoreFileTest;

// A scanner opens the temporary file as soon as the save has closed it, and lets it go a
// little later: the replace waits for it and goes through.
TEST_F(ScoreStoreWin32Test, TemporaryFileHeldByAScannerIsReplacedOnceLetGo) {
    InsertHighscore(50.0f, "OLD ROW");
    ASSERT_TRUE(SaveHighscores());
    InsertHighscore(60.0f, "NEW ROW");
    std::atomic<bool> held{false};
    std::atomic<bool> saved{false};
    std::thread scanner([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!saved && std::chrono::steady_clock::now() < deadline) {
            const fs::path temporary = TemporaryFile();
            if (temporary.empty()) {
                std::this_thread::yield();
                continue;
            }
            // The save holds it sharing nothing until it closes it.
            Holder holder(temporary);
            if (holder.Holds()) {
                held = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                return;
            }
        }
    });
    const bool result = SaveHighscores();
    saved = true;
    scanner.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(Entries("."), Names{ScoreFileName});
    LoadHighscores();
    EXPECT_STREQ(HighscoreTable[0].name, "NEW ROW");
    if (!held) {
        std::cout << "(the scanner never got hold of the temporary file)\n";
    }
}

// The table held open by another program all through the save: the save gives up, the old
// table stays whole, and the temporary file goes.
TEST_F(ScoreStoreWin32Test, TableHeldThroughTheSaveStaysWholeAndNothingIsLeft) {
    InsertHighscore(50.0f, "OLD ROW");
    ASSERT_TRUE(SaveHighscores());
    const Bytes old = ReadFile();
    InsertHighscore(60.0f, "NEW ROW");
    {
        Holder holder(ScoreFileName);
        ASSERT_TRUE(holder.Holds());
        EXPECT_FALSE(SaveHighscores());
    }
    EXPECT_EQ(Entries("."), Names{ScoreFileName});
    EXPECT_EQ(ReadFile(), old);

    // Let go while the save waits: the new row is saved.
    Holder holder(ScoreFileName);
    auto save = std::async(std::launch::async, [] { return SaveHighscores(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    holder.Release();
    EXPECT_TRUE(save.get());
    LoadHighscores();
    EXPECT_STREQ(HighscoreTable[0].name, "NEW ROW");
    EXPECT_EQ(Entries("."), Names{ScoreFileName});
}

// Wine makes no cloud placeholders: the attributes and reparse tags that Windows reports are
// given by hand.
TEST(PathKindWin32Test, CloudPlaceholdersAreFilesAndOnlyNameSurrogatesAreLinks) {
    constexpr uint32_t reparse = FILE_ATTRIBUTE_REPARSE_POINT;
    // A OneDrive file kept online only, and one kept on the device.
    EXPECT_EQ(
        KindOfEntry(reparse | FILE_ATTRIBUTE_OFFLINE | RecallOnDataAccess, IO_REPARSE_TAG_CLOUD_6),
        PathKind::RegularFile);
    EXPECT_EQ(KindOfEntry(reparse | FILE_ATTRIBUTE_ARCHIVE, IO_REPARSE_TAG_CLOUD),
              PathKind::RegularFile);
    EXPECT_EQ(KindOfEntry(reparse, IO_REPARSE_TAG_DEDUP), PathKind::RegularFile);
    EXPECT_EQ(KindOfEntry(reparse, IO_REPARSE_TAG_SYMLINK), PathKind::Link);
    EXPECT_EQ(KindOfEntry(reparse, IO_REPARSE_TAG_MOUNT_POINT), PathKind::Link);
    EXPECT_EQ(KindOfEntry(FILE_ATTRIBUTE_ARCHIVE, 0), PathKind::RegularFile);
    EXPECT_EQ(KindOfEntry(FILE_ATTRIBUTE_DIRECTORY | reparse, IO_REPARSE_TAG_CLOUD_6),
              PathKind::Other);
}

} // namespace
