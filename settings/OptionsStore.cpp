#include "settings/OptionsStore.h"

#include "platform/SettingsStore.h"

OptionsStore::OptionsStore(const char* productText, StoredOptionsParameter* const* options)
    : keyPath_(std::string("Software\\Vorelund\\") + productText)
{
    for (; *options != nullptr; ++options)
        options_[(*options)->Name()] = *options;
    Load();
}

int OptionsStore::Load()
{
    platform::StoredTexts texts;
    if (platform::ReadStoredTexts(keyPath_, &texts) != 0)
        return -1;
    for (auto& [name, option] : options_) {
        const std::string* value = nullptr;
        for (const auto& stored : texts) {
            if (platform::SameValueName(stored.first, name))
                value = &stored.second;
        }
        if (value == nullptr)
            return 1;
        if (option->LoadFromText(value->c_str()) != 0)
            return 1;
    }
    return 0;
}

int OptionsStore::Save()
{
    platform::StoredTexts texts;
    int result = 0;
    for (auto& [name, option] : options_) {
        std::string text;
        if (option->SaveToText(&text) != 0) {
            result = 1;
            break;
        }
        texts.emplace_back(name, text);
    }
    // The values before a failed one are still written, as with a value-by-value store.
    if (platform::WriteStoredTexts(keyPath_, texts) != 0)
        return -1;
    return result;
}

void OptionsStore::ResetAll()
{
    for (auto& entry : options_)
        entry.second->ResetToDefault();
}
