// The table in the browser: the working folder is Emscripten's IndexedDB file system, loaded
// before the game starts and written through after every save, so that a reload or a later
// visit finds scores.dat as the game left it. Where the browser refuses its storage (a private
// window, no quota) the game plays on and the page says once that the table will not be kept.
#include "platform/shell.h"
#include "platform/web/web_shell.h"

#include <emscripten/emscripten.h>

namespace {

constexpr const char* RefusedNotice =
    "This browser does not let the page keep data: the highscore table will not be kept.";

// clang-format off
// Kesselfass.storage: "loading", "ready" or "refused". A refusal while loading or later while
// writing shows the notice, once.
EM_JS(void, JsStartStorage, (const char* notice), {
    const noticeText = UTF8ToString(notice);
    const refuse = function(error) {
        if (Module.kesselfassStorage !== "refused") {
            console.warn("storage refused:", error);
            Module.kesselfassStorage = "refused";
            KesselfassPage.showNotice(noticeText);
        }
    };
    Module.kesselfassRefuseStorage = refuse;
    Module.kesselfassStorage = "loading";
    // A database that another tab holds open can keep the load waiting for good; the game
    // does not wait longer than this for its table.
    setTimeout(function() {
        if (Module.kesselfassStorage === "loading") {
            refuse("no answer from the browser's storage");
        }
    }, 10000);
    try {
        FS.mkdir("/kesselfass");
        FS.mount(IDBFS, {}, "/kesselfass");
        FS.chdir("/kesselfass");
        FS.syncfs(true, function(error) {
            if (error) {
                refuse(error);
            } else if (Module.kesselfassStorage === "loading") {
                Module.kesselfassStorage = "ready";
            }
        });
    } catch (error) {
        refuse(error);
    }
});
EM_JS(int, JsStorageSettled, (), { return Module.kesselfassStorage !== "loading" ? 1 : 0; });
EM_JS(void, JsPersistStorage, (), {
    if (Module.kesselfassStorage !== "ready") {
        return;
    }
    Module.kesselfassWrites = (Module.kesselfassWrites || 0) + 1;
    FS.syncfs(false, function(error) {
        if (error) {
            Module.kesselfassRefuseStorage(error);
        }
        Module.kesselfassWritten = (Module.kesselfassWritten || 0) + 1;
    });
});
// clang-format on

} // namespace

void StartStorage() {
    JsStartStorage(RefusedNotice);
}

bool StorageSettled() {
    return JsStorageSettled() != 0;
}

// A page may be closed or reloaded at any moment, with no time left to save at the end.
bool ShellSavesTableOnChange() {
    return true;
}

void ShellTableSaved() {
    JsPersistStorage();
}
