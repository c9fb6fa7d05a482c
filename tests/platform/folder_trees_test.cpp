// Folders through the file system: what a listing says of each name, making and removing
// folders, and the whole-tree helpers built on them, with the failures a disk can give.

#include "platform/folder_trees.h"
#include "platform/whole_files.h"

#include "faulty_file_system.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace platform {
namespace {

namespace fs = std::filesystem;

class Folders : public ::testing::Test {
protected:
    Folders()
    {
        std::string pattern = (fs::temp_directory_path() / "foldersXXXXXX").string();
        root = ::mkdtemp(pattern.data());
    }
    ~Folders() override
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    std::string at(const std::string& name) const { return (root / name).string(); }
    void write(const std::string& name, const std::string& content) const
    {
        std::ofstream(root / name) << content;
    }
    static const FolderEntry* find(const std::vector<FolderEntry>& entries, const char* name)
    {
        auto found = std::find_if(entries.begin(), entries.end(),
            [&](const FolderEntry& entry) { return entry.name == name; });
        return found == entries.end() ? nullptr : &*found;
    }

    FileSystem& files = systemFileSystem();
    fs::path root;
};

// A link is reported as one and by what it leads to, so a caller can refuse to walk into it;
// "." and ".." never appear, and a failed listing leaves nothing from an earlier one.
TEST_F(Folders, AListingNamesEachEntryWithWhatItIs)
{
    fs::create_directory(root / "lb");
    write("show.dat", "x");
    fs::create_directory_symlink(root / "lb", root / "to-lb");
    fs::create_symlink(root / "gone", root / "dangling");

    std::vector<FolderEntry> entries;
    ASSERT_EQ(files.listFolder(root.string(), entries), 0);
    ASSERT_EQ(entries.size(), 4u);
    const FolderEntry* lb = find(entries, "lb");
    const FolderEntry* show = find(entries, "show.dat");
    const FolderEntry* toLb = find(entries, "to-lb");
    const FolderEntry* dangling = find(entries, "dangling");
    ASSERT_TRUE(lb && show && toLb && dangling);
    EXPECT_TRUE(lb->folder && !lb->regular && !lb->link);
    EXPECT_TRUE(show->regular && !show->folder && !show->link);
    EXPECT_TRUE(toLb->folder && toLb->link);
    EXPECT_TRUE(dangling->link && !dangling->folder && !dangling->regular);

    EXPECT_EQ(files.listFolder(at("missing"), entries), -ENOENT);
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(files.listFolder(at("show.dat"), entries), -ENOTDIR);
}

TEST_F(Folders, MakingReportsWhatIsInTheWay)
{
    EXPECT_EQ(files.makeFolder(at("lb"), 0755), 0);
    EXPECT_EQ(files.makeFolder(at("lb"), 0755), -EEXIST);
    write("file", "x");
    EXPECT_EQ(files.makeFolder(at("file"), 0755), -EEXIST);
    EXPECT_EQ(files.makeFolder(at("missing/lb"), 0755), -ENOENT);

    EXPECT_EQ(makeFolders(at("a/b/c"), 0755, files), 0);
    EXPECT_TRUE(fs::is_directory(root / "a" / "b" / "c"));
    EXPECT_EQ(makeFolders(at("a/b/c/"), 0755, files), 0);
    EXPECT_EQ(makeFolders(at("file/lb"), 0755, files), -ENOTDIR);
    EXPECT_EQ(makeFolders(at("file"), 0755, files), -ENOTDIR);

    std::string temporary = at(".hall.XXXXXX");
    ASSERT_EQ(files.makeTempFolder(temporary), 0);
    EXPECT_NE(temporary, at(".hall.XXXXXX"));
    EXPECT_TRUE(fs::is_directory(temporary));
    EXPECT_EQ(files.removeFolder(at("a")), -ENOTEMPTY);
    EXPECT_EQ(files.removeFolder(temporary), 0);

    long longest = 0;
    ASSERT_EQ(files.longestName(root.string(), longest), 0);
    EXPECT_GE(longest, 14); // the least any POSIX file system gives
}

// Removing a tree must never reach through a link into data elsewhere.
TEST_F(Folders, RemovingATreeTakesLinksAsNamesOnly)
{
    fs::create_directories(root / "elsewhere");
    write("elsewhere/keep.txt", "kept");
    fs::create_directories(root / "scratch" / "lb");
    write("scratch/lb/staged.dat", "half");
    fs::create_directory_symlink(root / "elsewhere", root / "scratch" / "link");
    fs::create_directory_symlink(root / "elsewhere", root / "top-link");

    EXPECT_EQ(removeTree(at("scratch"), files), 0);
    EXPECT_FALSE(fs::exists(root / "scratch"));
    EXPECT_EQ(removeTree(at("top-link"), files), 0);
    EXPECT_FALSE(fs::is_symlink(root / "top-link"));
    EXPECT_EQ(removeTree(at("nothing"), files), 0);
    EXPECT_EQ(std::ifstream(root / "elsewhere" / "keep.txt").get(), 'k');
}

// A failure inside is reported, not taken for a removed tree.
TEST_F(Folders, ATreeThatCannotBeRemovedSaysSo)
{
    fs::create_directories(root / "scratch" / "lb");
    write("scratch/lb/staged.dat", "half");
    support::FaultyFileSystem faulty;
    faulty.failNth({ support::FileCall::unlink }, 1, EACCES);
    EXPECT_EQ(removeTree(at("scratch"), faulty), -EACCES);
    EXPECT_TRUE(fs::exists(root / "scratch" / "lb" / "staged.dat"));

    faulty.failNth({ support::FileCall::listFolder }, 1, EIO);
    EXPECT_EQ(removeTree(at("scratch"), faulty), -EIO);
    EXPECT_TRUE(fs::exists(root / "scratch"));
    EXPECT_EQ(removeTree(at("scratch"), faulty), 0);
    EXPECT_FALSE(fs::exists(root / "scratch"));
}

TEST_F(Folders, CopyingATreeCopiesFilesAndFoldersButNotLinks)
{
    fs::create_directories(root / "dist" / "lb" / "deeper");
    write("dist/lb/1.jpg", "picture");
    write("dist/lb/deeper/note", "note");
    fs::create_symlink(root / "dist" / "lb" / "1.jpg", root / "dist" / "lb" / "link.jpg");
    write("ss.dat", "settings");

    EXPECT_EQ(copyTree(at("dist/lb"), at("copy"), files), 0);
    EXPECT_EQ(readWholeFile(at("copy/1.jpg")), "picture");
    EXPECT_EQ(readWholeFile(at("copy/deeper/note")), "note");
    EXPECT_FALSE(fs::exists(fs::symlink_status(root / "copy" / "link.jpg")));
    EXPECT_EQ(copyTree(at("ss.dat"), at("ss-copy.dat"), files), 0);
    EXPECT_EQ(readWholeFile(at("ss-copy.dat")), "settings");

    // A write that fails half-way fails the copy.
    support::FaultyFileSystem faulty;
    faulty.failNth({ support::FileCall::writeAt }, 2, ENOSPC);
    EXPECT_LT(copyTree(at("dist/lb"), at("full"), faulty), 0);
    EXPECT_EQ(copyTree(at("missing"), at("none"), files), -ENOENT);
}

} // namespace
} // namespace platform
