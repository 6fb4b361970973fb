// Decodes each picture named on the command line as the saver's loader does, in one
// process, and prints a line for each: "decoded <width>x<height> <path>" or
// "refused (<why>) <path>", why in the log's words. The checks use it to learn what
// this system's decoder makes of a collection before the saver is shown it.
//   DecodeOutcomes FILE...
#include <cstdio>

#include "settings/CImage.h"

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        CImage picture;
        if (picture.Load(argv[i]) == CImage::kResultOk)
            std::printf("decoded %dx%d %s\n", picture.GetWidth(), picture.GetHeight(), argv[i]);
        else
            std::printf("refused (%s) %s\n", PictureFailureText(picture.LoadFailure()), argv[i]);
        std::fflush(stdout);
    }
    return 0;
}
