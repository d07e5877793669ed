// The table in the browser's storage: scores.dat in the game's working folder (Emscripten's
// memory file system) mirrored in an IndexedDB database of the page's own. The stored file is
// loaded before the game starts; each save is written through in a transaction whose failure
// at any point (no space, storage evicted, an aborted transaction) shows the page's notice
// that the table will not be kept, while the game plays on. A write tells the page's other
// tabs, which take the stored file into their folder at once, so that their next save merges
// with it; a tab shown again reads the stored file anew. A write finds the stored file as this
// tab last knew it, or merges what another tab stored meanwhile before it writes. The game (web_storage.cpp) calls
// KesselfassStorage; the download and load buttons are here too.
"use strict";

var KesselfassStorage = (function () {
    var DATABASE = "kesselfass3d";
    var STORE = "files";
    var FOLDER = "/kesselfass";
    var TABLE = "scores.dat";
    // A database that another tab holds open can keep the load waiting for good; the game
    // does not wait longer than this for its table.
    var LOAD_TIMEOUT_MS = 10000;
    // A scores.dat as the game writes it is 360 bytes and one more for each 0x0A in it.
    var TABLE_FILE_MAX = 720;
    var DAMAGED = "This file is not a Kesselfass 3D highscore table (scores.dat): " +
                  "the table is unchanged.";

    var state = "loading"; // "loading", "ready" or "refused"
    var noticeText = "";
    var database = null;
    var channel = null;
    var storedChanged = false; // the stored table changed under the game: show it anew
    var writes = 0;
    var written = 0;
    // The stored file as this tab last read, wrote or heard of it (null: none stored).
    var lastKnown = null;

    function refuse(error) {
        if (state === "refused") {
            return;
        }
        console.warn("storage refused:", error);
        state = "refused";
        KesselfassPage.showNotice(noticeText);
    }

    function folderFile() {
        try {
            return Module.FS.readFile(FOLDER + "/" + TABLE);
        } catch (error) {
            return null;
        }
    }

    function sameBytes(a, b) {
        return a !== null && b !== null && a.length === b.length &&
               a.every(function (value, i) { return value === b[i]; });
    }

    // The stored file into the game's folder; true when that changed what the folder held.
    function takeIntoFolder(bytes) {
        if (!(bytes instanceof Uint8Array)) {
            return false;
        }
        lastKnown = bytes;
        if (sameBytes(bytes, folderFile())) {
            return false;
        }
        Module.FS.writeFile(FOLDER + "/" + TABLE, bytes);
        return true;
    }

    function openDatabase() {
        return new Promise(function (resolve, reject) {
            var request = indexedDB.open(DATABASE, 1);
            request.onupgradeneeded = function () { request.result.createObjectStore(STORE); };
            request.onsuccess = function () { resolve(request.result); };
            request.onerror = function () { reject(request.error); };
        });
    }

    function readStored() {
        return new Promise(function (resolve, reject) {
            var request = database.transaction(STORE, "readonly").objectStore(STORE).get(TABLE);
            request.onsuccess = function () {
                resolve(request.result instanceof Uint8Array ? request.result : null);
            };
            request.onerror = function () { reject(request.error); };
        });
    }

    // Writes `bytes` unless the stored file is another than this tab last knew: then it
    // settles with that file, unwritten. Settles with null once the write has committed; an
    // error or an abort (a full quota aborts the commit itself) rejects.
    function writeUnlessChanged(bytes) {
        return new Promise(function (resolve, reject) {
            var transaction = database.transaction(STORE, "readwrite");
            var store = transaction.objectStore(STORE);
            var found = null;
            transaction.oncomplete = function () { resolve(found); };
            transaction.onabort = function () {
                reject(transaction.error || new Error("the write was aborted"));
            };
            var request = store.get(TABLE);
            request.onsuccess = function () {
                var current = request.result instanceof Uint8Array ? request.result : null;
                if (current !== null && !sameBytes(current, lastKnown)) {
                    found = current;
                } else {
                    store.put(bytes, TABLE);
                }
            };
        });
    }

    // The game's table as the desktop's file would hold it.
    function tableImage() {
        var size = Module._KfTableImage();
        return Module.HEAPU8.slice(Module._KfTableImageBytes(),
                                   Module._KfTableImageBytes() + size);
    }

    // Rows another tab stored, whose message has not come yet, merged into the game's table,
    // which its next pass saves. Where they change nothing (or cannot be read), the game's
    // table is written as it is.
    function mergeStoredIntoGame(stored) {
        var before = tableImage();
        if (stored.length <= TABLE_FILE_MAX) {
            Module.HEAPU8.set(stored, Module._KfTableFileBuffer());
            Module._KfMergeTableFile(stored.length);
        }
        if (sameBytes(before, tableImage())) {
            persist();
        }
    }

    // Settles once the transaction has committed; an error or an abort (a full quota aborts
    // the commit itself) rejects.
    function writeStored(bytes) {
        return new Promise(function (resolve, reject) {
            var transaction = database.transaction(STORE, "readwrite");
            transaction.oncomplete = function () { resolve(); };
            transaction.onabort = function () {
                reject(transaction.error || new Error("the write was aborted"));
            };
            transaction.objectStore(STORE).put(bytes, TABLE);
        });
    }

    function askToPersist() {
        if (navigator.storage && navigator.storage.persist) {
            navigator.storage.persist().then(function (kept) {
                console.log("storage kept for good: " + kept);
            }, function () {});
        }
    }

    function listen() {
        if (typeof BroadcastChannel === "function") {
            channel = new BroadcastChannel(DATABASE);
            channel.onmessage = function (event) {
                if (state === "ready" && takeIntoFolder(event.data)) {
                    storedChanged = true;
                }
            };
        }
        document.addEventListener("visibilitychange", function () {
            if (document.visibilityState !== "visible" || state !== "ready") {
                return;
            }
            readStored().then(function (bytes) {
                if (takeIntoFolder(bytes)) {
                    storedChanged = true;
                }
            }, refuse);
        });
    }

    function start(notice) {
        noticeText = notice;
        Module.FS.mkdir(FOLDER);
        Module.FS.chdir(FOLDER);
        setTimeout(function () {
            if (state === "loading") {
                refuse("no answer from the browser's storage");
            }
        }, LOAD_TIMEOUT_MS);
        askToPersist();
        try {
            openDatabase().then(function (opened) {
                database = opened;
                return readStored();
            }).then(function (bytes) {
                if (state === "loading") {
                    takeIntoFolder(bytes);
                    lastKnown = bytes;
                    state = "ready";
                    listen();
                }
            }).catch(refuse);
        } catch (error) {
            refuse(error);
        }
    }

    // The folder's scores.dat, as the game has just saved it, into the stored one.
    function persist() {
        var bytes = folderFile();
        if (state !== "ready" || bytes === null) {
            return;
        }
        ++writes;
        try {
            writeUnlessChanged(bytes).then(function (storedElsewhere) {
                ++written;
                if (storedElsewhere !== null) {
                    lastKnown = storedElsewhere;
                    mergeStoredIntoGame(storedElsewhere);
                    return;
                }
                lastKnown = bytes;
                if (channel !== null) {
                    channel.postMessage(bytes);
                }
            }, function (error) {
                ++written;
                refuse(error);
            });
        } catch (error) {
            ++written;
            refuse(error);
        }
    }

    function download() {
        var bytes = tableImage();
        var link = document.createElement("a");
        link.href = URL.createObjectURL(new Blob([bytes], {type: "application/octet-stream"}));
        link.download = TABLE;
        document.body.append(link);
        link.click();
        link.remove();
        setTimeout(function () { URL.revokeObjectURL(link.href); }, 10000);
    }

    // A scores.dat from elsewhere merges into the table; the game saves it at its next frame.
    function load(file) {
        file.arrayBuffer().then(function (buffer) {
            var bytes = new Uint8Array(buffer);
            var merged = false;
            if (bytes.length <= TABLE_FILE_MAX) {
                Module.HEAPU8.set(bytes, Module._KfTableFileBuffer());
                merged = Module._KfMergeTableFile(bytes.length) !== 0;
            }
            if (!merged) {
                KesselfassPage.showBox("Highscores", DAMAGED);
            }
            document.body.dataset.tableLoads = String(Number(document.body.dataset.tableLoads ||
                                                             0) + 1);
        }, function (error) {
            KesselfassPage.showBox("Highscores", "The file could not be read: " + error);
        });
    }

    // Buttons leave the keyboard to the game once clicked.
    function setUpButtons() {
        var chooser = document.getElementById("table-file");
        document.getElementById("table-download").addEventListener("click", function (event) {
            event.currentTarget.blur();
            download();
        });
        document.getElementById("table-load").addEventListener("click", function (event) {
            event.currentTarget.blur();
            chooser.click();
        });
        chooser.addEventListener("change", function () {
            if (chooser.files.length > 0) {
                load(chooser.files[0]);
            }
            chooser.value = "";
        });
    }

    setUpButtons();

    return {
        start: start,
        settled: function () { return state !== "loading"; },
        persist: persist,
        // True once after the stored table changed under the game.
        takeStoredChange: function () {
            var changed = storedChanged;
            storedChanged = false;
            return changed;
        },
        // The game runs: its table can leave and enter the page.
        showButtons: function () {
            document.getElementById("table-tools").hidden = false;
        },
        writesPending: function () { return writes - written; },
        // For the tests: `bytes` stored as an earlier visit would have left them.
        store: function (bytes) {
            return openDatabase().then(function (opened) {
                database = database || opened;
                return writeStored(bytes);
            });
        },
    };
})();
