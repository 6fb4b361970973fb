// The two sound objects on a real OpenAL Soft device (ctest selects its null output).
#include "sound/SceneSoundClass.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/ApplicationState.h"
#include "app/ProcessObjects.h"
#include "sound/SoundBuffer.h"
#include "sound/SoundManager.h"
#include "sound/WingsSoundClass.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/TestSupport.h"

namespace {

// ctest asks for OpenAL Soft's null output; a run by hand gets it too.
const bool kNullOutput = SetTestEnvironment("ALSOFT_DRIVERS", "null", false);

std::string LogText()
{
    return ReadTextFile(TestCaseLogPath());
}

}  // namespace

TEST(SceneSoundClass, StartsLoopingAtMinus4000AndStepsOncePerUpdate)
{
    std::srand(3);
    SoundManager manager(0);
    ASSERT_TRUE(manager.IsReady());
    TheApplicationState.soundManager = &manager;
    {
        SceneSoundClass sound;
        ASSERT_TRUE(sound.IsReady());
        EXPECT_EQ(manager.BufferCount(), 1u);
        EXPECT_EQ(sound.Buffer()->Volume(), -4000);
        EXPECT_TRUE(sound.Buffer()->IsPlaying());
        // Each update hands the buffer the volume from before its step.
        for (int i = 0; i < 2000; ++i) {
            const int expected = sound.Level().Volume();
            sound.Update(16);
            ASSERT_EQ(sound.Buffer()->Volume(), expected);
        }
    }
    // Destroying the object leaves the buffer to the manager.
    EXPECT_EQ(manager.BufferCount(), 1u);
    TheApplicationState.soundManager = nullptr;
}

TEST(WingsSoundClass, ParksFarAwayAtMinus600AndPlaysOnAClimbAfterThreeSeconds)
{
    SoundManager manager(0);
    ASSERT_TRUE(manager.IsReady());
    TheApplicationState.soundManager = &manager;
    {
        WingsSoundClass wings;
        ASSERT_TRUE(wings.IsReady());
        EXPECT_EQ(wings.Buffer()->Volume(), -600);
        EXPECT_DOUBLE_EQ(wings.Buffer()->Position().x, 100.0);
        EXPECT_FALSE(wings.Buffer()->IsPlaying());

        wings.Update(Vector3(0.0, 2.0, 0.0), 3001);  // a climb, but the clock was 0
        EXPECT_FALSE(wings.Buffer()->IsPlaying());
        EXPECT_DOUBLE_EQ(wings.Buffer()->Position().y, 2.0);
        wings.Update(Vector3(0.1, 2.1, -0.5), 16);
        EXPECT_TRUE(wings.Buffer()->IsPlaying());
        EXPECT_DOUBLE_EQ(wings.Buffer()->Position().z, -0.5);
        EXPECT_EQ(wings.Trigger().Clock(), 16u);
    }
    TheApplicationState.soundManager = nullptr;
}

TEST(SceneSoundClass, WithoutTheSampleEachObjectWritesItsErrorAndIsNotReady)
{
    TheApplicationState.soundManager = nullptr;
    SceneSoundClass scene;
    EXPECT_FALSE(scene.IsReady());
    WingsSoundClass wings;
    EXPECT_FALSE(wings.IsReady());
    wings.Update(Vector3(0.0, 5.0, 0.0), 5000);  // harmless without a buffer
    ASSERT_NE(TheEventLog.UserErrorText(), nullptr);
    EXPECT_STREQ(TheEventLog.UserErrorText(), "Error of initialization");
    const std::string log = LogText();
    EXPECT_NE(log.find("Can not create SceneSoundClass object"), std::string::npos);
    EXPECT_NE(log.find("Can not create WingsSoundClass object"), std::string::npos);
}
