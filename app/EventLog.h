#pragma once

#include <cstddef>
#include <cstdio>
#include <mutex>
#include <string>
#include <unordered_set>

// A plain-text trace of the run beside the executable (or in the user's state folder
// when the executable's folder cannot be written), truncated at every start, and the
// first error text meant for the user.
class EventLog {
public:
    // Opens the log for the running executable.
    EventLog();
    // Opens the log at the given path (empty: no file).
    explicit EventLog(const std::string& logPath);

    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // level 0 is a notice, 1 an error, anything else an unlabelled record.
    void Write(int level, const char* text);
    // format holds a single %g conversion.
    void WriteValue(int level, const char* format, double value);
    // Writes the record, then keeps userText when no user text is kept yet; returns the
    // text that was kept before. The texts are constants and are not copied.
    const char* WriteError(int level, const char* text, const char* userText);
    const char* UserErrorText() const { return userText_; }

    // A picture that is not shown leaves one notice per file and run, with its path and
    // the reason; past kMaxPictureNotices files they are only counted, so a folder of
    // thousands of bad files cannot grow the log without end. Any thread may call it.
    static constexpr int kMaxPictureNotices = 100;
    void WritePictureNotShown(const std::string& path, const char* reason);
    // How many more files were not shown than were listed, when there were any.
    void WriteUnlistedPictureCount();

    bool IsOpen() const { return file_ != nullptr; }

    // Closes the file and starts anew at the given path (empty: no file), with no user
    // text and no picture noticed yet, as a new run does. Test programs give each test
    // case a log of its own with it; the saver itself keeps one log per run.
    void Restart(const std::string& logPath);

    // The executable's path with its extension replaced by ".log", or ".log" appended
    // when its name has no extension.
    static std::string LogPathFor(const std::string& executablePath);

private:
    void Open(const std::string& logPath);

    std::FILE* file_ = nullptr;
    const char* userText_ = nullptr;
    std::mutex picturesLock_;
    std::unordered_set<std::size_t> picturesNotShown_;  // hashes of the paths
    long unlistedPictures_ = 0;
};
