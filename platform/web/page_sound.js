// The page's sound: one AudioContext, started on the player's first key press, click or
// touch (a browser lets a page sound only after one) and resumed on every later one while it
// is not running (a first gesture that could not start it, an iOS call that interrupted it);
// the six effects as AudioBuffers, and the song's synthesizer: FluidSynth from js-synthesizer in our audio worklet (music_worklet.js) with the
// SoundFont, both loaded only once the audio runs. The game (web_sound.cpp) calls
// KesselfassSound; tests and the benchmark read the marks it sets ("audio", "music", "note").
"use strict";

var KesselfassSound = (function () {
    // The Linux game's output rate, so that the song's events fall on the same frames.
    var SAMPLE_RATE = 44100;
    var WORKLET_SCRIPTS = ["libfluidsynth-2.4.6.js", "js-synthesizer.worklet.min.js",
                           "music_worklet.js"];
    var SOUNDFONT = "TimGM6mb.sf2";
    var NO_AUDIO = "This browser cannot play sound: the game plays silently.";
    var NO_MUSIC = "The music could not be loaded: the game plays without music.";
    var musicNotice = null;  // what the page said of the music's failure, until a new try

    var gestured = false;
    var soundWanted = false;
    var musicWanted = false;
    // "waiting" for StartSound and a gesture, "running", "unavailable" (no Web Audio) or
    // "stopped" (the game has ended).
    var state = "waiting";
    var context = null;
    var effects = {};        // AudioBuffers by resource name, made at their first request
    var effectEnds = 0;      // the context time at which the effect playing ends
    var musicState = "idle"; // "loading", "ready", "failed" or "stopped"
    var music = null;        // the synthesizer's worklet node

    function say(text) {
        console.warn(text);
        KesselfassPage.showNotice(text);
    }

    function makeContext() {
        var Context = window.AudioContext || window.webkitAudioContext;
        if (typeof Context !== "function") {
            return null;
        }
        try {
            return new Context({sampleRate: SAMPLE_RATE});
        } catch (error) {
            try {
                return new Context();
            } catch (again) {
                return null;
            }
        }
    }

    function startAudio() {
        if (state !== "waiting" || !soundWanted || !gestured) {
            return;
        }
        context = makeContext();
        if (context === null) {
            state = "unavailable";
            say(NO_AUDIO);
            return;
        }
        state = "running";
        context.resume().catch(function () {});
        KesselfassPage.mark("audio");
        loadMusic();
    }

    // A suspended or interrupted context takes up where it stopped: the song keeps its place.
    function resumeAudio() {
        if (state === "running" && context.state !== "running" && context.state !== "closed" &&
            document.visibilityState !== "hidden") {
            context.resume().catch(function () {});
        }
    }

    function onGesture() {
        if (!gestured) {
            gestured = true;
            KesselfassPage.mark("gesture");
        }
        startAudio();
        resumeAudio();
    }

    function failMusic(error) {
        if (musicState === "failed" || musicState === "stopped") {
            return;
        }
        console.warn("music:", error);
        musicState = "failed";
        if (music !== null) {
            music.disconnect();
            music = null;
        }
        // The file that could not be fetched is named, and the player may try again.
        var file = error && error.file ? " (" + error.file + ")" : "";
        musicNotice = NO_MUSIC.replace(":", file + ":");
        say(musicNotice);
        document.getElementById("music-retry").hidden = false;
    }

    function retryMusic() {
        document.getElementById("music-retry").hidden = true;
        var notice = document.getElementById("notice");
        notice.textContent = notice.textContent.split("\n").filter(function (line) {
            return line !== musicNotice;
        }).join("\n");
        notice.hidden = notice.textContent === "";
        if (musicState === "failed") {
            musicState = "idle";
            loadMusic();
        }
    }

    function fetchSoundFont() {
        var failed = function (why) {
            var error = new Error(SOUNDFONT + ": " + why);
            error.file = SOUNDFONT;
            throw error;
        };
        return fetch(SOUNDFONT).then(function (response) {
            if (!response.ok) {
                failed(response.status);
            }
            return response.arrayBuffer();
        }, failed);
    }

    function addWorkletScripts() {
        return WORKLET_SCRIPTS.reduce(function (done, script) {
            return done.then(function () {
                return context.audioWorklet.addModule(script).catch(function (why) {
                    var error = new Error(script + ": " + why);
                    error.file = script;
                    throw error;
                });
            });
        }, Promise.resolve());
    }

    function takeWorkletMessage(message) {
        if (message.kind === "ready" && musicState === "loading") {
            musicState = "ready";
            KesselfassPage.mark("music");
        } else if (message.kind === "failed") {
            failMusic(message.error);
        } else if (message.kind === "note") {
            // When the first note was rendered, on the page's clock.
            var ago = context.currentTime - message.frame / context.sampleRate;
            document.body.dataset.noteMs = String(performance.now() - 1000 * Math.max(ago, 0));
            document.body.dataset.note = "1";
        }
    }

    function startSynthesizer(soundFont) {
        if (musicState !== "loading") {
            return;
        }
        music = new AudioWorkletNode(context, "kesselfass-music",
                                     {numberOfInputs: 0, outputChannelCount: [2]});
        music.port.onmessage = function (event) { takeWorkletMessage(event.data); };
        music.onprocessorerror = function () { failMusic("the synthesizer stopped"); };
        music.connect(context.destination);
        music.port.postMessage({kind: "soundFont", data: soundFont}, [soundFont]);
    }

    // The synthesizer's scripts and the SoundFont load side by side, once the audio runs.
    function loadMusic() {
        if (state !== "running" || !musicWanted || musicState !== "idle") {
            return;
        }
        musicState = "loading";
        if (!context.audioWorklet || typeof AudioWorkletNode !== "function") {
            failMusic("no audio worklets");
            return;
        }
        Promise.all([fetchSoundFont(), addWorkletScripts()]).then(function (loaded) {
            startSynthesizer(loaded[0]);
        }).catch(failMusic);
    }

    function makeEffect(heap, samples, count, rate) {
        var buffer = context.createBuffer(1, count, rate);
        var channel = buffer.getChannelData(0);
        // The samples lie in the game's memory as they lie in the WAVE file: little-endian,
        // perhaps at an odd address.
        var view = new DataView(heap.buffer, samples, 2 * count);
        for (var i = 0; i < count; ++i) {
            channel[i] = view.getInt16(2 * i, true) / 32768;
        }
        return buffer;
    }

    // A hidden page falls silent at once, the song's notes included, and goes on from that
    // very frame when shown: the audio's clock, which the song's events are timed by, stops.
    function followVisibility() {
        if (state !== "running") {
            return;
        }
        if (document.visibilityState === "hidden") {
            context.suspend().catch(function () {});
        } else {
            context.resume().catch(function () {});
        }
    }

    document.addEventListener("visibilitychange", followVisibility);
    document.getElementById("music-retry").addEventListener("click", retryMusic);
    // What browsers count as the player's activation: a key (Escape is none), a click, the
    // release of a touch (its going down is not yet one).
    window.addEventListener("keydown", function (event) {
        if (event.key !== "Escape") {
            onGesture();
        }
    }, true);
    window.addEventListener("pointerup", onGesture, true);
    window.addEventListener("click", onGesture, true);

    return {
        // StartSound: the audio starts with the first gesture, or now if there was one.
        start: function () {
            soundWanted = true;
            startAudio();
        },
        stop: function () {
            this.stopMusic();
            if (context !== null) {
                context.close().catch(function () {});
            }
            state = "stopped";
        },
        wantMusic: function () {
            musicWanted = true;
            loadMusic();
        },
        stopMusic: function () {
            if (music !== null) {
                music.port.postMessage({kind: "stop"});
                music.disconnect();
                music = null;
            }
            musicState = "stopped";
        },
        // One effect at a time: a request while one plays is dropped, as on the desktop.
        playEffect: function (name, heap, samples, count, rate) {
            if (state !== "running" || count === 0 || context.currentTime < effectEnds) {
                return false;
            }
            if (!effects[name]) {
                effects[name] = makeEffect(heap, samples, count, rate);
            }
            var source = context.createBufferSource();
            source.buffer = effects[name];
            source.connect(context.destination);
            source.start();
            effectEnds = context.currentTime + effects[name].duration;
            return true;
        },
        synthesizerRate: function () {
            return musicState === "ready" ? context.sampleRate : 0;
        },
        audioFrame: function () {
            return context !== null ? context.currentTime * context.sampleRate : 0;
        },
        handMusicEvents: function (pairs) {
            if (music !== null) {
                music.port.postMessage({kind: "events", events: pairs}, [pairs.buffer]);
            }
        },
        silenceMusic: function () {
            if (music !== null) {
                music.port.postMessage({kind: "silence"});
            }
        },
    };
})();
