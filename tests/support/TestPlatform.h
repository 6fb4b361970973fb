#pragma once

#include <string>

// What tests need from the system they run on, one implementation per platform
// (tests/support/x11/, tests/support/win32/).

// Sets an environment variable of this process; overwrite false keeps one already set.
// False when it could not be set.
bool SetTestEnvironment(const char* name, const char* value, bool overwrite = true);
void UnsetTestEnvironment(const char* name);

// Makes a file at path that a picture reader cannot read: a named pipe without a writer
// (opening it for reading would wait) on POSIX, a file held open for exclusive use by
// this process on Windows. False when it cannot be made.
bool MakeUnreadableFile(const std::string& path);

// From now on the product's settings ("Software\Vorelund\<product>") are stored apart
// from the user's own, under folder where the platform keeps them in files, and start
// empty.
void UsePrivateSettings(const std::string& folder, const std::string& product);
