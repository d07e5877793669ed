// The page's touch and its own controls: pointers on the game area go to the game (web_touch.cpp)
// as fingers; on the name screen a text input brings up the device's keyboard, whose letters
// reach the game as keys; a corner control leaves a game as Escape does and, where the browser
// lets a page go fullscreen, another switches it as F1 does; during a game the screen is kept
// awake where the browser can. The game calls KesselfassInput.install() once and .show() on
// every change of what it shows.
"use strict";

var KesselfassInput = (function () {
    var inGame = false;
    var wakeLock = null;
    var game = function () { return document.getElementById("game"); };
    var nameInput = function () { return document.getElementById("name-input"); };

    // Canvas pixels of a pointer event, as the game's view counts them.
    function canvasPoint(event) {
        var canvas = document.getElementById("canvas");
        if (!canvas) {
            return null;
        }
        var box = canvas.getBoundingClientRect();
        if (box.width === 0 || box.height === 0) {
            return null;
        }
        return {
            x: (event.clientX - box.left) * canvas.width / box.width,
            y: (event.clientY - box.top) * canvas.height / box.height,
            width: canvas.width,
        };
    }

    function onPointerDown(event) {
        var point = canvasPoint(event);
        if (point === null || !event.isPrimary && event.pointerType === "mouse") {
            return;
        }
        event.preventDefault();
        Module._KesselfassFingerDown(event.pointerId, point.x, point.width);
    }

    function onPointerUp(event) {
        var point = canvasPoint(event);
        if (point === null) {
            Module._KesselfassFingerCancel(event.pointerId);
            return;
        }
        if (Module._KesselfassFingerUp(event.pointerId, point.x, point.y)) {
            // Only a listener of the tap itself may bring up the device's keyboard.
            nameInput().focus({preventScroll: true});
        }
    }

    function onPointerCancel(event) {
        Module._KesselfassFingerCancel(event.pointerId);
    }

    // The input holds one space, so that a keyboard always has something to delete; what is
    // typed goes to the game and the space is put back. A hardware keyboard's keys reach the
    // game through its own key listener, which keeps them from the input.
    function onNameInput(event) {
        var input = nameInput();
        if (event.inputType === "deleteContentBackward") {
            Module._KesselfassTyped(8);
        } else if (typeof event.data === "string") {
            for (var i = 0; i < event.data.length; ++i) {
                Module._KesselfassTyped(event.data.charCodeAt(i));
            }
        }
        input.value = " ";
    }

    function holdScreenAwake(wanted) {
        if (!wanted || document.hidden) {
            if (wakeLock !== null) {
                wakeLock.release().catch(function () {});
                wakeLock = null;
            }
            return;
        }
        if (wakeLock !== null || !navigator.wakeLock) {
            return;
        }
        navigator.wakeLock.request("screen").then(function (lock) {
            wakeLock = lock;
            lock.addEventListener("release", function () {
                if (wakeLock === lock) {
                    wakeLock = null;
                }
            });
            if (!inGame || document.hidden) {
                holdScreenAwake(false);
            }
        }).catch(function () {});
    }

    function button(id, handler) {
        var control = document.getElementById(id);
        // A click comes with the release of a touch: the moment a page may go fullscreen.
        control.addEventListener("click", function (event) {
            event.preventDefault();
            handler();
        });
        // The control's touch is no finger on the game's halves.
        control.addEventListener("pointerdown", function (event) { event.stopPropagation(); });
    }

    return {
        install: function () {
            var area = game();
            area.addEventListener("pointerdown", onPointerDown);
            area.addEventListener("pointerup", onPointerUp);
            area.addEventListener("pointercancel", onPointerCancel);
            area.addEventListener("contextmenu", function (event) { event.preventDefault(); });
            var input = nameInput();
            input.value = " ";
            input.addEventListener("input", onNameInput);
            button("leave-game", function () { Module._KesselfassLeaveGame(); });
            button("fullscreen", function () { Module._KesselfassSwitchFullscreen(); });
            document.getElementById("fullscreen").hidden =
                !KesselfassPage.canGoFullscreen() || !window.matchMedia("(pointer: coarse)").matches;
            document.addEventListener("visibilitychange", function () {
                holdScreenAwake(inGame);
            });
        },
        show: function (playing, nameScreen) {
            inGame = playing;
            document.getElementById("leave-game").hidden = !playing;
            if (!nameScreen && document.activeElement === nameInput()) {
                nameInput().blur();
            }
            holdScreenAwake(playing);
        },
    };
})();
