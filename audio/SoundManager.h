// The game's sound: one output device, the short effects of the sound
// directory decoded once at start-up, a pool of voices and one streamed music
// track. Owned by the Game; scripts reach it through GlobalInfo.
//
// Without an output device (or when the library cannot open one) everything
// still loads and reports, and every play request is accepted and dropped, so
// the game runs exactly as it does with sound.
//
// Effect requests are collected during a frame and started by Update: several
// requests for the same effect in one frame play once, louder. When every
// voice is busy the voice that started first gives way.
//
// Main thread only; no GL.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class MusicStream;
struct ALCdevice_struct;
struct ALCcontext_struct;

class SoundManager {
public:
    static const int kVoices = 32;

    // Opens the named output device (null: the system's default) and prints
    // "No audio device: playing without sound" when there is none.
    // `openDevice` false opens none and says nothing (headless tools).
    explicit SoundManager(bool openDevice = true, const char* deviceName = nullptr);
    virtual ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // Decodes every ".wav" and ".ogg" of `directory` (ending in "/") up to
    // ten seconds long as an effect; longer files are music, streamed when
    // played. One console line per file; a file that does not decode is
    // reported with its path and skipped.
    void LoadDirectory(const std::string& directory);

    // volume 0 to 1; `pan` -1 (left) to 1 (right), 0 centred.
    void PlaySound(const std::string& name, float volume, float pan);
    // Loops the file of the sound directory, replacing the current track.
    void PlayMusic(const std::string& name);
    void StopMusic();

    // Once per frame: starts the frame's effect requests, refills the music.
    void Update();

    void SetMuted(bool muted);
    bool IsMuted() const { return muted; }
    // Pause holds every voice and the music where they are; Resume goes on.
    void Pause();
    void Resume();
    // Silences everything and forgets pending requests (a new run).
    void StopAll();

    bool HasDevice() const { return context != nullptr; }
    // Names of the effects whose voices are playing now.
    std::vector<std::string> PlayingEffects() const;

private:
    struct Effect {
        unsigned buffer = 0;
    };
    struct Voice {
        unsigned source = 0;
        std::string effect;
        long startOrder = 0;
    };
    struct Request {
        float sumSquares = 0;
        float panWeight = 0;
        float panSum = 0;
    };
    // Through the problem log, each distinct message once.
    void ReportOnce(int indent, const std::string& message);
    Voice& FreeVoice();

    ALCdevice_struct* device = nullptr;
    ALCcontext_struct* context = nullptr;
    std::string directory = "data/sounds/";
    std::map<std::string, Effect> effects;
    std::set<std::string> music;
    std::vector<Voice> voices;
    std::map<std::string, Request> requests;
    std::unique_ptr<MusicStream> stream;
    std::set<std::string> reported;
    long started = 0;
    bool muted = false;
    bool paused = false;
};
