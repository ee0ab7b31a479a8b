#include "audio/SoundManager.h"

#include "core/Problems.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

#include <AL/al.h>
#include <AL/alc.h>
#include <sndfile.h>

#include "audio/MusicStream.h"
#include "core/Problems.h"
#include "render/Directory.h"

namespace {

const double kMaxEffectSeconds = 10.0;

// The audio libraries write their own diagnostics to stderr when no device
// exists (several lines per back end tried); the player gets our one line
// instead. Setting ALSOFT_LOGLEVEL shows them again.
ALCdevice* OpenDeviceQuietly(const char* name)
{
    if (getenv("ALSOFT_LOGLEVEL"))
        return alcOpenDevice(name);
    fflush(stderr);
    const int saved = dup(2);
    const int null = open("/dev/null", O_WRONLY);
    if (saved >= 0 && null >= 0)
        dup2(null, 2);
    ALCdevice* device = alcOpenDevice(name);
    if (saved >= 0 && null >= 0)
        dup2(saved, 2);
    if (null >= 0)
        close(null);
    if (saved >= 0)
        close(saved);
    return device;
}

// Reads the whole file as 16-bit mono (channels mixed down, so that an
// effect can always be panned).
bool DecodeMono(SNDFILE* file, const SF_INFO& info, std::vector<short>& out)
{
    std::vector<float> frames(static_cast<size_t>(info.frames) * info.channels);
    const sf_count_t got = sf_readf_float(file, frames.data(), info.frames);
    if (got <= 0)
        return false;
    out.resize(static_cast<size_t>(got));
    for (sf_count_t i = 0; i < got; ++i) {
        float sum = 0;
        for (int c = 0; c < info.channels; ++c)
            sum += frames[static_cast<size_t>(i) * info.channels + c];
        const float v = std::clamp(sum / info.channels, -1.0f, 1.0f);
        out[static_cast<size_t>(i)] = static_cast<short>(std::lrint(v * 32767.0f));
    }
    return true;
}

}  // namespace

SoundManager::SoundManager(bool openDevice, const char* deviceName)
{
    if (!openDevice)
        return;
    device = OpenDeviceQuietly(deviceName);
    if (device) {
        context = alcCreateContext(device, nullptr);
        if (!context || !alcMakeContextCurrent(context)) {
            if (context)
                alcDestroyContext(context);
            context = nullptr;
            alcCloseDevice(device);
            device = nullptr;
        }
    }
    if (!context) {
        printf("No audio device: playing without sound\n");
        return;
    }
    // Effects are panned, not placed: no attenuation by distance.
    alDistanceModel(AL_NONE);
    voices.resize(kVoices);
    for (Voice& voice : voices) {
        alGenSources(1, &voice.source);
        alSourcei(voice.source, AL_SOURCE_RELATIVE, AL_TRUE);
    }
}

SoundManager::~SoundManager()
{
    if (!context)
        return;
    stream.reset();
    for (Voice& voice : voices) {
        alSourceStop(voice.source);
        alSourcei(voice.source, AL_BUFFER, 0);
        alDeleteSources(1, &voice.source);
    }
    for (auto& [name, effect] : effects)
        alDeleteBuffers(1, &effect.buffer);
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
}

void SoundManager::ReportOnce(int indent, const std::string& message)
{
    if (reported.insert(message).second)
        Problems::Load(indent, message);
}

void SoundManager::LoadDirectory(const std::string& dir)
{
    directory = dir;
    printf("Loading sounds...\n");
    std::vector<std::string> names = ListFilesWithExtension(dir, ".wav");
    for (const std::string& name : ListFilesWithExtension(dir, ".ogg"))
        names.push_back(name);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const std::string path = dir + name;
        SF_INFO info = {};
        SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
        if (!file) {
            ReportOnce(2, "Could not decode sound " + path + ": " + sf_strerror(nullptr));
            continue;
        }
        std::vector<short> samples;
        const bool isMusic = info.samplerate > 0 && info.frames > kMaxEffectSeconds * info.samplerate;
        bool ok = info.channels > 0 && info.samplerate > 0 && info.frames > 0;
        if (ok && !isMusic)
            ok = DecodeMono(file, info, samples);
        sf_close(file);
        if (!ok) {
            ReportOnce(2, "Could not decode sound " + path + ": no samples");
            continue;
        }
        if (isMusic) {
            music.insert(name);
        } else {
            Effect effect;
            if (context) {
                alGenBuffers(1, &effect.buffer);
                alBufferData(effect.buffer, AL_FORMAT_MONO16, samples.data(),
                             static_cast<ALsizei>(samples.size() * sizeof(short)), info.samplerate);
            }
            effects[name] = effect;
        }
        printf("  %s%s\n", dir.c_str(), name.c_str());
    }
}

void SoundManager::PlaySound(const std::string& name, float volume, float pan)
{
    if (!effects.count(name)) {
        ReportOnce(0, "Missing sound " + directory + name);
        return;
    }
    if (!context || paused || !(volume > 0))
        return;
    volume = std::min(volume, 1.0f);
    Request& request = requests[name];
    request.sumSquares += volume * volume;
    if (std::isfinite(pan)) {
        request.panSum += std::clamp(pan, -1.0f, 1.0f) * volume;
        request.panWeight += volume;
    }
}

SoundManager::Voice& SoundManager::FreeVoice()
{
    Voice* oldest = &voices[0];
    for (Voice& voice : voices) {
        ALint state = 0;
        alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
        if (state != AL_PLAYING && state != AL_PAUSED)
            return voice;
        if (voice.startOrder < oldest->startOrder)
            oldest = &voice;
    }
    alSourceStop(oldest->source);
    return *oldest;
}

void SoundManager::Update()
{
    if (!context)
        return;
    for (auto& [name, request] : requests) {
        Voice& voice = FreeVoice();
        voice.effect = name;
        voice.startOrder = ++started;
        // n copies of one effect in a frame: as loud as their summed power,
        // never more than full volume.
        const float gain = std::min(1.0f, std::sqrt(request.sumSquares));
        const float pan = request.panWeight > 0 ? request.panSum / request.panWeight : 0.0f;
        alSourcei(voice.source, AL_BUFFER, static_cast<ALint>(effects[name].buffer));
        alSourcef(voice.source, AL_GAIN, gain);
        // On the unit circle in front of the listener: -1 hard left, 1 hard right.
        alSource3f(voice.source, AL_POSITION, pan, 0, -std::sqrt(std::max(0.0f, 1 - pan * pan)));
        alSourcePlay(voice.source);
    }
    requests.clear();
    if (stream)
        stream->Update();
}

void SoundManager::PlayMusic(const std::string& name)
{
    // Only what the directory listed: a script's name never leads elsewhere.
    if (!music.count(name) && !effects.count(name)) {
        ReportOnce(0, "Missing sound " + directory + name);
        return;
    }
    if (!context)
        return;
    stream.reset();
    auto next = std::make_unique<MusicStream>(directory + name);
    if (!next->IsOpen()) {
        ReportOnce(0, "Could not play music " + directory + name + ": " + next->GetError());
        return;
    }
    stream = std::move(next);
    if (paused)
        stream->Pause();
    stream->Play();
}

void SoundManager::StopMusic()
{
    stream.reset();
}

void SoundManager::SetMuted(bool m)
{
    muted = m;
    if (context)
        alListenerf(AL_GAIN, muted ? 0.0f : 1.0f);
}

void SoundManager::Pause()
{
    if (!context || paused)
        return;
    paused = true;
    requests.clear();
    for (Voice& voice : voices) {
        ALint state = 0;
        alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING)
            alSourcePause(voice.source);
    }
    if (stream)
        stream->Pause();
}

void SoundManager::Resume()
{
    if (!context || !paused)
        return;
    paused = false;
    for (Voice& voice : voices) {
        ALint state = 0;
        alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
        if (state == AL_PAUSED)
            alSourcePlay(voice.source);
    }
    if (stream)
        stream->Resume();
}

void SoundManager::StopAll()
{
    requests.clear();
    stream.reset();
    for (Voice& voice : voices)
        alSourceStop(voice.source);
}

std::vector<std::string> SoundManager::PlayingEffects() const
{
    std::vector<std::string> names;
    for (const Voice& voice : voices) {
        ALint state = 0;
        alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING)
            names.push_back(voice.effect);
    }
    return names;
}
