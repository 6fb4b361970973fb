// Records what the sound layer plays through OpenAL Soft's wave output and measures
// the file: volume steps in decibels, the distance law, and left/right placement.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Resources.h"
#include "sound/SoundBuffer.h"
#include "sound/SoundManager.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/TestSupport.h"

namespace {

struct Recording {
    int channels = 0;
    int rate = 0;
    std::vector<std::int16_t> samples;  // interleaved
};

std::uint32_t Little32(const std::string& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

// 16-bit RIFF WAVE: the "fmt " chunk's channels and rate, the "data" chunk's samples.
bool ReadWave(const std::string& path, Recording* out)
{
    const std::string bytes = ReadWholeFile(path);
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id = bytes.substr(at, 4);
        const std::size_t size = Little32(bytes, at + 4);
        const std::size_t body = at + 8;
        if (id == "fmt " && body + 16 <= bytes.size()) {
            out->channels = static_cast<unsigned char>(bytes[body + 2]);
            out->rate = static_cast<int>(Little32(bytes, body + 4));
        } else if (id == "data") {
            const std::size_t length = std::min(size, bytes.size() - body) / 2;
            out->samples.resize(length);
            for (std::size_t i = 0; i < length; ++i)
                out->samples[i] = static_cast<std::int16_t>(
                    static_cast<unsigned char>(bytes[body + 2 * i]) |
                    static_cast<unsigned char>(bytes[body + 2 * i + 1]) << 8);
            return out->channels > 0 && out->rate > 0;
        }
        at = body + size + (size & 1);
    }
    return false;
}

// RMS level in dB below full scale of one channel from start to end seconds.
double LevelDb(const Recording& recording, int channel, double start, double end)
{
    const std::size_t first = static_cast<std::size_t>(start * recording.rate);
    const std::size_t last = static_cast<std::size_t>(end * recording.rate);
    double sum = 0.0;
    std::size_t count = 0;
    for (std::size_t frame = first; frame < last; ++frame) {
        const std::size_t index = frame * recording.channels + channel;
        if (index >= recording.samples.size())
            break;
        const double value = recording.samples[index] / 32768.0;
        sum += value * value;
        ++count;
    }
    return count == 0 ? -200.0 : 10.0 * std::log10(sum / count + 1e-20);
}

void Hold(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace

TEST(SoundRecording, VolumeDistanceAndSideComeOutInTheRecordedFile)
{
    const std::string folder = MakeTestFolder("SoundRecording");
    const std::string wave = folder + "/recorded.wav";
    {
        std::ofstream config(folder + "/alsoft.conf");
        config << "[general]\ndrivers=wave\nfrequency=44100\nchannels=stereo\nsample-type=int16\n"
                  "hrtf=false\n[wave]\nfile="
               << wave << "\n";
    }
    // Read by OpenAL Soft when it starts, which is at the first device below.
    SetTestEnvironment("ALSOFT_CONF", (folder + "/alsoft.conf").c_str());
    SetTestEnvironment("ALSOFT_DRIVERS", "wave");

    const int segmentMs = 1000;
    {
        SoundManager manager(0);
        ASSERT_TRUE(manager.IsReady());
        SoundBuffer* ambient = manager.LoadSample(132);
        SoundBuffer* wings = manager.LoadSample(133);
        ASSERT_NE(ambient, nullptr);
        ASSERT_NE(wings, nullptr);

        // 0-1 s: the loop at -40 dB at the listener; 1-2 s: at -24 dB.
        ambient->SetVolume(-4000);
        ambient->PlayLooping();
        Hold(segmentMs);
        ambient->SetVolume(-2400);
        Hold(segmentMs);
        // 2-3 s: at -24 dB one unit ahead (the scene's -z); 3-4 s: four units ahead.
        ambient->SetPosition(Vector3(0.0, 0.0, -1.0));
        Hold(segmentMs);
        ambient->SetPosition(Vector3(0.0, 0.0, -4.0));
        Hold(segmentMs);
        ambient->SetVolume(-10000);
        // 4-5.2 s: the wing one-shot two units to the right; from 5.4 s: to the left.
        // (Started again while it still plays, it would only go on to its end.)
        wings->SetVolume(0);
        wings->SetPosition(Vector3(2.0, 0.0, 0.0));
        wings->PlayOnce();
        Hold(1400);
        EXPECT_FALSE(wings->IsPlaying());
        wings->SetPosition(Vector3(-2.0, 0.0, 0.0));
        wings->PlayOnce();
        Hold(1400);
    }  // closing the device completes the file

    Recording recording;
    ASSERT_TRUE(ReadWave(wave, &recording)) << wave;
    ASSERT_EQ(recording.channels, 2);
    ASSERT_EQ(recording.rate, 44100);
    ASSERT_GT(recording.samples.size(), static_cast<std::size_t>(6.6 * 44100 * 2));

    // The sample's own level, the same measure on its raw bytes.
    Recording sample;
    sample.channels = 1;
    sample.rate = 44100;
    platform::ResourceBytes bytes;
    ASSERT_TRUE(platform::FindResourceBytes("SoundSamples", 132, &bytes));
    for (std::size_t i = 0; i + 1 < bytes.size; i += 2)
        sample.samples.push_back(static_cast<std::int16_t>(bytes.data[i] | bytes.data[i + 1] << 8));
    const double own = LevelDb(sample, 0, 0.0, 1.0);

    const double quiet = LevelDb(recording, 0, 0.3, 0.9);
    const double louder = LevelDb(recording, 0, 1.3, 1.9);
    const double near = LevelDb(recording, 0, 2.3, 2.9);
    const double far = LevelDb(recording, 0, 3.3, 3.9);
    const double rightOfRightSound = LevelDb(recording, 1, 4.1, 4.9);
    const double leftOfRightSound = LevelDb(recording, 0, 4.1, 4.9);
    const double rightOfLeftSound = LevelDb(recording, 1, 5.5, 6.3);
    const double leftOfLeftSound = LevelDb(recording, 0, 5.5, 6.3);
    std::printf("sample %.1f dB; at -40 dB: %.1f, at -24 dB: %.1f; 1 unit ahead %.1f, 4 units %.1f;\n"
                "at +x left/right %.1f/%.1f, at -x left/right %.1f/%.1f\n",
                own, quiet, louder, near, far, leftOfRightSound, rightOfRightSound, leftOfLeftSound,
                rightOfLeftSound);

    // -4000 is 40 dB down; OpenAL Soft's stereo panner gives a centred mono sound about
    // 4.4 dB less in each channel.
    EXPECT_GT(own - quiet, 40.0);
    EXPECT_LT(own - quiet, 46.0);
    EXPECT_NEAR(louder - quiet, 16.0, 0.5);
    // Within one unit the sound is at full distance gain; at four units 1/4 (12 dB).
    EXPECT_NEAR(near, louder, 0.5);
    EXPECT_NEAR(near - far, 12.0, 0.7);
    EXPECT_GT(rightOfRightSound - leftOfRightSound, 6.0);
    EXPECT_GT(leftOfLeftSound - rightOfLeftSound, 6.0);
}
