#include "audio/MusicStream.h"

#include <AL/al.h>
#include <sndfile.h>

namespace {
const int kBuffers = 4;
const int kFramesPerBuffer = 16384;  // four of them: about 1.5 s at 44.1 kHz
}  // namespace

MusicStream::MusicStream(const std::string& path)
{
    SF_INFO info = {};
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) {
        error = sf_strerror(nullptr);
        return;
    }
    if (info.channels < 1 || info.channels > 2 || info.samplerate <= 0 || info.frames <= 0) {
        error = "music must be mono or stereo and not empty";
        sf_close(file);
        file = nullptr;
        return;
    }
    channels = info.channels;
    rate = info.samplerate;
    samples.resize(static_cast<size_t>(kFramesPerBuffer) * channels);
    alGenSources(1, &source);
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0, 0, 0);
    buffers.resize(kBuffers);
    alGenBuffers(kBuffers, buffers.data());
}

MusicStream::~MusicStream()
{
    if (source) {
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
        alDeleteSources(1, &source);
        alDeleteBuffers(static_cast<ALsizei>(buffers.size()), buffers.data());
    }
    if (file)
        sf_close(file);
}

bool MusicStream::Fill(unsigned buffer)
{
    sf_count_t frames = 0;
    while (frames < kFramesPerBuffer) {
        const sf_count_t got = sf_readf_short(file, samples.data() + frames * channels, kFramesPerBuffer - frames);
        if (got <= 0) {
            if (frames == 0 && sf_seek(file, 0, SEEK_SET) < 0)
                return false;
            if (sf_seek(file, 0, SEEK_SET) < 0)
                break;
            if (got < 0)
                break;
            continue;
        }
        frames += got;
    }
    if (frames == 0)
        return false;
    alBufferData(buffer, channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, samples.data(),
                 static_cast<ALsizei>(frames * channels * sizeof(short)), rate);
    alSourceQueueBuffers(source, 1, &buffer);
    return true;
}

void MusicStream::Play()
{
    if (!file)
        return;
    for (unsigned buffer : buffers)
        Fill(buffer);
    if (!paused)
        alSourcePlay(source);
}

void MusicStream::Pause()
{
    paused = true;
    if (source)
        alSourcePause(source);
}

void MusicStream::Resume()
{
    paused = false;
    if (source)
        alSourcePlay(source);
}

void MusicStream::Update()
{
    if (!file || paused)
        return;
    ALint processed = 0;
    alGetSourcei(source, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0) {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(source, 1, &buffer);
        Fill(buffer);
    }
    // A frame longer than the queue drained it: the source stopped; go on.
    ALint state = 0;
    alGetSourcei(source, AL_SOURCE_STATE, &state);
    ALint queued = 0;
    alGetSourcei(source, AL_BUFFERS_QUEUED, &queued);
    if (state != AL_PLAYING && queued > 0)
        alSourcePlay(source);
}
