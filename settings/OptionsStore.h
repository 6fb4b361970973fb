#pragma once

#include <map>
#include <string>

#include "settings/StoredOptionsParameter.h"

// Maps option names to the process's option objects (not owned) and keeps them in the
// settings store under one key per product.
class OptionsStore {
public:
    // options ends with a null pointer. Loads at once.
    OptionsStore(const char* productText, StoredOptionsParameter* const* options);

    // -1 no key, 1 stopped at a missing value or a failed load, 0 all loaded.
    int Load();
    // -1 the key cannot be written, 1 a value failed to form its text, 0 saved.
    int Save();
    void ResetAll();

    const std::string& KeyPath() const { return keyPath_; }

private:
    std::string keyPath_;
    std::map<std::string, StoredOptionsParameter*> options_;
};
