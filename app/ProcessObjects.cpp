#include "app/ProcessObjects.h"

#include "platform/StopRequests.h"

// One translation unit, so the definition order below is the construction order. The
// system's stop requests are caught before anything else: reading the settings and
// opening the log are already covered.
static const bool StopRequestsCaught = (platform::CatchStopRequests(), true);
StoredOptionsParameter_long EnableFPS("EnableFPS", 0);
StoredOptionsParameter_long EnableVSync("EnableVSync", 1);
StoredOptionsParameter_paths SlideshowPictures("SlideshowPictures");

namespace {
StoredOptionsParameter* const kAllOptions[] = {&EnableFPS, &EnableVSync, &SlideshowPictures, nullptr};
}

OptionsStore TheOptionsStore("Zentharis screensaver", kAllOptions);
FpsMeter TheFpsMeter;
EventLog TheEventLog;
