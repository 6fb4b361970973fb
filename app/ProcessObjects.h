#pragma once

#include "app/EventLog.h"
#include "app/FpsMeter.h"
#include "settings/OptionsStore.h"
#include "settings/StoredOptionsParameter_long.h"
#include "settings/StoredOptionsParameter_paths.h"

// The process-wide objects, constructed before the host runs in this order: the three
// options, the store (which loads them), the frame-rate meter, the log.
extern StoredOptionsParameter_long EnableFPS;
extern StoredOptionsParameter_long EnableVSync;
extern StoredOptionsParameter_paths SlideshowPictures;
extern OptionsStore TheOptionsStore;
extern FpsMeter TheFpsMeter;
extern EventLog TheEventLog;
