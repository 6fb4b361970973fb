#include "app/DaemonCommandLine.h"

#include <cstdint>
#include <cstring>

namespace {

// The switch's name without its one or two leading dashes; null when it has none.
const char* SwitchName(const char* argument)
{
    if (argument == nullptr || argument[0] != '-')
        return nullptr;
    return argument[1] == '-' ? argument + 2 : argument + 1;
}

bool Is(const char* name, const char* expected) { return name != nullptr && std::strcmp(name, expected) == 0; }

bool IsDaemonSwitch(const char* name)
{
    return Is(name, "root") || Is(name, "window-id") || Is(name, "fps") || Is(name, "no-fps");
}

int DigitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

}  // namespace

bool ParseDaemonWindowId(const char* text, platform::WindowHandle* window)
{
    if (text == nullptr)
        return false;
    int base = 10;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text += 2;
    }
    if (*text == '\0')
        return false;
    std::uint64_t value = 0;
    for (; *text != '\0'; ++text) {
        const int digit = DigitValue(*text, base);
        if (digit < 0)
            return false;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (value > 0xFFFFFFFFu)
            return false;
    }
    if (value == 0)
        return false;
    *window = static_cast<platform::WindowHandle>(value);
    return true;
}

DaemonCommandLine ParseDaemonCommandLine(int argc, const char* const* argv)
{
    DaemonCommandLine line;
    if (argc < 2 || !IsDaemonSwitch(SwitchName(argv[1])))
        return line;
    line.recognised = true;
    bool understood = true;
    int targets = 0;
    for (int i = 1; i < argc && understood; ++i) {
        const char* name = SwitchName(argv[i]);
        if (Is(name, "root")) {
            line.target = DaemonCommandLine::Target::Root;
            ++targets;
        } else if (Is(name, "window-id")) {
            line.target = DaemonCommandLine::Target::WindowId;
            ++targets;
            understood = i + 1 < argc && ParseDaemonWindowId(argv[++i], &line.windowId);
        } else if (Is(name, "fps")) {
            line.showFps = 1;
        } else if (Is(name, "no-fps")) {
            line.showFps = 0;
        } else {
            understood = false;
        }
    }
    line.valid = understood && targets == 1;
    return line;
}

const char* DaemonUsageText()
{
    return "usage: zentharis -root | -window-id ID [-fps | -no-fps]\n"
           "       zentharis /s | /p ID | /c\n";
}
