// Runs on a real OpenAL Soft device: ctest selects its null output (ALSOFT_DRIVERS=null).
#include "sound/SoundManager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "sound/SoundBuffer.h"
#include "tests/support/TestPlatform.h"

namespace {

// ctest asks for OpenAL Soft's null output; a run by hand gets it too.
const bool kNullOutput = SetTestEnvironment("ALSOFT_DRIVERS", "null", false);

}  // namespace

TEST(SoundManager, CreateBufferGivesNoneForZeroOrFewerBytesAndKeepsWhatItMakes)
{
    SoundManager manager(0);
    ASSERT_TRUE(manager.IsReady());
    EXPECT_EQ(manager.CreateBuffer(0), nullptr);
    EXPECT_EQ(manager.CreateBuffer(-2), nullptr);
    EXPECT_EQ(manager.BufferCount(), 0u);

    SoundBuffer* buffer = manager.CreateBuffer(100);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(manager.BufferCount(), 1u);
    void* data = nullptr;
    int bytes = 0;
    ASSERT_EQ(buffer->Lock(&data, &bytes), 0);
    EXPECT_EQ(bytes, 100);
    // A fresh buffer is silent.
    const unsigned char* samples = static_cast<const unsigned char*>(data);
    for (int i = 0; i < bytes; ++i)
        ASSERT_EQ(samples[i], 0);
    EXPECT_EQ(buffer->Lock(&data, &bytes), 1);  // already locked
    EXPECT_EQ(buffer->Unlock(), 0);
    EXPECT_EQ(buffer->Unlock(), 0);  // nothing locked: nothing to do
}

TEST(SoundManager, LoadsBothSamplesAtTheirOwnSizesAndRefusesOthers)
{
    SoundManager manager(0);
    ASSERT_TRUE(manager.IsReady());
    SoundBuffer* ambient = manager.LoadSample(132);
    SoundBuffer* wings = manager.LoadSample(133);
    ASSERT_NE(ambient, nullptr);
    ASSERT_NE(wings, nullptr);
    void* data = nullptr;
    int bytes = 0;
    ASSERT_EQ(ambient->Lock(&data, &bytes), 0);
    EXPECT_EQ(bytes, 88200);
    ambient->Unlock();
    ASSERT_EQ(wings->Lock(&data, &bytes), 0);
    EXPECT_EQ(bytes, 105512);
    wings->Unlock();
    EXPECT_FALSE(ambient->IsPlaying());  // loading does not start a sample

    EXPECT_EQ(manager.LoadSample(999), nullptr);
    // Three bytes do not make whole 16-bit samples: the buffer holds two, so the sample
    // is not used and its buffer is dropped again.
    const unsigned char odd[3] = {1, 2, 3};
    EXPECT_EQ(manager.LoadSampleBytes(odd, sizeof odd), nullptr);
    EXPECT_EQ(manager.BufferCount(), 2u);
}

TEST(SoundManager, PlayingAgainGoesOnFromWhereItIsAndVolumeStaysInRange)
{
    SoundManager manager(0);
    ASSERT_TRUE(manager.IsReady());
    SoundBuffer* wings = manager.LoadSample(133);
    ASSERT_NE(wings, nullptr);
    wings->PlayOnce();
    EXPECT_TRUE(wings->IsPlaying());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int before = wings->PlayPosition();
    EXPECT_GT(before, 0);
    wings->PlayOnce();
    EXPECT_TRUE(wings->IsPlaying());
    EXPECT_GE(wings->PlayPosition(), before);

    wings->SetVolume(-600);
    EXPECT_EQ(wings->Volume(), -600);
    wings->SetVolume(100);  // above full: refused
    wings->SetVolume(-10001);
    EXPECT_EQ(wings->Volume(), -600);
    wings->SetVolume(-10000);
    EXPECT_EQ(wings->Volume(), -10000);

    wings->SetPosition(Vector3(1.0, 2.0, 3.0));
    EXPECT_DOUBLE_EQ(wings->Position().z, 3.0);

    // A one-shot runs out by itself; a looped sample does not.
    SoundBuffer* ambient = manager.LoadSample(132);
    ASSERT_NE(ambient, nullptr);
    ambient->PlayLooping();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_FALSE(wings->IsPlaying());
    EXPECT_TRUE(ambient->IsPlaying());
}

TEST(SoundManager, WithoutAnOutputDeviceItPlaysSilentlyInRealTime)
{
    // OpenAL reads its driver list once per process, so each case runs in a fresh one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            SetTestEnvironment("ALSOFT_DRIVERS", "no-such-output");
            SoundManager* manager = new SoundManager(0);
            bool silentAndWorking = manager->IsReady() && manager->IsSilent();
            SoundBuffer* wings = manager->LoadSample(133);  // about 1.2 s
            silentAndWorking = silentAndWorking && wings != nullptr;
            if (silentAndWorking) {
                wings->PlayOnce();
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                silentAndWorking = wings->IsPlaying() && wings->PlayPosition() > 0;
                // The silent output keeps time as a sound card does: a one-shot ends.
                for (int i = 0; i < 60 && wings->IsPlaying(); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                silentAndWorking = silentAndWorking && !wings->IsPlaying();
            }
            delete manager;
            std::exit(silentAndWorking ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            SoundManager manager(0);  // OpenAL Soft's own null output is a device
            std::exit(manager.IsReady() && !manager.IsSilent() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
