#pragma once

#include <string>

// One named user setting, persisted as a text value named after it.
class StoredOptionsParameter {
public:
    static constexpr unsigned kTextValueType = 1;  // a zero-terminated text value

    explicit StoredOptionsParameter(const char* name) : name_(name) {}
    virtual ~StoredOptionsParameter() = default;

    // 0 on success.
    virtual int LoadFromText(const char* text) = 0;
    virtual int SaveToText(std::string* text) const = 0;
    virtual void ResetToDefault() = 0;

    const std::string& Name() const { return name_; }
    unsigned ValueType() const { return valueType_; }

private:
    std::string name_;
    unsigned valueType_ = kTextValueType;
};
