// Loading the game into the page: kesselfass3d.js and kesselfass3d.wasm with their progress
// shown; a file that cannot be fetched is named, with a button to try again. The loading line
// goes once the game draws its first frame (KesselfassPage.mark "drawn"), and the service
// worker (sw.js) is registered then.
"use strict";

var KesselfassLoad = (function () {
    var GAME_SCRIPT = "kesselfass3d.js";
    var GAME_CODE = "kesselfass3d.wasm";
    var WORKER = "sw.js";

    var element = function (id) { return document.getElementById(id); };

    function show(text, fraction) {
        element("loading-text").textContent = text;
        var bar = element("loading-bar");
        if (fraction === null) {
            bar.removeAttribute("value");
        } else {
            bar.value = fraction;
        }
    }

    function kilobytes(bytes) {
        return Math.round(bytes / 1024) + " KB";
    }

    // Shows that `name` could not be fetched; the button runs `again`.
    function failed(name, why, again) {
        console.warn("loading " + name + ":", why);
        show(name + " could not be loaded (" + why + "). Check the connection and try again.",
             0);
        var retry = element("retry");
        retry.hidden = false;
        retry.onclick = function () {
            retry.hidden = true;
            again();
        };
        retry.focus();
    }

    function fetchWithProgress(name) {
        return fetch(name).then(function (response) {
            if (!response.ok) {
                throw new Error("HTTP " + response.status);
            }
            var total = Number(response.headers.get("Content-Length")) || 0;
            if (!response.body || !response.body.getReader) {
                return response.arrayBuffer();
            }
            var reader = response.body.getReader();
            var parts = [];
            var received = 0;
            var pump = function () {
                return reader.read().then(function (step) {
                    if (step.done) {
                        return new Blob(parts).arrayBuffer();
                    }
                    parts.push(step.value);
                    received += step.value.length;
                    show("Loading the game: " + kilobytes(received) +
                         (total > 0 ? " of " + kilobytes(total) : ""),
                         total > 0 ? Math.min(received / total, 1) : null);
                    return pump();
                });
            };
            return pump();
        });
    }

    // Emscripten's hook: the game's code comes from here, fetched with its progress shown.
    function instantiateGame(imports, receive) {
        var attempt = function () {
            fetchWithProgress(GAME_CODE).then(function (bytes) {
                show("Starting the game", null);
                return WebAssembly.instantiate(bytes, imports);
            }, function (error) {
                failed(GAME_CODE, error.message || String(error), attempt);
                return null;
            }).then(function (result) {
                if (result !== null) {
                    receive(result.instance);
                }
            }).catch(function (error) {
                KesselfassPage.showBox("ERROR", "The game could not start: " + error);
            });
        };
        attempt();
        return {};
    }

    function loadScript() {
        show("Loading the game", null);
        var script = document.createElement("script");
        script.src = GAME_SCRIPT;
        script.onerror = function () {
            script.remove();
            failed(GAME_SCRIPT, "no answer", loadScript);
        };
        document.body.append(script);
    }

    // The worker stores every file of the page, the music's too: it starts once the game is
    // shown, so that storing them does not hold up the first visit's menu.
    function registerWorker() {
        if ("serviceWorker" in navigator) {
            navigator.serviceWorker.register(WORKER).catch(function (error) {
                console.warn("no service worker:", error);
            });
        }
    }

    return {
        start: loadScript,
        instantiateGame: instantiateGame,
        // The game runs: the loading line gives way to it, and the worker may store the page.
        done: function () {
            element("loading").hidden = true;
            registerWorker();
        },
    };
})();

Module.instantiateWasm = KesselfassLoad.instantiateGame;
if (typeof WebAssembly === "object") {
    KesselfassLoad.start();
}
