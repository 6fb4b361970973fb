// The settings in the registry of the Wine prefix the tests run in.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/SettingsStore.h"
#include "settings/OptionsStore.h"
#include "settings/StoredOptionsParameter_long.h"
#include "settings/StoredOptionsParameter_paths.h"
#include "tests/support/TestPlatform.h"

namespace {

const char kProduct[] = "Registry test";
const char kKeyPath[] = "Software\\Vorelund\\Registry test";

class SettingsStoreRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { UsePrivateSettings("", kProduct); }
    void TearDown() override { UsePrivateSettings("", kProduct); }

    static void Put(HKEY root, const char* name, DWORD type, const std::string& bytes)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(root, kKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

    // The value's type and raw bytes; type 0 when it is missing.
    static std::pair<DWORD, std::string> Get(HKEY root, const char* name)
    {
        char data[256] = {};
        DWORD bytes = sizeof(data);
        DWORD type = 0;
        if (RegGetValueA(root, kKeyPath, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &bytes) != ERROR_SUCCESS)
            return {0, ""};
        return {type, std::string(data, bytes)};
    }

    StoredOptionsParameter_long fps_{"EnableFPS", 0};
    StoredOptionsParameter_long vsync_{"EnableVSync", 1};
    StoredOptionsParameter_paths pictures_{"SlideshowPictures"};
    StoredOptionsParameter* options_[4] = {&fps_, &vsync_, &pictures_, nullptr};
};

std::string Sz(const std::string& text) { return text + '\0'; }

}  // namespace

TEST_F(SettingsStoreRegistryTest, SaveWritesZeroTerminatedTextsForTheCurrentUserOnly)
{
    OptionsStore store(kProduct, options_);
    EXPECT_EQ(store.Load(), -1);
    EXPECT_EQ(platform::StoredTextsLocation(kKeyPath), "HKEY_CURRENT_USER\\Software\\Vorelund\\Registry test");

    fps_.SetValue(1);
    vsync_.SetValue(0);
    pictures_.LoadFromText("2C:\\Pictures\\sea.jpg;1D:\\Photos");
    ASSERT_EQ(store.Save(), 0);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "EnableFPS"), std::make_pair(DWORD(REG_SZ), Sz("1")));
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "EnableVSync"), std::make_pair(DWORD(REG_SZ), Sz("0")));
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "SlideshowPictures"),
              std::make_pair(DWORD(REG_SZ), Sz("2C:\\Pictures\\sea.jpg;1D:\\Photos")));
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, "EnableFPS").first, 0u);

    store.ResetAll();
    ASSERT_EQ(store.Load(), 0);
    EXPECT_EQ(fps_.Value(), 1);
    EXPECT_EQ(vsync_.Value(), 0);
    ASSERT_EQ(pictures_.GetEntries().size(), 2u);
    EXPECT_EQ(pictures_.GetEntries().back().path, "D:\\Photos");
}

TEST_F(SettingsStoreRegistryTest, MachineWideValuesLoadWhereTheUserHasNone)
{
    Put(HKEY_LOCAL_MACHINE, "EnableFPS", REG_SZ, Sz("1"));
    Put(HKEY_LOCAL_MACHINE, "EnableVSync", REG_SZ, Sz("0"));
    Put(HKEY_LOCAL_MACHINE, "SlideshowPictures", REG_SZ, Sz("1C:\\Old"));
    OptionsStore store(kProduct, options_);
    EXPECT_EQ(store.Load(), 0);
    EXPECT_EQ(fps_.Value(), 1);
    EXPECT_EQ(vsync_.Value(), 0);

    // The user's own values win; what the user lacks still comes from the machine.
    Put(HKEY_CURRENT_USER, "EnableFPS", REG_SZ, Sz("0"));
    Put(HKEY_CURRENT_USER, "SlideshowPictures", REG_SZ, Sz("2C:\\New.png"));
    EXPECT_EQ(store.Load(), 0);
    EXPECT_EQ(fps_.Value(), 0);
    EXPECT_EQ(vsync_.Value(), 0);
    ASSERT_EQ(pictures_.GetEntries().size(), 1u);
    EXPECT_EQ(pictures_.GetEntries().front().path, "C:\\New.png");

    // Saving leaves the machine's values alone.
    ASSERT_EQ(store.Save(), 0);
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, "EnableFPS").second, Sz("1"));
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "EnableVSync").second, Sz("0"));
}

TEST_F(SettingsStoreRegistryTest, LoadStopsAtTheFirstMissingValueInNameOrder)
{
    Put(HKEY_CURRENT_USER, "EnableVSync", REG_SZ, Sz("0"));
    Put(HKEY_CURRENT_USER, "SlideshowPictures", REG_SZ, Sz("1C:\\Pictures"));
    OptionsStore store(kProduct, options_);
    EXPECT_EQ(store.Load(), 1);
    EXPECT_EQ(vsync_.Value(), 1);
    EXPECT_TRUE(pictures_.GetEntries().empty());
}

TEST_F(SettingsStoreRegistryTest, ValueNamesAreMatchedWithoutRegardToCase)
{
    Put(HKEY_CURRENT_USER, "enablefps", REG_SZ, Sz("1"));
    Put(HKEY_CURRENT_USER, "ENABLEVSYNC", REG_SZ, Sz("0"));
    Put(HKEY_CURRENT_USER, "slideshowPictures", REG_SZ, Sz("1C:\\Pictures"));
    OptionsStore store(kProduct, options_);
    EXPECT_EQ(store.Load(), 0);
    EXPECT_EQ(fps_.Value(), 1);
    EXPECT_EQ(vsync_.Value(), 0);
    ASSERT_EQ(pictures_.GetEntries().size(), 1u);
    EXPECT_EQ(pictures_.GetEntries().front().path, "C:\\Pictures");

    // The user's value wins over the machine's however either is spelt.
    Put(HKEY_LOCAL_MACHINE, "enablevsync", REG_SZ, Sz("1"));
    Put(HKEY_LOCAL_MACHINE, "slideshowpictures", REG_SZ, Sz("1C:\\Machine"));
    Put(HKEY_CURRENT_USER, "EnableFPS", REG_SZ, Sz("0"));
    EXPECT_EQ(store.Load(), 0);
    EXPECT_EQ(fps_.Value(), 0);
    EXPECT_EQ(vsync_.Value(), 0);
    EXPECT_EQ(pictures_.GetEntries().front().path, "C:\\Pictures");

    // Saving writes the same values again, not a second set beside them.
    fps_.SetValue(1);
    ASSERT_EQ(store.Save(), 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    DWORD count = 0;
    EXPECT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                               nullptr, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "enablefps").second, Sz("1"));
}

TEST_F(SettingsStoreRegistryTest, ForeignValuesAreReadAsTextUpToTheirFirstZeroAndHugeOnesAsMissing)
{
    Put(HKEY_CURRENT_USER, "EnableFPS", REG_BINARY, "7abc");  // no terminating zero
    Put(HKEY_CURRENT_USER, "EnableVSync", REG_DWORD, std::string("\x01\0\0\0", 4));
    Put(HKEY_CURRENT_USER, "SlideshowPictures", REG_SZ, std::string("1C:\\A\0;2C:\\hidden.jpg", 20));
    OptionsStore store(kProduct, options_);
    EXPECT_EQ(store.Load(), 0);
    EXPECT_EQ(fps_.Value(), 7);
    EXPECT_EQ(vsync_.Value(), 0);  // the byte 1 is no digit
    ASSERT_EQ(pictures_.GetEntries().size(), 1u);
    EXPECT_EQ(pictures_.GetEntries().front().path, "C:\\A");

    Put(HKEY_CURRENT_USER, "EnableFPS", REG_SZ, Sz("3"));
    Put(HKEY_CURRENT_USER, "EnableVSync", REG_SZ, std::string(3 << 20, '5'));
    EXPECT_EQ(store.Load(), 1);
    EXPECT_EQ(fps_.Value(), 3);
    EXPECT_EQ(vsync_.Value(), 0);
}
