// One looping music track streamed from its file into a short queue of
// buffers on one source. The SoundManager owns it and refills it every frame;
// a frame long enough to drain the queue only costs a gap, then it plays on.
#pragma once

#include <string>
#include <vector>

typedef struct sf_private_tag SNDFILE;

class MusicStream {
public:
    // Opens the file; IsOpen tells whether it decodes.
    explicit MusicStream(const std::string& path);
    virtual ~MusicStream();
    MusicStream(const MusicStream&) = delete;
    MusicStream& operator=(const MusicStream&) = delete;

    bool IsOpen() const { return file != nullptr; }
    const std::string& GetError() const { return error; }

    void Play();
    void Pause();
    void Resume();
    // Refills the buffers the source has finished with.
    void Update();

private:
    // Fills `buffer` from the file, going back to its start at the end.
    bool Fill(unsigned buffer);

    SNDFILE* file = nullptr;
    int channels = 0;
    int rate = 0;
    unsigned source = 0;
    std::vector<unsigned> buffers;
    std::vector<short> samples;
    std::string error;
    bool paused = false;
};
