#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/ScreenSaverHost.h"

int main(int argc, char** argv)
{
    std::string commandText;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            commandText += ' ';
        commandText += argv[i];
    }
    const int code = ScreenSaverMain(commandText.c_str());
    std::fflush(nullptr);
    std::_Exit(code & 0xFF);
}
