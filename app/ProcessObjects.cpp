#include "app/ProcessObjects.h"

// One translation unit, so the definition order below is the construction order.
StoredOptionsParameter_long EnableFPS("EnableFPS", 0);
StoredOptionsParameter_long EnableVSync("EnableVSync", 1);
StoredOptionsParameter_paths SlideshowPictures("SlideshowPictures");

namespace {
StoredOptionsParameter* const kAllOptions[] = {&EnableFPS, &EnableVSync, &SlideshowPictures, nullptr};
}

OptionsStore TheOptionsStore("Zentharis screensaver", kAllOptions);
FpsMeter TheFpsMeter;
EventLog TheEventLog;
