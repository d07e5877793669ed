// Trims a General MIDI SoundFont to what one song plays, for the web page: the page loads the
// song's few instruments instead of the whole bank. Fails (exit 1) when a note of the song
// finds in the trimmed SoundFont other samples than in the full one, or none.
//   node sftrim.mjs FULL.sf2 SONG.mid TRIMMED.sf2     (with spessasynth_core on NODE_PATH)
import { readFileSync, writeFileSync } from "node:fs";
import { BasicMIDI, SoundBankLoader } from "spessasynth_core";

function load(path) {
    const data = readFileSync(path);
    return data.buffer.slice(data.byteOffset, data.byteOffset + data.byteLength);
}

// Every sample with its ranges that a note at this key and velocity starts, as one string.
function voicesOf(preset, key, velocity) {
    return preset.getVoiceParameters(key, velocity)
        .map((voice) => `${voice.sample.name}:${voice.sample.sampleData?.length ?? 0}:` +
             Array.from(voice.generators).join(","))
        .sort()
        .join("|");
}

function findPreset(bank, wanted) {
    return bank.presets.find((preset) => preset.program === wanted.program &&
        preset.bankMSB === wanted.bankMSB && preset.bankLSB === wanted.bankLSB &&
        preset.isGMGSDrum === wanted.isGMGSDrum);
}

// Each key and velocity the song plays must start the same voices in both banks.
function missingNotes(full, trimmed, used) {
    const missing = [];
    for (const [preset, keys] of used) {
        const kept = findPreset(trimmed, preset);
        for (const [key, velocities] of keys) {
            for (const velocity of velocities) {
                const want = voicesOf(preset, key, velocity);
                const have = kept ? voicesOf(kept, key, velocity) : "";
                if (want === "" || want !== have) {
                    missing.push(`${preset.toMIDIString()} (${preset.name}) key ${key} ` +
                                 `velocity ${velocity}`);
                }
            }
        }
    }
    return missing;
}

function main(argv) {
    if (argv.length !== 3) {
        console.error("usage: node sftrim.mjs FULL.sf2 SONG.mid TRIMMED.sf2");
        return 2;
    }
    const [fullPath, songPath, outPath] = argv;
    const full = SoundBankLoader.fromArrayBuffer(load(fullPath));
    const song = BasicMIDI.fromArrayBuffer(load(songPath));
    const used = song.getUsedProgramsAndKeys(full);
    const bank = SoundBankLoader.fromArrayBuffer(load(fullPath));
    bank.trim(song.getUsedProgramsAndKeys(bank));
    const written = bank.writeSF2({ writeDefaultModulators: false, writeExtendedLimits: false });
    const trimmed = SoundBankLoader.fromArrayBuffer(written);
    const missing = missingNotes(full, trimmed, used);
    if (missing.length > 0) {
        console.error(`sftrim: the trimmed SoundFont lacks what the song plays:\n  ` +
                      missing.join("\n  "));
        return 1;
    }
    writeFileSync(outPath, new Uint8Array(written));
    console.log(`sftrim: ${outPath}: ${written.byteLength} bytes, ${used.size} presets`);
    return 0;
}

process.exitCode = main(process.argv.slice(2));
