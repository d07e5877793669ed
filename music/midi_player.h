// MidiPlayer: the game's music player. A Standard MIDI File read in place (smf_reader.cpp),
// turned into stream buffers (stream_fill.cpp) and played through a MidiStreamOut with two
// buffers refilled from its notifications, optionally looping (midi_player.cpp,
// midi_playback.cpp).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "music/auto_reset_event.h"
#include "music/midi_stream_out.h"
#include "music/smf_types.h"
#include "music/stream_buffer.h"

// The stop handshake between the caller's thread and the notification thread.
inline constexpr uint32_t StopNone = 0;
inline constexpr uint32_t StopPending = 100; // a stop waits for the buffers to come back
inline constexpr uint32_t StopDone = 200;    // both buffers are back
inline constexpr uint32_t StopAtEnd = 300;   // a song without loop ended; buffers coming back

// MIDI channels, each with its volume in ChannelVolumes.
inline constexpr uint32_t MidiChannelCount = 16;

// The message a notification window gets for each volume change: wParam the player,
// lParam (volume percent << 16) | channel.
inline constexpr uint32_t ChannelVolumeMessage = 0x417; // WM_USER + 0x17

// The window a player reports channel volumes to. The game gives none.
class NotifyWindow {
  public:
    virtual ~NotifyWindow() = default;
    // The window's current handle (it may change over the window's life), 0 for none.
    virtual uintptr_t WindowHandle() = 0;
    // IsWindow: whether `handle` names a window that exists.
    virtual bool IsWindow(uintptr_t handle) = 0;
    // PostMessageA: queues the message for the window and returns at once. Called on the
    // stream's notification thread.
    virtual void PostMessage(uintptr_t handle, uint32_t message, uintptr_t wParam,
                             uintptr_t lParam) = 0;
};

// One player plays one song. Public operations are for one caller thread (the game's main
// thread); the stream's notification thread calls the On* hooks. A derived class that
// overrides hooks must call Stop(false) in its own destructor, before its members go.
class MidiPlayer {
  public:
    // `device`: the stream output the player opens (the game's FluidSynth output); null for
    // none, as for the tools that only read and fill. Makes the buffer-return event.
    explicit MidiPlayer(MidiStreamOut* device = nullptr);
    MidiPlayer(const MidiPlayer&) = delete;
    MidiPlayer& operator=(const MidiPlayer&) = delete;

    // Stops the music (no reopen) and closes the stream; frees the tables.
    virtual ~MidiPlayer();

    // A stream call failed with `code`. Does nothing.
    virtual void OnError(uint32_t code);

    // Reports a parse error of track `track` (0-based, file order) with one of the reader's
    // fixed messages. Does nothing; tools override it to show the message.
    virtual void OnParseError(uint32_t track, const char* message);

    // MOM_OPEN and MOM_CLOSE. Do nothing.
    virtual void OnOpen();
    virtual void OnClose();

    // MOM_DONE: a buffer came back. Refills and requeues it, or counts it for a stop.
    virtual void OnBufferDone(MidiHeader* header);

    // MOM_POSITIONCB: a volume change (controller 7) is playing; keeps it in the channel
    // volumes and reports it to the notification window.
    virtual void OnPositionCallback(MidiHeader* header, const MidiEvent* event);

    // Loads the embedded resource of type "MIDI" numbered `id` (the song: SongResourceId).
    bool LoadFromResource(uint16_t id, NotifyWindow* window);

    // Loads the embedded resource of type "MIDI" named `name` ("#N" names number N).
    bool LoadFromResourceName(const char* name, NotifyWindow* window);

    // Reads the file at `data` (kept, not copied; it must outlive the player), opens the
    // stream and queues the first two buffers, paused. False if the file is unreadable or a
    // file is loaded already; also false, with the file loaded, when the stream cannot open.
    bool LoadFromMemory(const uint8_t* data, uint32_t size, NotifyWindow* window);

    // Starts the music; with `loop` the song starts again whenever it ends. Playing already:
    // the stream is stopped and reopened first. False when the stream does not start.
    bool Play(bool loop);

    // Stops the music, waits (at most 2 s) for the buffers to come back and closes the
    // stream; with `reopen` opens it again at once with two prefilled buffers.
    bool Stop(bool reopen);

    // The current volume of MIDI channels 0-15 in percent (empty before a load).
    std::vector<uint32_t> ChannelVolumes() const;

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
    // Opens the stream if it is closed, sets its time division and queues two filled buffers.
    // Called by the control holder (see below).
    bool OpenStream();
    // The stream's notification callback; `instance` is the player.
    static void StreamCallback(MidiStreamOut* handle, uint32_t message, uintptr_t instance,
                               uintptr_t param1, uintptr_t param2);

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

    // Stream state, shared by the caller's thread and the stream's notification thread.
    //
    // stateMutex guards these fields and the fill state above. A thread holds it only to decide
    // what to do and to commit what it did; calls into the stream, OnError and the window run
    // without it (OnParseError comes from the reader, in the middle of a fill).
    // controlMutex lets one control operation run at a time: a load, Play, Stop, the destructor,
    // or the end-of-song stop on the notification thread, which gives way to one under way.
    // It is taken first, never while stateMutex is held.
    //
    // - Only the control holder opens, restarts, halts and closes the stream and allocates or
    //   frees the buffers' blocks; it changes `stream` and the blocks under stateMutex, so it
    //   may read them without. `headersPrepared` is the holder's alone.
    // - `playing` is set before the stream restarts and cleared before it is halted. A buffer
    //   that comes back is refilled and queued again only while it is set.
    // - `requeueing`: the notification thread has refilled the current buffer and is queueing
    //   it. A stop halts the stream only once it is clear, so that every buffer the stream
    //   holds comes back with the halt; meanwhile `stream` and `currentBuffer` stay.
    // - `returnedCount` counts the buffers back and not queued again, 0 to StreamBufferCount.
    //   A stop (StopPending) or a song's end (StopAtEnd) is over when all are back: stopState
    //   becomes StopDone and bufferReturnEvent wakes the stop. Only the control holder moves
    //   stopState on from StopDone.
    // - The blocks are freed only after the stream is closed: the close delivers the
    //   notifications still queued, and a position report reads its event from a block.
    MidiStreamOut* const device;     // what OpenStream opens
    MidiStreamOut* stream = nullptr; // the open stream, null while closed
    bool playing = false;
    uint32_t stopState = StopNone;
    bool headersPrepared = false;
    bool requeueing = false;
    uint32_t currentBuffer = 0;             // the buffer the next MOM_DONE refills
    int32_t returnedCount = 0;              // buffers back and not queued again
    AutoResetEvent bufferReturnEvent;       // "Wait For Buffer Return": both buffers are back
    std::condition_variable requeueSettled; // `requeueing` was cleared
    NotifyWindow* notifyWindow = nullptr;
    std::vector<uint32_t> channelVolumes;
    std::vector<StreamBuffer> buffers;
    uint32_t stopTimeouts = 0; // stops that gave up waiting for their buffers
    mutable std::mutex stateMutex;
    std::mutex controlMutex;

  private:
    // What a returned buffer leads to, decided under stateMutex by CountReturnedBuffer.
    enum class ReturnStep { Keep, Requeue, WakeStop, EndSong };

    bool OpenDevice();
    bool QueuePrefilledBuffers();
    bool PrefillBuffer(uint32_t index, bool& songEnded);
    bool IsPlaying() const;
    bool BeginPlay(bool loop);
    void CancelPlay(bool previousLoop);
    bool StopStream(bool reopen);
    bool BeginStop();
    bool HaltStream();
    void AwaitBufferReturn();
    void CloseStream();
    bool ReopenStream();
    ReturnStep CountReturnedBuffer();
    ReturnStep RefillCurrentBufferLocked();
    void RequeueCurrentBuffer();
    void StopAtEndOfSong();
    bool ReadChannelMessage(uint32_t track, uint8_t first, SmfEvent& event);
    bool ReadSysEx(uint32_t track, uint8_t status, SmfEvent& event);
    bool ReadMetaEvent(uint32_t track, SmfEvent& event);
    bool ReadDataBlock(uint32_t track, SmfEvent& event, const char* truncatedMessage);
    uint32_t BytesLeft(const SmfTrack& track) const;
    int32_t WriteTempo(SmfEvent& event, StreamBuffer& buffer);
    void AppendEvent(StreamBuffer& buffer, uint32_t delta, uint32_t eventWord);
    uint32_t TempoEventWord() const;
};
