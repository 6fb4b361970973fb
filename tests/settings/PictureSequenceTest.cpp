#include "settings/PictureSequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "render/VectorMath.h"
#include "settings/StoredOptionsParameter_paths.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/TestSupport.h"

namespace fs = std::filesystem;

namespace {

const std::string kSamples = std::string(ZEN_BUILD_DIR) + "/sample-pictures";

PictureEntry File(const std::string& path) { return {path, PictureEntry::Kind::File}; }
PictureEntry Folder(const std::string& path) { return {path, PictureEntry::Kind::Folder}; }

void Touch(const std::string& path, const std::string& contents = "x")
{
    std::ofstream(path, std::ios::binary) << contents;
}

// A folder of n copies of one good picture, named p00.bmp, p01.bmp ...
std::string FolderOfPictures(const std::string& name, int n)
{
    const std::string folder = MakeTestFolder(name);
    for (int i = 0; i < n; ++i) {
        char file[16];
        std::snprintf(file, sizeof file, "/p%02d.bmp", i);
        fs::copy_file(kSamples + "/Summer meadow.bmp", folder + file);
    }
    return folder;
}

}  // namespace

TEST(PictureSequence, ThePictureTestLooksAtTheLastDotOfTheWholePath)
{
    EXPECT_TRUE(PictureSequence::IsPicturePath("a/b.jpg"));
    EXPECT_TRUE(PictureSequence::IsPicturePath("a/b.JPG"));
    EXPECT_TRUE(PictureSequence::IsPicturePath("a/b.Png"));
    EXPECT_TRUE(PictureSequence::IsPicturePath("b.jpeg"));
    EXPECT_TRUE(PictureSequence::IsPicturePath("b.gif"));
    EXPECT_TRUE(PictureSequence::IsPicturePath("b.bmp"));
    EXPECT_TRUE(PictureSequence::IsPicturePath("folder/.jpg"));
    EXPECT_FALSE(PictureSequence::IsPicturePath("my.pics/readme"));
    EXPECT_FALSE(PictureSequence::IsPicturePath("readme"));
    EXPECT_FALSE(PictureSequence::IsPicturePath("b.jpg.txt"));
    EXPECT_FALSE(PictureSequence::IsPicturePath("b.tiff"));
    EXPECT_FALSE(PictureSequence::IsPicturePath("b."));
}

TEST(PictureSequence, AddPathKeepsTheCollectionWithinItsLimit)
{
    StoredOptionsParameter_paths collection("SlideshowPictures");
    EXPECT_EQ(collection.AddPath(File(std::string(2047, 'a'))), 1);
    EXPECT_TRUE(collection.GetEntries().empty());
    EXPECT_EQ(collection.AddPath(File(std::string(2046, 'a'))), 0);
    EXPECT_EQ(collection.TotalLength(), 2047u);
    EXPECT_EQ(collection.AddPath(File("")), 1);  // even an empty path takes one place
    EXPECT_EQ(collection.GetEntries().size(), 1u);

    collection.Clear();
    EXPECT_EQ(collection.AddPath(Folder(std::string(1000, 'f'))), 0);
    EXPECT_EQ(collection.AddPath(File(std::string(1045, 'g'))), 0);
    EXPECT_EQ(collection.AddPath(File("x")), 1);
    ASSERT_EQ(collection.GetEntries().size(), 2u);
    EXPECT_EQ(collection.GetEntries().back().kind, PictureEntry::Kind::File);
    // Loading is not limited.
    EXPECT_EQ(collection.LoadFromText(("2" + std::string(3000, 'z') + ";1b").c_str()), 0);
    EXPECT_EQ(collection.GetEntries().size(), 2u);
}

TEST(PictureSequence, ExpansionIsAStackSoFilesComeOutInReverse)
{
    const std::string folder = MakeTestFolder("SequenceOrder");
    const std::string f = folder + "/F";
    fs::create_directories(f + "/sub");
    Touch(f + "/x.jpg");
    Touch(f + "/y.png");
    Touch(f + "/notes.txt");
    Touch(f + "/sub/z.gif");
    Touch(folder + "/A.bmp");

    std::vector<platform::FolderItem> listing;
    ASSERT_TRUE(platform::ListFolder(f, &listing));
    ASSERT_EQ(listing.size(), 4u);
    // Items enumerated last come first; a subfolder is expanded where it was met.
    std::vector<std::string> expected;
    for (auto item = listing.rbegin(); item != listing.rend(); ++item) {
        const std::string separator(1, platform::kPathSeparator);
        if (item->isFolder)
            expected.push_back(f + separator + item->name + separator + "z.gif");
        else if (item->name != "notes.txt")
            expected.push_back(f + separator + item->name);
    }
    expected.push_back(folder + "/A.bmp");

    PictureSequence sequence({File(folder + "/A.bmp"), Folder(f)}, 2000);
    EXPECT_EQ(sequence.Files(), expected);
    EXPECT_EQ(sequence.PictureCount(), 4u);
    EXPECT_EQ(sequence.CurrentPath(), expected.front());

    // A folder named with its separator at the end (as a drive's root is) gives its
    // items' paths one separator.
    const std::string sub = f + platform::kPathSeparator + "sub" + platform::kPathSeparator;
    PictureSequence trailing({Folder(sub)}, 2000);
    EXPECT_EQ(trailing.Files(), std::vector<std::string>{sub + "z.gif"});

    // A file entry is taken by its name alone; a folder that is not there adds nothing.
    PictureSequence named({File(folder + "/missing.png"), File(folder + "/A.txt"), Folder(folder + "/gone")}, 2000);
    EXPECT_EQ(named.Files(), std::vector<std::string>{folder + "/missing.png"});
}

TEST(PictureSequence, SkipsDotFoldersLinkLoopsAndDanglingLinks)
{
    const std::string folder = MakeTestFolder("SequenceLinks");
    fs::create_directories(folder + "/.hidden");
    fs::create_directories(folder + "/inner");
    Touch(folder + "/.hidden/secret.jpg");
    Touch(folder + "/.jpg");
    Touch(folder + "/inner/deep.png");
    fs::create_directory_symlink(folder, folder + "/inner/back to top");  // a loop
    fs::create_directory_symlink(folder + "/inner", folder + "/inner again");
    fs::create_symlink(folder + "/nothing here.jpg", folder + "/dangling.jpg");
    ASSERT_TRUE(MakeUnreadableFile(folder + "/pipe.jpg"));  // a pipe would block a reader

    PictureSequence sequence({Folder(folder)}, 2000);
    std::vector<std::string> files = sequence.Files();
    std::sort(files.begin(), files.end());
    // The inner folder is expanded once, whichever way leads into it first.
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], folder + "/.jpg");
    EXPECT_NE(files[1].find("deep.png"), std::string::npos);

    // The same folder listed twice is expanded once.
    const std::string plain = FolderOfPictures("SequenceTwice", 1);
    PictureSequence twice({Folder(plain), Folder(plain + "/")}, 2000);
    EXPECT_EQ(twice.PictureCount(), 1u);
}

TEST(PictureSequence, ExpansionEndsAtOnceWhenAskedToStopOrOutOfTime)
{
    const std::string folder = FolderOfPictures("SequenceStop", 3);
    std::atomic<int> stop{1};
    PictureSequence stopped({Folder(folder)}, 4000, &stop);
    EXPECT_EQ(stopped.PictureCount(), 0u);
    PictureSequence noTime({Folder(folder)}, 0);
    EXPECT_EQ(noTime.PictureCount(), 0u);
    stop = 0;
    PictureSequence running({Folder(folder)}, 4000, &stop);
    EXPECT_EQ(running.PictureCount(), 3u);
}

TEST(PictureSequence, AdvanceFollowsTheCountOfPictures)
{
    PictureSequence none({}, 2000);
    EXPECT_EQ(none.PictureCount(), 0u);
    EXPECT_EQ(none.CurrentImage(), nullptr);
    none.Advance();
    none.StepForward();
    EXPECT_EQ(none.CurrentImage(), nullptr);

    const std::string two = FolderOfPictures("SequenceTwo", 2);
    PictureSequence pair({Folder(two)}, 2000);
    const std::string first = pair.CurrentPath();
    CImage* image = pair.CurrentImage();
    ASSERT_NE(image, nullptr);
    pair.Advance();
    EXPECT_EQ(pair.CurrentPath(), first);
    EXPECT_EQ(pair.CurrentImage(), image);  // still decoded

    const std::string three = FolderOfPictures("SequenceThree", 3);
    PictureSequence cycle({Folder(three)}, 2000);
    std::vector<std::size_t> seen;
    for (int i = 0; i < 4; ++i) {
        seen.push_back(cycle.CurrentIndex());
        cycle.Advance();
    }
    EXPECT_EQ(seen, (std::vector<std::size_t>{0, 1, 2, 0}));

    const std::string many = FolderOfPictures("SequenceMany", 25);
    PictureSequence random({Folder(many)}, 2000);
    ASSERT_EQ(random.PictureCount(), 25u);
    ASSERT_NE(random.CurrentImage(), nullptr);
    // r = 0 keeps the position but decodes again: with the file gone there is no picture.
    const std::string keep = random.CurrentPath();
    random.AdvanceWithDraw(0);
    EXPECT_EQ(random.CurrentPath(), keep);
    fs::rename(keep, keep + ".away");
    EXPECT_EQ(random.CurrentImage(), nullptr);
    EXPECT_EQ(random.CurrentImage(), nullptr);
    fs::rename(keep + ".away", keep);
    EXPECT_NE(random.CurrentImage(), nullptr);  // the same file is tried again
    // r = 32767 moves n - 1 steps: one back.
    random.AdvanceWithDraw(32767);
    EXPECT_EQ(random.CurrentIndex(), 24u);
    random.AdvanceWithDraw(16384);  // 16384 * 24 / 32767 = 12
    EXPECT_EQ(random.CurrentIndex(), (24u + 12u) % 25u);
    // Advance draws once from the process-wide generator.
    std::srand(99);
    const unsigned draw = static_cast<unsigned>(RandomDraw());
    const std::size_t from = random.CurrentIndex();
    std::srand(99);
    random.Advance();
    EXPECT_EQ(random.CurrentIndex(), (from + draw * 24u / 32767u) % 25u);
}
