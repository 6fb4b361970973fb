#include "app/EventLog.h"

#include "platform/ExecutablePath.h"
#include "platform/FileSystem.h"
#include "platform/LogFile.h"

namespace {

const char* PrefixFor(int level)
{
    switch (level) {
    case 0:
        return "   Notify : ";
    case 1:
        return "(!)Error : ";
    default:
        return "Unlabel record : ";
    }
}

}  // namespace

EventLog::EventLog()
{
    const std::string besideExecutable = LogPathFor(platform::ExecutablePath());
    Open(besideExecutable);
    // An installed program's folder is not its user's to write.
    if (file_ == nullptr && !besideExecutable.empty()) {
        const std::string folder = platform::UserStateFolder();
        if (!folder.empty())
            Open(folder + platform::kPathSeparator +
                 besideExecutable.substr(besideExecutable.find_last_of(platform::kPathSeparator) + 1));
    }
}

EventLog::EventLog(const std::string& logPath) { Open(logPath); }

void EventLog::Restart(const std::string& logPath)
{
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
    userText_ = nullptr;
    {
        std::lock_guard<std::mutex> hold(picturesLock_);
        picturesNotShown_.clear();
        unlistedPictures_ = 0;
    }
    Open(logPath);
}

void EventLog::Open(const std::string& logPath)
{
    if (logPath.empty())
        return;
    file_ = platform::CreateLogFile(logPath);
    if (file_ != nullptr)
        Write(0, "Application has run");
}

std::string EventLog::LogPathFor(const std::string& executablePath)
{
    if (executablePath.empty())
        return std::string();
    // Either separator: Windows accepts both.
    const std::size_t slash = executablePath.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = executablePath.find_last_of('.');
    // A leading dot names a hidden file rather than starting an extension.
    if (dot == std::string::npos || dot <= nameStart)
        return executablePath + ".log";
    return executablePath.substr(0, dot) + ".log";
}

void EventLog::Write(int level, const char* text)
{
    if (file_ == nullptr)
        return;
    // One call per record: loader threads write too, and stdio locks each call.
    std::string record = PrefixFor(level);
    record += text;
    record += '\n';
    std::fputs(record.c_str(), file_);
    std::fflush(file_);
}

void EventLog::WritePictureNotShown(const std::string& path, const char* reason)
{
    std::lock_guard<std::mutex> hold(picturesLock_);
    if (!picturesNotShown_.insert(std::hash<std::string>()(path)).second)
        return;
    const std::size_t listed = picturesNotShown_.size();
    if (listed > static_cast<std::size_t>(kMaxPictureNotices)) {
        ++unlistedPictures_;
        return;
    }
    Write(0, ("Picture is not shown (" + std::string(reason) + "): " + path).c_str());
    if (listed == static_cast<std::size_t>(kMaxPictureNotices))
        Write(0, "Further pictures that are not shown are counted, not listed");
}

void EventLog::WriteUnlistedPictureCount()
{
    std::lock_guard<std::mutex> hold(picturesLock_);
    if (unlistedPictures_ > 0)
        Write(0, (std::to_string(unlistedPictures_) + " more pictures were not shown").c_str());
}

void EventLog::WriteValue(int level, const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    Write(level, text);
}

const char* EventLog::WriteError(int level, const char* text, const char* userText)
{
    Write(level, text);
    const char* previous = userText_;
    if (userText_ == nullptr)
        userText_ = userText;
    return previous;
}
