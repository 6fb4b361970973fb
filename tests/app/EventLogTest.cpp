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
