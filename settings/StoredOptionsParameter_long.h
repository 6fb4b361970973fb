#pragma once

#include <cstdint>

#include "settings/StoredOptionsParameter.h"

// A signed 32-bit setting stored as its decimal text.
class StoredOptionsParameter_long : public StoredOptionsParameter {
public:
    StoredOptionsParameter_long(const char* name, std::int32_t defaultValue)
        : StoredOptionsParameter(name), value_(defaultValue), default_(defaultValue)
    {
    }

    // The text's leading decimal number as atol reads it (no digits: 0).
    int LoadFromText(const char* text) override;
    int SaveToText(std::string* text) const override;
    void ResetToDefault() override { value_ = default_; }

    std::int32_t Value() const { return value_; }
    void SetValue(std::int32_t value) { value_ = value; }
    std::int32_t DefaultValue() const { return default_; }

private:
    std::int32_t value_;
    std::int32_t default_;
};
