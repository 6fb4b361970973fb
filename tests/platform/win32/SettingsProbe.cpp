// A stand-in for the settings dialog in the Wine checks: prints the three settings as
// the program loaded them at start, or, given three texts, stores them the way
// "Confirm settings" does.
#include <cstdio>
#include <string>

#include "app/ProcessObjects.h"

int main(int argc, char** argv)
{
    if (argc == 4) {
        EnableFPS.LoadFromText(argv[1]);
        EnableVSync.LoadFromText(argv[2]);
        SlideshowPictures.LoadFromText(argv[3]);
        return TheOptionsStore.Save() == 0 ? 0 : 1;
    }
    std::string pictures;
    SlideshowPictures.SaveToText(&pictures);
    std::printf("EnableFPS=%d\nEnableVSync=%d\nSlideshowPictures=%s\n", static_cast<int>(EnableFPS.Value()),
                static_cast<int>(EnableVSync.Value()), pictures.c_str());
    return 0;
}
