// MidiPlayer: the game's music player. This header holds the Standard MIDI File reader
// (smf_reader.cpp) and the filling of stream buffers from it (stream_fill.cpp).
#pragma once

#include <cstdint>
#include <vector>

#include "music/smf_types.h"
#include "music/stream_buffer.h"

class MidiPlayer {
  public:
    MidiPlayer() = default;
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    // Releases the data block the current event may still hold.
    virtual ~MidiPlayer();

    // Reports a parse error of track `track` (0-based, file order) with one of the reader's
    // fixed messages. Does nothing; tools override it to show the message.
    virtual void OnParseError(uint32_t track, const char* message);

    // The header parse: checks the layout, sets up one SmfTrack per chunk with its first delta
    // time, and keeps `data` (not copied, must outlive the player) as the loaded file. False if
    // a file is loaded already or the layout is wrong; reads never go past data + size.
    bool ParseHeader(const uint8_t* data, uint32_t size);

    // Puts every track back to its start. False when no file is loaded or a first delta time
    // cannot be read. Called to start the song again (looping, stop without loop).
    bool RewindTracks();

    // Reads the next byte of track `track`; false at the end of its data or of the file's.
    bool ReadByte(uint32_t track, uint8_t& byte);

    // Reads a variable-length quantity (any number of bytes, low 32 bits kept); false when the
    // track has ended or the bytes run out.
    bool ReadVarLen(uint32_t track, uint32_t& value);

    // Reads the next event of track `track` into `event` and advances the track's next time.
    // A data block the event still held is released first. Parse errors go to OnParseError.
    bool ReadEvent(uint32_t track, SmfEvent& event);

    // The track whose next event comes first (file order breaks ties), or -1 when every track
    // has ended.
    int32_t PickNextTrack() const;

    // Fills `buffer` with the next events of the song, about 60 ms of music. `first` is true
    // only for the first fill after the stream was opened. The caller sets the buffer up with
    // ResetForFill before. Returns 0 or ReadFailed, AlreadyFailed, SongEnded.
    int32_t FillBuffer(bool first, StreamBuffer& buffer);

    // Writes one event into `buffer` (or drops it). Returns 0, BufferFull or MetaSkipped.
    // Called by FillBuffer; public for the tests.
    int32_t WriteEvent(SmfEvent& event, StreamBuffer& buffer);

    // Frees the data block of `event` if it holds one and the held count allows it.
    void ReleaseEventData(SmfEvent& event);

  protected:
    // Header fields of the loaded file.
    const uint8_t* fileData = nullptr; // non-null once a file is loaded
    const uint8_t* fileEnd = nullptr;  // one past the last byte: the bound of every read
    uint32_t dataSize = 0;
    uint16_t format = 0;
    uint16_t trackCount = 0;
    uint16_t division = 0; // ticks per quarter note
    std::vector<SmfTrack> tracks;

    // Fill state.
    bool loopFlag = false;        // start the song again once it has ended
    uint32_t fillFlags = 0;       // EndOfSong, FillFailed, EventPending
    SmfEvent currentEvent{};      // survives between fills while EventPending is set
    uint32_t lastWrittenTime = 0; // ticks of the last event written into a buffer
    uint32_t tempo = 0;           // microseconds per quarter note of the last Set Tempo written
    uint32_t tempoPercent = 100;  // scale of every tempo written
    uint32_t timeLimit = 0;       // ticks in 60 ms at the current tempo, 0 before any tempo
    bool insertTempo = false;     // write the current tempo before the next event
    uint32_t heldDataBlocks = 0;  // event data blocks allocated and not yet released

  private:
    bool ReadDataBlock(uint32_t track, SmfEvent& event, const char* truncatedMessage);
    uint32_t BytesLeft(const SmfTrack& track) const;
    void AppendEvent(StreamBuffer& buffer, uint32_t delta, uint32_t eventWord);
    uint32_t TempoEventWord() const;
};
