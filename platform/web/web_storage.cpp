// The table in the browser: the working folder holds scores.dat in memory, loaded from the
// page's own IndexedDB database before the game starts and written through after every save
// (page_storage.js), so that a reload or a later visit finds it as the game left it. Where the
// browser refuses its storage or a write (a private window, no quota, storage evicted) the
// game plays on and the page says once that the table will not be kept. A table another tab
// stored is taken as this tab's own, and a scores.dat can leave and enter the page.
#include "game/game_state.h"
#include "game/score_file.h"
#include "platform/shell.h"
#include "platform/web/web_shell.h"

#include <emscripten/emscripten.h>

#include <cstring>

namespace {

constexpr const char* RefusedNotice =
    "This browser does not let the page keep data: the highscore table will not be kept.";

// A scores.dat as the game writes it takes at most 720 bytes (every byte a 0x0A).
constexpr size_t TableFileMaxBytes = 2 * ScoreImageSize;

uint8_t TableImage[TableFileMaxBytes];
uint8_t TableFile[TableFileMaxBytes];

// clang-format off
EM_JS(void, JsStartStorage, (const char* notice), {
    KesselfassStorage.start(UTF8ToString(notice));
});
EM_JS(int, JsStorageSettled, (), { return KesselfassStorage.settled() ? 1 : 0; });
EM_JS(void, JsPersistStorage, (), { KesselfassStorage.persist(); });
EM_JS(int, JsTakeStoredChange, (), { return KesselfassStorage.takeStoredChange() ? 1 : 0; });
EM_JS(void, JsShowTableButtons, (), { KesselfassStorage.showButtons(); });
// clang-format on

} // namespace

// The page's download and load buttons (page_storage.js) reach the table through these.
extern "C" {

EMSCRIPTEN_KEEPALIVE int KfTableImage() {
    return static_cast<int>(ScoreFileImage(TableImage, sizeof TableImage));
}

EMSCRIPTEN_KEEPALIVE uint8_t* KfTableImageBytes() {
    return TableImage;
}

EMSCRIPTEN_KEEPALIVE uint8_t* KfTableFileBuffer() {
    return TableFile;
}

// Merges the `size` bytes the page put into the file buffer; 0 for a damaged file, which
// changes nothing. The next pass saves the merged table.
EMSCRIPTEN_KEEPALIVE int KfMergeTableFile(int size) {
    if (size < 0 || static_cast<size_t>(size) > sizeof TableFile) {
        return 0;
    }
    return MergeScoreFileBytes(TableFile, static_cast<size_t>(size)) ? 1 : 0;
}

} // extern "C"

void StartStorage() {
    JsStartStorage(RefusedNotice);
}

bool StorageSettled() {
    if (JsStorageSettled() == 0) {
        return false;
    }
    JsShowTableButtons();
    return true;
}

// A page may be closed or reloaded at any moment, with no time left to save at the end.
bool ShellSavesTableOnChange() {
    return true;
}

void ShellTableSaved() {
    JsPersistStorage();
}

// Another tab stored its table (its save reached this one at once), or this tab is shown
// again: the stored table, which holds this tab's rows or rows that beat them, is loaded.
bool ShellTableStoredElsewhere() {
    return JsTakeStoredChange() != 0;
}
