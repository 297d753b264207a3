// File chooser: the listing by filter, folders, and what a typed name gives.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

#include "app/file_chooser.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* DISK_FILTER = "ZOLM (*.xdf)|*.xd*;*.DIM|ZOLM All Files (*.*)|*.*||";

TEST(FileChooser, ListsFoldersAndMatchingFilesAndTakesATypedName) {
    fs::path dir = fs::temp_directory_path() / ("zolm-chooser-" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub");
    for (const char* name : {"A.XDF", "b.dim", "notes.txt", "GAME.xdf"}) std::ofstream(dir / name) << "x";

    FileChooser c;
    file_chooser_open(c, "FD0", (dir / "GAME.xdf").string(), DISK_FILTER, "XDF", true);
    EXPECT_EQ(c.folder, dir.string());
    EXPECT_EQ(c.name, "GAME.xdf");
    std::vector<std::string> names;
    for (const auto& e : c.entries) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"..", "sub", "A.XDF", "GAME.xdf", "b.dim"}));

    c.filter_index = 1;
    file_chooser_list(c);
    EXPECT_EQ(c.entries.size(), 6u) << "every file";

    c.name = "sub";
    EXPECT_FALSE(file_chooser_accept(c)) << "a folder is entered";
    EXPECT_EQ(c.folder, (dir / "sub").string());
    c.name = "new";
    ASSERT_TRUE(file_chooser_accept(c));
    EXPECT_EQ(c.path, (dir / "sub" / "new.XDF").string()) << "the default extension";
    EXPECT_EQ(c.result, FileChooserResult::Accepted);

    file_chooser_open(c, "FD0", "", DISK_FILTER, "XDF", true);
    file_chooser_enter(c, "..");
    c.name = (dir / "notes.txt").string();
    ASSERT_TRUE(file_chooser_accept(c));
    EXPECT_EQ(c.path, (dir / "notes.txt").string()) << "a typed absolute path stands";
    file_chooser_cancel(c);
    EXPECT_EQ(c.result, FileChooserResult::Cancelled);
    EXPECT_FALSE(c.visible);
    fs::remove_all(dir);
}

}  // namespace
