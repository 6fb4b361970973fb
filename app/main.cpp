#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/DaemonCommandLine.h"
#include "app/ScreenSaverHost.h"

int main(int argc, char** argv)
{
    const DaemonCommandLine daemonLine = ParseDaemonCommandLine(argc, argv);
    if (daemonLine.recognised) {
        const int code = RunDaemonCommandLine(daemonLine, std::getenv("XSCREENSAVER_WINDOW"));
        std::fflush(nullptr);
        std::_Exit(code & 0xFF);
    }

    std::string commandText;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            commandText += ' ';
        commandText += argv[i];
    }
    // Control characters and spaces before the first switch are skipped, as the
    // screen-saver command line allows.
    std::size_t start = 0;
    while (start < commandText.size() && commandText[start] >= 0x01 && commandText[start] <= 0x20)
        ++start;
    const int code = ScreenSaverMain(commandText.c_str() + start);
    std::fflush(nullptr);
    // Static objects are not destroyed: the render thread may still hold some of them.
    std::_Exit(code & 0xFF);
}
