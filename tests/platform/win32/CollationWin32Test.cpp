// The Image Library's order on Windows: that of a list view sorted ascending, in the
// user's locale.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/ImageLibraryDialog.h"

namespace {

std::string Ansi(const std::wstring& text)
{
    const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &narrow[0], length, nullptr, nullptr);
    narrow.resize(narrow.size() - 1);
    return narrow;
}

}  // namespace

TEST(CollationWin32, PathsAreListedAsTheLocaleOrdersThemNotByTheirBytes)
{
    // Symbols before digits before letters, a hyphen weighed only between otherwise equal
    // texts, accented letters beside their base letter. Byte values would put "\" after
    // "1", "-" before "b", and "~" and "é" after "z". (A sorted list view under Wine gives
    // this order too.)
    const std::vector<std::string> expected = {
        "C:\\~notes.jpg", "C:\\ab.jpg", "C:\\a-b.jpg",
        "C:\\Album\\x.jpg", "C:\\album\\y.jpg", "C:\\album1.jpg",
        Ansi(L"C:\\\u00E9clair.jpg"), "C:\\Zoo.jpg",
    };
    std::vector<std::string> paths = expected;
    std::reverse(paths.begin(), paths.end());
    std::stable_sort(paths.begin(), paths.end(), ImageLibraryDialog::ComesBefore);
    EXPECT_EQ(paths, expected);

    // Texts equal but for case still have one order.
    EXPECT_TRUE(ImageLibraryDialog::ComesBefore("C:\\PICS", "C:\\pics"));
    EXPECT_FALSE(ImageLibraryDialog::ComesBefore("C:\\pics", "C:\\PICS"));
    EXPECT_FALSE(ImageLibraryDialog::ComesBefore("C:\\pics", "C:\\pics"));
}
