#include "app/DaemonCommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

DaemonCommandLine Parse(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "zentharis");
    return ParseDaemonCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

}  // namespace

TEST(DaemonCommandLineTest, WindowIdsAreHexadecimalWithPrefixOrDecimal)
{
    platform::WindowHandle window = 0;
    EXPECT_TRUE(ParseDaemonWindowId("0x2a00007", &window));
    EXPECT_EQ(window, 0x2a00007u);
    EXPECT_TRUE(ParseDaemonWindowId("0XfF", &window));
    EXPECT_EQ(window, 255u);
    EXPECT_TRUE(ParseDaemonWindowId("44040199", &window));
    EXPECT_EQ(window, 44040199u);
    EXPECT_TRUE(ParseDaemonWindowId("4294967295", &window));
    EXPECT_EQ(window, 0xFFFFFFFFu);

    window = 77;
    for (const char* bad : {"", "0", "0x", "0x0", "x12", "12abc", "0x12g", "-5", " 5", "5 ", "4294967296",
                            "0x100000000", "99999999999999999999999"})
        EXPECT_FALSE(ParseDaemonWindowId(bad, &window)) << bad;
    EXPECT_FALSE(ParseDaemonWindowId(nullptr, &window));
    EXPECT_EQ(window, 77u);  // untouched by a refused text
}

TEST(DaemonCommandLineTest, DaemonSwitchesWithOneOrTwoDashes)
{
    DaemonCommandLine line = Parse({"-root"});
    EXPECT_TRUE(line.recognised && line.valid);
    EXPECT_EQ(line.target, DaemonCommandLine::Target::Root);
    EXPECT_EQ(line.showFps, -1);

    line = Parse({"--window-id", "0x400001", "--fps"});
    EXPECT_TRUE(line.recognised && line.valid);
    EXPECT_EQ(line.target, DaemonCommandLine::Target::WindowId);
    EXPECT_EQ(line.windowId, 0x400001u);
    EXPECT_EQ(line.showFps, 1);

    line = Parse({"-fps", "-root", "-no-fps"});  // options in any order, the last one holds
    EXPECT_TRUE(line.valid);
    EXPECT_EQ(line.showFps, 0);
}

TEST(DaemonCommandLineTest, ScreenSaverSwitchesAreLeftToTheClassicReading)
{
    for (std::vector<const char*> arguments :
         std::vector<std::vector<const char*>>{{}, {"/s"}, {"-s"}, {"/p", "123"}, {"-p123"}, {"/c:5"}, {"-rootx"},
                                               {"---root"}, {"root"}, {"/root"}})
        EXPECT_FALSE(Parse(arguments).recognised) << (arguments.empty() ? "" : arguments[0]);
}

TEST(DaemonCommandLineTest, LinesThatCannotBeFollowedAreInvalid)
{
    for (std::vector<const char*> arguments : std::vector<std::vector<const char*>>{
             {"-window-id"}, {"-window-id", "0"}, {"-window-id", "abc"}, {"-window-id", "-root"},
             {"-root", "-window-id", "5"}, {"-root", "-root"}, {"-fps"}, {"-no-fps"},
             {"-root", "-bogus"}, {"-root", "/s"}, {"-root", "extra"}}) {
        const DaemonCommandLine line = Parse(arguments);
        EXPECT_TRUE(line.recognised) << arguments[0];
        EXPECT_FALSE(line.valid) << arguments[0] << " " << arguments.size();
    }
}
