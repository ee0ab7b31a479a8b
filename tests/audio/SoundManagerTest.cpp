// Sound through the library's real mixer: its file-writing back end records
// what a player would hear into a WAV file, which the tests read back.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include "audio/SoundManager.h"
#include "tests/support/TestFiles.h"

namespace {

// The back end is chosen once per process, at the library's first use, from
// the configuration file named here: set before any test runs.
const std::string& Recording()
{
    static const std::string path = [] {
        const std::string base = "/tmp/vantrel-audio-" + std::to_string(getpid());
        FILE* conf = fopen((base + ".conf").c_str(), "w");
        fprintf(conf, "[general]\ndrivers=wave\nchannels=stereo\nfrequency=44100\nsample-type=int16\nhrtf=false\n"
                      "[wave]\nfile=%s.wav\n", base.c_str());
        fclose(conf);
        setenv("ALSOFT_CONF", (base + ".conf").c_str(), 1);
        return base + ".wav";
    }();
    return path;
}
[[maybe_unused]] const bool configured = !Recording().empty();

// A 0.5 s 440 Hz tone, the way a modder would save one.
void WriteTone(const TempDir& dir, const std::string& name)
{
    SF_INFO info = {0, 22050, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open((dir.Path() + name).c_str(), SFM_WRITE, &info);
    std::vector<float> samples(11025);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = 0.5f * std::sin(2 * M_PI * 440 * i / 22050.0);
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
}

// What was heard: left, right, both, nothing or lopsided, from the sums of
// squared samples (the tone alone gives several hundred).
std::string Heard()
{
    SF_INFO info = {};
    SNDFILE* file = sf_open(Recording().c_str(), SFM_READ, &info);
    std::vector<float> frames(file ? static_cast<size_t>(info.frames) * info.channels : 0);
    if (file)
        sf_readf_float(file, frames.data(), info.frames), sf_close(file);
    double left = 0, right = 0;
    for (size_t i = 0; i + 1 < frames.size(); i += 2)
        left += frames[i] * frames[i], right += frames[i + 1] * frames[i + 1];
    return left + right < 1e-3 ? "nothing" : left > 10 * right ? "left" : right > 10 * left ? "right"
           : std::abs(left - right) < 0.2 * (left + right) ? "both" : "lopsided " + std::to_string(left) + " " + std::to_string(right);
}

}  // namespace

TEST(SoundManagerTest, EffectsAreHeardPannedByPositionAndSilencedByMute)
{
    TempDir dir;
    WriteTone(dir, "tone.wav");
    const struct {
        float pan;
        bool muted;
        const char* heard;
    } cases[] = {{-1, false, "left"}, {1, false, "right"}, {0, false, "both"}, {0, true, "nothing"}};
    for (const auto& c : cases) {
        {
            SoundManager sounds;
            ASSERT_TRUE(sounds.HasDevice());
            CaptureStdout([&] { sounds.LoadDirectory(dir.Path()); });
            sounds.SetMuted(c.muted);
            sounds.PlaySound("tone.wav", 1.0f, c.pan);
            sounds.Update();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }  // closing the device finishes the recording
        EXPECT_EQ(c.heard, Heard()) << "pan " << c.pan << " muted " << c.muted;
    }
}

TEST(SoundManagerTest, TheOldestVoiceGivesWayAndABurstPlaysOnce)
{
    TempDir dir;
    for (int i = 0; i < 40; ++i)
        WriteTone(dir, "tone" + std::to_string(100 + i) + ".wav");
    SoundManager sounds;
    CaptureStdout([&] { sounds.LoadDirectory(dir.Path()); });
    for (int i = 0; i < 40; ++i) {
        sounds.PlaySound("tone" + std::to_string(100 + i) + ".wav", 0.5f, 0);
        sounds.Update();
    }
    std::vector<std::string> playing = sounds.PlayingEffects();
    ASSERT_EQ(size_t(SoundManager::kVoices), playing.size());
    std::sort(playing.begin(), playing.end());
    EXPECT_EQ("tone108.wav", playing.front());  // the first eight gave way
    EXPECT_EQ("tone139.wav", playing.back());

    sounds.StopAll();
    for (int i = 0; i < 30; ++i)
        sounds.PlaySound("tone100.wav", 0.2f, 0);
    sounds.Update();
    EXPECT_EQ(std::vector<std::string>{"tone100.wav"}, sounds.PlayingEffects());
}

TEST(SoundManagerTest, WithoutADeviceOrAFileEachProblemIsOneLine)
{
    TempDir dir;
    WriteTone(dir, "tone.wav");
    dir.Write("notes.wav", "not a sound at all\n");
    dir.Write("empty.ogg", "");
    const std::string out = CaptureStdout([&] {
        SoundManager sounds(true, "no such output device");
        EXPECT_FALSE(sounds.HasDevice());
        sounds.LoadDirectory(dir.Path());
        for (int i = 0; i < 3; ++i)
            for (const char* name : {"missing.wav", "notes.wav", "tone.wav"})
                sounds.PlaySound(name, 1, 0);
        // Music is only what the directory listed: a script's name cannot lead out of it.
        sounds.PlayMusic("../" + dir.Path().substr(dir.Path().rfind('/', dir.Path().size() - 2) + 1) + "tone.wav");
        sounds.PlayMusic("tone.wav");  // a short file is an effect, and plays as music too
    });
    EXPECT_EQ(std::string::npos, out.find("Missing sound " + dir.Path() + "tone.wav")) << out;
    for (const std::string& line : {"  Could not decode sound " + dir.Path() + "empty.ogg: ",
                                    "  Could not decode sound " + dir.Path() + "notes.wav: ",
                                    "  " + dir.Path() + "tone.wav\n", "Missing sound " + dir.Path() + "missing.wav\n",
                                    "Missing sound " + dir.Path() + "notes.wav\n",
                                    "Missing sound " + dir.Path() + "../", std::string("No audio device")}) {
        const size_t at = out.find(line);
        EXPECT_NE(std::string::npos, at) << line << "\n" << out;
        EXPECT_EQ(std::string::npos, out.find(line, at + 1)) << "twice: " << line;
    }
}
