#pragma once

#include <cstdio>
#include <string>

// Where the event log can be written. An installed program's own folder is usually not
// writable by its user, and a log must never keep the saver from starting.
namespace platform {

// A fresh, empty text file at path for appending records (created, or truncated when it
// exists); null when it cannot be had. Never waits: anything but a plain file in that
// place (a pipe, a device) is refused. Several processes may write one file at once:
// every record goes to its end.
std::FILE* CreateLogFile(const std::string& path);

// The user's folder for the program's state files, created when missing (with the
// folders leading to it); empty when there is none.
std::string UserStateFolder();

}  // namespace platform
