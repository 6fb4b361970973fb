#pragma once

#include <string>
#include <utility>
#include <vector>

// Persistent text values, one key per product (the registry on Windows, a text file
// under the user's configuration folder elsewhere).
namespace platform {

using StoredTexts = std::vector<std::pair<std::string, std::string>>;

// keyPath is "Software\<maker>\<product>". Returns 0 and every stored value, or -1 when
// the key does not exist or cannot be read.
int ReadStoredTexts(const std::string& keyPath, StoredTexts* out);

// Writes the given values, atomically, keeping every other value of the key (and in a
// file every other line) as it was. Returns 0, or -1 when the key cannot be created or
// written (the old values then stay as they were).
int WriteStoredTexts(const std::string& keyPath, const StoredTexts& texts);

// Whether two names name the same value: the registry ignores their case, as Windows
// folds it; the settings file does not.
bool SameValueName(const std::string& a, const std::string& b);

// Where the key lives, for messages and tests.
std::string StoredTextsLocation(const std::string& keyPath);

}  // namespace platform
