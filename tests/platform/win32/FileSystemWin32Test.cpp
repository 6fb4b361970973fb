// Folder listing and folder identity on Windows, in the Wine prefix the tests run in.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/win32/FileSystemWin32.h"
#include "platform/win32/WidePathWin32.h"
#include "settings/PictureSequence.h"
#include "tests/support/TestSupport.h"

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

void WriteFile(const std::string& path)
{
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

std::string FullPath(const std::string& path)
{
    char full[1024];
    const DWORD length = GetFullPathNameA(path.c_str(), sizeof(full), full, nullptr);
    return length > 0 && length < sizeof(full) ? std::string(full, length) : std::string();
}

std::vector<std::string> Names(const std::vector<platform::FolderItem>& items, bool folders)
{
    std::vector<std::string> names;
    for (const platform::FolderItem& item : items) {
        if (item.isFolder == folders)
            names.push_back(item.name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(FileSystemWin32, ListsFilesAndFoldersButNotTheDotEntries)
{
    const std::string folder = MakeTestFolder("FileSystemWin32List");
    ASSERT_TRUE(CreateDirectoryA((folder + "\\inner").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\.hidden").c_str(), nullptr));
    WriteFile(folder + "\\a.jpg");
    WriteFile(folder + "\\readme");

    std::vector<platform::FolderItem> items;
    ASSERT_TRUE(platform::ListFolder(folder, &items));
    EXPECT_EQ(Names(items, true), (std::vector<std::string>{".hidden", "inner"}));
    EXPECT_EQ(Names(items, false), (std::vector<std::string>{"a.jpg", "readme"}));
    EXPECT_EQ(platform::kPathSeparator, '\\');

    EXPECT_FALSE(platform::ListFolder(folder + "\\missing", &items));
    EXPECT_TRUE(items.empty());
    EXPECT_FALSE(platform::ListFolder(folder + "\\a.jpg", &items));
}

TEST(FileSystemWin32, NamesTheAnsiCodePageCannotSpellAreLeftOut)
{
    const std::string folder = MakeTestFolder("FileSystemWin32Names");
    const std::wstring foreign = Wide(folder) + L"\\\u4E2D\u6587.jpg";
    const HANDLE file = CreateFileW(foreign.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    WriteFile(folder + "\\plain.jpg");
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"\u4E2D\u6587.jpg", -1, nullptr, 0, nullptr, &lossy);

    std::vector<platform::FolderItem> items;
    ASSERT_TRUE(platform::ListFolder(folder, &items));
    // Where the code page has the characters the name is kept; where it has not, a path
    // spelt with "?" would open nothing, so the item is dropped.
    EXPECT_EQ(items.size(), lossy ? 1u : 2u);
    EXPECT_TRUE(std::any_of(items.begin(), items.end(), [](const platform::FolderItem& item) {
        return item.name == "plain.jpg";
    }));
}

TEST(FileSystemWin32, NamesConvertUnderAUtf8CodePageAndOnlyWhereALegacyOneSpellsThem)
{
    std::string name;
    // Windows set to use UTF-8 as its ANSI code page: every name has a form.
    ASSERT_TRUE(platform::win32::NarrowName(L"\u4E2D\u6587.jpg", &name, CP_UTF8));
    EXPECT_EQ(name, "\xE4\xB8\xAD\xE6\x96\x87.jpg");
    ASSERT_TRUE(platform::win32::NarrowName(L"caf\u00E9.png", &name, CP_UTF8));
    EXPECT_EQ(name, "caf\xC3\xA9.png");
    ASSERT_TRUE(platform::win32::NarrowName(L"\U0001F600.gif", &name, CP_UTF8));
    EXPECT_EQ(name, "\xF0\x9F\x98\x80.gif");
    // Half a surrogate pair is no character: no UTF-8 spells it.
    EXPECT_FALSE(platform::win32::NarrowName(L"\xD800x.jpg", &name, CP_UTF8));

    // A legacy code page spells what it has, and neither replaces nor approximates the rest.
    ASSERT_TRUE(platform::win32::NarrowName(L"caf\u00E9.png", &name, 1252));
    EXPECT_EQ(name, "caf\xE9.png");
    EXPECT_FALSE(platform::win32::NarrowName(L"\u4E2D\u6587.jpg", &name, 1252));
    EXPECT_FALSE(platform::win32::NarrowName(L"\u0100dam.jpg", &name, 1252));  // best fit would give "Adam.jpg"
    ASSERT_TRUE(platform::win32::NarrowName(L"plain.bmp", &name, 1252));
    EXPECT_EQ(name, "plain.bmp");
}

TEST(FileSystemWin32, APrefixedPathEndingInItsSeparatorIsListedWithItsSubfolders)
{
    const std::string folder = MakeTestFolder("FileSystemWin32Trailing");
    ASSERT_TRUE(CreateDirectoryA((folder + "\\inner").c_str(), nullptr));
    WriteFile(folder + "\\top.png");
    WriteFile(folder + "\\inner\\deep.jpg");
    const std::string full = FullPath(folder);
    ASSERT_FALSE(full.empty());
    const std::string prefixed = "\\\\?\\" + full + "\\";

    std::vector<platform::FolderItem> items;
    ASSERT_TRUE(platform::ListFolder(prefixed, &items));
    EXPECT_EQ(Names(items, true), std::vector<std::string>{"inner"});
    EXPECT_EQ(Names(items, false), std::vector<std::string>{"top.png"});
    ASSERT_TRUE(platform::ListFolder(folder + "\\", &items));
    EXPECT_EQ(items.size(), 2u);
    // A drive's root, which always ends in its separator.
    EXPECT_TRUE(platform::ListFolder("\\\\?\\" + full.substr(0, 3), &items));
    EXPECT_FALSE(items.empty());

    platform::FileIdentity plain, withSeparator;
    ASSERT_TRUE(platform::IdentifyFile(folder, &plain));
    ASSERT_TRUE(platform::IdentifyFile(prefixed, &withSeparator));
    EXPECT_TRUE(plain == withSeparator);

    // The items' paths take one separator, which the prefixed form needs to open them.
    PictureSequence sequence({PictureEntry{prefixed, PictureEntry::Kind::Folder}}, 2000);
    std::vector<std::string> files = sequence.Files();
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{prefixed + "inner\\deep.jpg", prefixed + "top.png"}));
}

TEST(FileSystemWin32, PathsLongerThanMaxPathAreListedAndIdentified)
{
    // From the temporary folder, whose path is short, not from the build's, whose depth
    // depends on where the sources lie (and Wine refuses what grows too deep from it).
    wchar_t temporary[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH + 1, temporary), 0u);
    const std::wstring root = L"\\\\?\\" + std::wstring(temporary) + L"zen-long-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(root.c_str(), nullptr));
    std::vector<std::wstring> created{root};
    const std::wstring step(60, L'd');
    // Below MAX_PATH with the plain functions, beyond it with the prefixed wide ones.
    while (created.back().size() < 400)
        created.push_back(created.back() + L"\\" + step);
    for (std::size_t i = 1; i < created.size(); ++i)
        ASSERT_TRUE(CreateDirectoryW(created[i].c_str(), nullptr)) << created[i].size();
    const std::wstring file = created.back() + L"\\deep.png";
    const HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);

    // The listing is given the path as a user's collection holds it: without the prefix.
    std::string path;
    ASSERT_TRUE(platform::win32::NarrowName(created.back().c_str() + 4, &path, CP_ACP));
    ASSERT_GT(path.size(), static_cast<std::size_t>(MAX_PATH));
    // Wine takes such a path in either form; Windows only in the prefixed one.
    EXPECT_TRUE(platform::win32::WidePath(path) == created.back());
    std::vector<platform::FolderItem> items;
    EXPECT_TRUE(platform::ListFolder(path, &items));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].name, "deep.png");
    platform::FileIdentity identity;
    EXPECT_TRUE(platform::IdentifyFile(path, &identity));

    DeleteFileW(file.c_str());
    for (auto folder = created.rbegin(); folder != created.rend(); ++folder)
        RemoveDirectoryW(folder->c_str());
}

TEST(FileSystemWin32, OneFolderHasOneIdentityWhateverThePath)
{
    const std::string folder = MakeTestFolder("FileSystemWin32Identity");
    ASSERT_TRUE(CreateDirectoryA((folder + "\\one").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\two").c_str(), nullptr));
    platform::FileIdentity direct, roundabout, other;
    ASSERT_TRUE(platform::IdentifyFile(folder + "\\one", &direct));
    ASSERT_TRUE(platform::IdentifyFile(folder + "\\two\\..\\one", &roundabout));
    ASSERT_TRUE(platform::IdentifyFile(folder + "\\two", &other));
    EXPECT_TRUE(direct == roundabout);
    EXPECT_FALSE(direct == other);
    EXPECT_FALSE(platform::IdentifyFile(folder + "\\three", &other));
}

TEST(FileSystemWin32, FoldersWhoseIndexCannotTellThemApartAreToldApartByTheirFinalPath)
{
    using platform::win32::FolderFacts;
    using platform::win32::IdentityOf;
    const auto same = [](const FolderFacts& a, const FolderFacts& b) { return IdentityOf(a) == IdentityOf(b); };

    // A file system with real indices: the index decides, whichever way led to the folder.
    const FolderFacts one{7, 41, false, L"\\\\?\\C:\\Photos"};
    EXPECT_TRUE(same(one, FolderFacts{7, 41, false, L"\\\\?\\D:\\Mounted\\Photos"}));
    EXPECT_FALSE(same(one, FolderFacts{7, 42, false, L"\\\\?\\C:\\Photos"}));
    EXPECT_FALSE(same(one, FolderFacts{8, 41, false, L"\\\\?\\C:\\Photos"}));

    // Index 0 for every folder, ReFS ids cut to 64 bits, and network shares (whose
    // redirector may make indices up): the final path decides.
    for (const FolderFacts& facts : {FolderFacts{7, 0, false, L"\\\\?\\C:\\Photos"},
                                     FolderFacts{7, 41, true, L"\\\\?\\C:\\Photos"},
                                     FolderFacts{7, 41, false, L"\\\\?\\UNC\\server\\share\\Photos"}}) {
        FolderFacts other = facts;
        other.finalPath += L"\\2019";
        EXPECT_FALSE(same(facts, other));
        EXPECT_TRUE(same(facts, FolderFacts(facts)));
        const std::set<platform::FileIdentity> both{IdentityOf(facts), IdentityOf(other)};
        EXPECT_EQ(both.size(), 2u);
    }
    EXPECT_FALSE(same(FolderFacts{7, 0, false, L"\\\\?\\C:\\Photos"}, FolderFacts{8, 0, false, L"\\\\?\\C:\\Photos"}));

    // A folder on a local disk is known by its index.
    const std::string folder = MakeTestFolder("FileSystemWin32Index");
    platform::FileIdentity identity;
    ASSERT_TRUE(platform::IdentifyFile(folder, &identity));
    EXPECT_NE(identity.node, 0u);
    EXPECT_TRUE(identity.path.empty());
}
