#include "app/EventLog.h"

#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

TEST(EventLogTest, WritesPrefixedRecordsAndFlushesEachOne)
{
    const std::string path = MakeTestFolder("EventLogRecords") + "/saver.log";
    EventLog log(path);
    ASSERT_TRUE(log.IsOpen());
    log.Write(1, "broken");
    log.Write(7, "odd");
    log.WriteValue(0, "FPS = %g", 59.5);
    // Read while the log is still open: every record must already be on disk.
    EXPECT_EQ(ReadTextFile(path),
              "   Notify : Application has run\n"
              "(!)Error : broken\n"
              "Unlabel record : odd\n"
              "   Notify : FPS = 59.5\n");
}

TEST(EventLogTest, FirstUserTextWinsEvenWithoutAFile)
{
    EventLog log("");
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(log.UserErrorText(), nullptr);
    static const char kNoGl[] = "Sorry, this application requires OpenGL 2.0";
    static const char kGeneric[] = "Error of initialization";
    EXPECT_EQ(log.WriteError(1, "Can not initialize OpenGL 2.0", kNoGl), nullptr);
    EXPECT_EQ(log.WriteError(0, "Error of common initialization", kGeneric), kNoGl);
    EXPECT_EQ(log.UserErrorText(), kNoGl);
}

TEST(EventLogTest, APictureNotShownIsNoticedOncePerFileAndThousandsAreCounted)
{
    const std::string path = MakeTestFolder("EventLogPictures") + "/saver.log";
    EventLog log(path);
    // The loader comes back to a bad file on every pass over the collection.
    for (int pass = 0; pass < 3; ++pass) {
        log.WritePictureNotShown("/photos/cut.jpg", "damaged");
        log.WritePictureNotShown("/photos/huge.png", "too large");
    }
    std::string text = ReadTextFile(path);
    EXPECT_EQ(text,
              "   Notify : Application has run\n"
              "   Notify : Picture is not shown (damaged): /photos/cut.jpg\n"
              "   Notify : Picture is not shown (too large): /photos/huge.png\n");
    // A folder of 50,000 bad files: the log stops listing them and says how many more.
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 50000; ++i)
            log.WritePictureNotShown("/photos/bad/" + std::to_string(i) + ".jpg", "not a picture format");
    }
    log.WriteUnlistedPictureCount();
    text = ReadTextFile(path);
    std::size_t records = 0;
    for (char c : text)
        records += c == '\n';
    EXPECT_EQ(records, 1u + EventLog::kMaxPictureNotices + 2u);
    EXPECT_NE(text.find("Picture is not shown (not a picture format): /photos/bad/97.jpg\n"), std::string::npos);
    EXPECT_EQ(text.find("/photos/bad/98.jpg"), std::string::npos);
    EXPECT_NE(text.find("   Notify : Further pictures that are not shown are counted, not listed\n"
                        "   Notify : 49902 more pictures were not shown\n"),
              std::string::npos)
        << text.substr(text.size() - 200);
}

TEST(EventLogTest, RestartBeginsANewFileAndForgetsTheLastRun)
{
    const std::string folder = MakeTestFolder("EventLogRestart");
    EventLog log(folder + "/first.log");
    log.WriteError(1, "broken", "Error of initialization");
    log.WritePictureNotShown("/photos/cut.jpg", "damaged");
    log.Restart(folder + "/second.log");
    EXPECT_EQ(log.UserErrorText(), nullptr);
    log.WritePictureNotShown("/photos/cut.jpg", "damaged");
    log.Write(0, "after");
    EXPECT_EQ(ReadTextFile(folder + "/first.log"),
              "   Notify : Application has run\n"
              "(!)Error : broken\n"
              "   Notify : Picture is not shown (damaged): /photos/cut.jpg\n");
    EXPECT_EQ(ReadTextFile(folder + "/second.log"),
              "   Notify : Application has run\n"
              "   Notify : Picture is not shown (damaged): /photos/cut.jpg\n"
              "   Notify : after\n");
    log.Restart("");
    EXPECT_FALSE(log.IsOpen());
}

TEST(EventLogTest, LogPathReplacesOrAppendsTheExtension)
{
    EXPECT_EQ(EventLog::LogPathFor("/opt/saver/zentharis.scr"), "/opt/saver/zentharis.log");
    EXPECT_EQ(EventLog::LogPathFor("/usr/bin/zentharis"), "/usr/bin/zentharis.log");
    EXPECT_EQ(EventLog::LogPathFor("/home/a.b/zentharis"), "/home/a.b/zentharis.log");
    EXPECT_EQ(EventLog::LogPathFor("/home/me/.saver"), "/home/me/.saver.log");
    EXPECT_EQ(EventLog::LogPathFor("C:\\Windows\\System32\\zentharis.scr"), "C:\\Windows\\System32\\zentharis.log");
    EXPECT_EQ(EventLog::LogPathFor("C:\\a.b\\zentharis"), "C:\\a.b\\zentharis.log");
    EXPECT_EQ(EventLog::LogPathFor("C:/a.b\\zentharis"), "C:/a.b\\zentharis.log");
    const std::string longPath = "/" + std::string(300, 'd') + "/zentharis";
    EXPECT_EQ(EventLog::LogPathFor(longPath), longPath + ".log");
}
