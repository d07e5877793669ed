// The song's synthesizer in the page's audio worklet: FluidSynth (js-synthesizer's Synthesizer
// on libfluidsynth, both loaded into this scope before this file) with the SoundFont the page
// hands over, rendering between the short MIDI messages the game hands it, each at its frame,
// as the Linux game renders FluidSynth between the events of its audio callback.
"use strict";

const Synthesizer = globalThis.JSSynth.Synthesizer;
// The Linux game's gain: FluidSynth's own default is very quiet, 0.5 keeps the music under the
// effects.
const MASTER_GAIN = 0.5;
const MIDI_CHANNELS = 16;

// Sends one short message (status in bits 0-7, data in 8-15 and 16-23) to the synthesizer.
function sendShortMessage(synth, message) {
    const channel = message & 0x0f;
    const data1 = (message >> 8) & 0x7f;
    const data2 = (message >> 16) & 0x7f;
    switch (message & 0xf0) {
    case 0x80:
        synth.midiNoteOff(channel, data1);
        break;
    case 0x90:
        synth.midiNoteOn(channel, data1, data2); // velocity 0 is a note off
        break;
    case 0xa0:
        synth.midiKeyPressure(channel, data1, data2);
        break;
    case 0xb0:
        synth.midiControl(channel, data1, data2);
        break;
    case 0xc0:
        synth.midiProgramChange(channel, data1);
        break;
    case 0xd0:
        synth.midiChannelPressure(channel, data1);
        break;
    case 0xe0:
        synth.midiPitchBend(channel, data1 | (data2 << 7));
        break;
    }
}

class KesselfassMusic extends AudioWorkletProcessor {
    constructor() {
        super();
        this.synth = null;
        // Batches of (frame, message) pairs in time order, and the next pair to send.
        this.batches = [];
        this.next = 0;
        this.noteReported = false;
        this.stopped = false;
        this.port.onmessage = (event) => this.take(event.data);
    }

    take(message) {
        switch (message.kind) {
        case "soundFont":
            this.load(message.data);
            break;
        case "events":
            this.batches.push(message.events);
            break;
        case "silence":
            this.silence();
            break;
        case "stop":
            this.silence();
            this.stopped = true;
            break;
        }
    }

    load(soundFont) {
        Synthesizer.waitForWasmInitialized().then(() => {
            // The game has no log: FluidSynth's messages are dropped, as on the desktop.
            globalThis.JSSynth.disableLogging();
            const synth = new Synthesizer();
            synth.init(sampleRate, {initialGain: MASTER_GAIN});
            return synth.loadSFont(soundFont).then(() => {
                this.synth = synth;
                this.port.postMessage({kind: "ready"});
            });
        }).catch((error) => this.port.postMessage({kind: "failed", error: String(error)}));
    }

    // What was handed and has not sounded goes; the sounding notes are released.
    silence() {
        this.batches = [];
        this.next = 0;
        if (this.synth !== null) {
            for (let channel = 0; channel < MIDI_CHANNELS; ++channel) {
                this.synth.midiAllNotesOff(channel);
            }
        }
    }

    // The frame of the next message to send, or Infinity when none is waiting.
    nextFrame() {
        while (this.batches.length > 0 && this.next >= this.batches[0].length) {
            this.batches.shift();
            this.next = 0;
        }
        return this.batches.length > 0 ? this.batches[0][this.next] : Infinity;
    }

    sendNext(at) {
        const message = this.batches[0][this.next + 1];
        this.next += 2;
        sendShortMessage(this.synth, message);
        if (!this.noteReported && (message & 0xf0) === 0x90 && ((message >> 16) & 0x7f) > 0) {
            this.noteReported = true;
            this.port.postMessage({kind: "note", frame: currentFrame + at});
        }
    }

    render(output, from, to) {
        if (to > from) {
            this.synth.render([output[0].subarray(from, to), output[1].subarray(from, to)]);
        }
    }

    // Messages due before this block sound at its start, each later one at its own frame.
    process(inputs, outputs) {
        if (this.synth === null) {
            return !this.stopped;
        }
        const output = outputs[0];
        const frames = output[0].length;
        let rendered = 0;
        for (let due = this.nextFrame(); due < currentFrame + frames; due = this.nextFrame()) {
            const at = Math.max(Math.floor(due - currentFrame), rendered);
            this.render(output, rendered, at);
            rendered = at;
            this.sendNext(at);
        }
        this.render(output, rendered, frames);
        return !this.stopped;
    }
}

registerProcessor("kesselfass-music", KesselfassMusic);
