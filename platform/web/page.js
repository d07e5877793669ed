// The page around the game: its canvas, the Fullscreen API, the boxes and notices the game
// shows, and the offer to play again. The game (kesselfass3d.js) calls KesselfassPage; tests
// wait on the marks it sets on the document's body ("drawn", "shot").
"use strict";

var KesselfassPage = (function () {
    // The canvas's pixels follow the display's density up to about a 1920 x 1080 screen's
    // worth: sharp on a phone, without drawing three times the pixels a player can tell apart.
    var MOST_PIXELS = 1920 * 1080;
    var fullscreenRefused = false;
    var game = function () { return document.getElementById("game"); };
    var canvas = function () { return document.getElementById("canvas"); };

    function showBox(caption, text) {
        var box = document.createElement("div");
        box.className = "box";
        box.setAttribute("role", "alertdialog");
        var title = document.createElement("h2");
        title.textContent = caption;
        var body = document.createElement("p");
        body.textContent = text;
        var close = document.createElement("button");
        close.type = "button";
        close.textContent = "OK";
        close.addEventListener("click", function () { box.remove(); });
        box.append(title, body, close);
        document.getElementById("boxes").append(box);
        document.getElementById("loading").hidden = true;
    }

    return {
        makeCanvas: function (width, height, fixedSize) {
            var made = document.createElement("canvas");
            made.id = "canvas";
            if (fixedSize) {
                made.className = "fixed-size";
                made.width = width;
                made.height = height;
            }
            game().append(made);
            if (!fixedSize) {
                this.fitCanvas();
            }
        },
        // The canvas's pixels follow its size on the screen at the display's pixel density.
        fitCanvas: function () {
            var c = canvas();
            if (!c || c.classList.contains("fixed-size")) {
                return;
            }
            var area = Math.max(1, c.clientWidth * c.clientHeight);
            var ratio = Math.min(window.devicePixelRatio || 1,
                                 Math.max(1, Math.sqrt(MOST_PIXELS / area)));
            c.width = Math.max(1, Math.round(c.clientWidth * ratio));
            c.height = Math.max(1, Math.round(c.clientHeight * ratio));
        },
        removeCanvas: function () {
            var c = canvas();
            if (c) {
                c.remove();
            }
        },
        canvasWidth: function () {
            this.fitCanvas();
            return canvas() ? canvas().width : 0;
        },
        canvasHeight: function () {
            this.fitCanvas();
            return canvas() ? canvas().height : 0;
        },
        // Safari before 16.4 has only the prefixed API; an iPhone's has none for a page.
        canGoFullscreen: function () {
            return Boolean(document.fullscreenEnabled || document.webkitFullscreenEnabled);
        },
        // A page may only ask while the player has just pressed a key or clicked.
        requestFullscreen: function () {
            var activation = navigator.userActivation;
            if (!this.canGoFullscreen() || (activation && !activation.isActive)) {
                fullscreenRefused = true;
                return;
            }
            var area = game();
            if (!area.requestFullscreen) {
                area.webkitRequestFullscreen();
                return;
            }
            area.requestFullscreen().catch(function () { fullscreenRefused = true; });
        },
        exitFullscreen: function () {
            if (document.fullscreenElement) {
                document.exitFullscreen().catch(function () {});
            } else if (document.webkitFullscreenElement) {
                document.webkitExitFullscreen();
            }
        },
        isFullscreen: function () {
            return Boolean(document.fullscreenElement || document.webkitFullscreenElement);
        },
        takeFullscreenRefusal: function () {
            var refused = fullscreenRefused;
            fullscreenRefused = false;
            return refused;
        },
        showBox: showBox,
        // Each notice is a line of its own under the game (the storage's, the sound's).
        showNotice: function (text) {
            var notice = document.getElementById("notice");
            notice.textContent = notice.hidden ? text : notice.textContent + "\n" + text;
            notice.hidden = false;
        },
        showPlayAgain: function () {
            this.exitFullscreen();
            document.getElementById("ended").hidden = false;
            document.getElementById("leave-game").hidden = true;
            // Enter or Space press it, as a player who played by keys expects.
            document.getElementById("play-again").focus();
            document.body.dataset.ended = "1";
        },
        parameter: function (name) {
            return new URLSearchParams(window.location.search).get(name) || "";
        },
        // The mark, and when it was set in ms since the page began to load.
        mark: function (name) {
            document.body.dataset[name + "Ms"] = String(performance.now());
            document.body.dataset[name] = "1";
            if (name === "drawn") {
                KesselfassLoad.done();
            } else if (name === "shot") {
                document.getElementById("loading").hidden = true;
            }
        },
    };
})();

var Module = {
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
    onAbort: function (what) {
        KesselfassPage.showBox("ERROR", "The game stopped: " + what);
    },
};

document.getElementById("play-again").addEventListener("click", function () {
    window.location.reload();
});

// A lost WebGL context (a GPU reset, a phone putting the tab away) is asked back by preventing
// the default; once the browser gives it back, the game makes its window again. The events
// come to the canvas, which the game makes anew for each window: the game area hears them on
// their way down.
(function () {
    var area = document.getElementById("game");
    area.addEventListener("webglcontextlost", function (event) {
        event.preventDefault();
        document.body.dataset.contextLost = String(Number(document.body.dataset.contextLost || 0) + 1);
    }, true);
    area.addEventListener("webglcontextrestored", function () {
        Module._KesselfassContextRestored();
    }, true);
})();

if (typeof WebAssembly !== "object") {
    KesselfassPage.showBox("ERROR", "This browser cannot run the game (no WebAssembly).");
}
