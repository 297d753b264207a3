// Host drive names and searches: Shift-JIS both ways, letters in either
// case, wildcards, LONGNAME, folders and the search ring.
#include <cstring>
#include <filesystem>

#include "machine/settings.h"
#include "storage/windrv.h"
#include "storage/windrv_names.h"
#include "windrv_fixture.h"

namespace fs = std::filesystem;

namespace {

constexpr uint32_t FCB_NAME1 = 36, FCB_EXT = 44, FCB_NAME2 = 48;
constexpr uint32_t FILES_STATUS = 1, FILES_ATTRIBUTE = 21, FILES_SIZE = 26, FILES_NAME = 30, FILES_MATCH = 8;

// "テスト" and "日本語" in Shift-JIS; "ソ" ends in $5C, a '\' as second byte.
constexpr char TESUTO_SJIS[] = "\x83\x65\x83\x58\x83\x67";
constexpr char NIHONGO_SJIS[] = "\x93\xfa\x96\x7b\x8c\xea";
constexpr char SO_SJIS[] = "\x83\x5c";

using StorageHostDriveNames = HostDriveTest;
using StorageHostDriveSearch = HostDriveTest;

// The name field of the search buffer, up to its NUL.
std::string found_name(const uint8_t* buffer) {
    return std::string(reinterpret_cast<const char*>(buffer + FILES_NAME),
                       strnlen(reinterpret_cast<const char*>(buffer + FILES_NAME), 23));
}

TEST(StorageHostDriveWildcards, FollowTheDosRules) {
    const std::string long_name(255, 'a');
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        // clang-format off
        {"*", "readme.txt", true},    {"*.*", "README", true},      {"*.*", "a.b.c", true},
        {"*.TXT", "readme.txt", true}, {"*.TXT", "readme.doc", false}, {"A?C", "ABC", true},
        {"A??", "A", true},           {"A??.TXT", "A.TXT", true},   {"A?", "ABC", false},
        {"FOO.*", "FOO", true},       {"FOO.*", "FOO.C", true},     {"FOO.*", "FOOD", false},
        {"?.C", "\x83\x65.C", true},  {"??", "\x83\x65", true},     {"*\x83\x5c", "A\x83\x5c", true},
        {"\x83\x5c", "\x83\x7c", false}, {"*?*?*?*?*?*?*?*?*?*?*?*?*?*?", long_name.c_str(), true},
        // clang-format on
    };
    for (const Case& c : cases) EXPECT_EQ(windrv_wild_match(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
    EXPECT_TRUE(windrv_name_fits("LongFileName12345.txt"));
    EXPECT_FALSE(windrv_name_fits("VeryLongFileName123456.txt"));
    EXPECT_FALSE(windrv_name_fits("a b"));
    EXPECT_FALSE(windrv_name_fits("name.text"));
    EXPECT_FALSE(windrv_name_is_legal("A[1].TXT"));
    EXPECT_TRUE(windrv_name_is_legal("\x83\x5b.TXT"));  // '[' only as a second byte
}

TEST_F(StorageHostDriveNames, ShiftJisNamesBothWays) {
    // A name the driver sends in Shift-JIS is UTF-8 on the host.
    EXPECT_EQ(create("", std::string(TESUTO_SJIS) + ".TXT", 1), WINDRV_OK);
    EXPECT_TRUE(fs::exists(root_ / "テスト.TXT"));
    put_namests(NAMESTS, "", SO_SJIS, "");
    EXPECT_EQ(run(WINDRV_CMD_MKDIR, {0, NAMESTS}), WINDRV_OK);
    EXPECT_TRUE(fs::is_directory(root_ / "ソ"));
    // A host name in UTF-8 is listed in Shift-JIS, in a folder named so.
    host_file("ソ/日本語.txt", "12345");
    put_namests(NAMESTS, SO_SJIS, "????????", "???");
    ASSERT_EQ(run(WINDRV_CMD_FILES, {0x20, NAMESTS, FILES}), WINDRV_OK);
    EXPECT_EQ(found_name(ram(FILES)), std::string(NIHONGO_SJIS) + ".txt");
    EXPECT_EQ(be32(FILES + FILES_SIZE), 5u);
    // A host name Shift-JIS cannot show is not listed.
    host_file("ソ/\xc3\xa9t\xc3\xa9.txt", "x");  // "été"
    EXPECT_EQ(run(WINDRV_CMD_NFILES, {0, 0, FILES}), WINDRV_NOT_FOUND);
    EXPECT_EQ(ram(FILES)[FILES_STATUS], 0);
}

TEST_F(StorageHostDriveNames, LettersMatchInEitherCaseAndNewNamesKeepTheirs) {
    host_file("ReadMe.Txt", "hello");
    EXPECT_EQ(open("", "README.TXT", 0), WINDRV_OK);
    EXPECT_EQ(run(WINDRV_CMD_READ, {0, DATA, 5, FCB}), 5);
    EXPECT_EQ(bytes(DATA, 5), "hello");
    EXPECT_EQ(bytes(FCB + FCB_NAME1, 8), "ReadMe  ");
    // Exact spelling first, then the first match in byte order.
    host_file("readme.txt", "lower");
    EXPECT_EQ(open("", "README.TXT", 0), WINDRV_OK);
    EXPECT_EQ(bytes(FCB + FCB_NAME1, 8), "ReadMe  ");
    EXPECT_EQ(open("", "readme.txt", 0), WINDRV_OK);
    EXPECT_EQ(bytes(FCB + FCB_NAME1, 8), "readme  ");
    // Folders too; a new name keeps the driver's spelling.
    fs::create_directory(root_ / "Sub");
    EXPECT_EQ(create("SUB", "New.Txt", 1), WINDRV_OK);
    EXPECT_TRUE(fs::exists(root_ / "Sub" / "New.Txt"));
}

TEST_F(StorageHostDriveNames, RenameNeverReplaces) {
    host_file("a.txt", "a");
    host_file("b.txt", "b");
    put_name(NAMESTS, "", "A.TXT");
    put_name(NAMESTS2, "", "B.TXT");
    EXPECT_EQ(run(WINDRV_CMD_RENAME, {0, NAMESTS, NAMESTS2}), WINDRV_FAIL);
    EXPECT_EQ(host_read("a.txt"), "a");
    EXPECT_EQ(host_read("b.txt"), "b");
    // A change of case only is a rename of the same file.
    put_name(NAMESTS2, "", "A.TXT");
    EXPECT_EQ(run(WINDRV_CMD_RENAME, {0, NAMESTS, NAMESTS2}), WINDRV_OK);
    EXPECT_TRUE(fs::exists(root_ / "A.TXT"));
    EXPECT_FALSE(fs::exists(root_ / "a.txt"));
    // Into a folder.
    fs::create_directory(root_ / "d");
    put_name(NAMESTS2, "D", "C.TXT");
    EXPECT_EQ(run(WINDRV_CMD_RENAME, {0, NAMESTS, NAMESTS2}), WINDRV_OK);
    EXPECT_EQ(host_read("d/C.TXT"), "a");
}

TEST_F(StorageHostDriveNames, FoldersAndDelete) {
    put_name(NAMESTS, "", "DIR");
    EXPECT_EQ(run(WINDRV_CMD_MKDIR, {0, NAMESTS}), WINDRV_OK);
    EXPECT_TRUE(fs::is_directory(root_ / "DIR"));  // no trailing '.'
    EXPECT_EQ(run(WINDRV_CMD_MKDIR, {0, NAMESTS}), WINDRV_FAIL);
    put_name(NAMESTS, "", "dir");
    EXPECT_EQ(run(WINDRV_CMD_MKDIR, {0, NAMESTS}), WINDRV_FAIL);
    put_namests(NAMESTS, "DIR", "", "");
    EXPECT_EQ(run(WINDRV_CMD_CHDIR, {0, NAMESTS}), WINDRV_OK);
    put_namests(NAMESTS, "NODIR", "", "");
    EXPECT_EQ(run(WINDRV_CMD_CHDIR, {0, NAMESTS}), WINDRV_NOT_FOUND);
    put_namests(NAMESTS, "", "", "");
    EXPECT_EQ(run(WINDRV_CMD_CHDIR, {0, NAMESTS}), WINDRV_OK);

    host_file("DIR/F.TXT", "f");
    put_name(NAMESTS, "", "DIR");
    EXPECT_EQ(run(WINDRV_CMD_RMDIR, {0, NAMESTS}), WINDRV_FAIL);   // not empty
    EXPECT_EQ(run(WINDRV_CMD_DELETE, {0, NAMESTS}), WINDRV_FAIL);  // a folder
    put_name(NAMESTS, "dir", "f.txt");
    EXPECT_EQ(run(WINDRV_CMD_DELETE, {0, NAMESTS}), WINDRV_OK);
    EXPECT_EQ(run(WINDRV_CMD_DELETE, {0, NAMESTS}), WINDRV_FAIL);
    put_name(NAMESTS, "", "DIR");
    EXPECT_EQ(run(WINDRV_CMD_RMDIR, {0, NAMESTS}), WINDRV_OK);
    EXPECT_FALSE(fs::exists(root_ / "DIR"));
}

TEST_F(StorageHostDriveNames, LongNameFieldsFollowTheSetting) {
    host_file("LongFileName12345.txt", "");
    for (int longname : {1, 0}) {
        g_settings.longname = longname;
        put_namests(NAMESTS, "", "LongFile", "txt", "Name12345");
        ASSERT_EQ(run(WINDRV_CMD_OPEN, {0, NAMESTS, 0, FCB}), WINDRV_OK);
        EXPECT_EQ(bytes(FCB + FCB_NAME1, 8), "LongFile");
        EXPECT_EQ(bytes(FCB + FCB_EXT, 3), "txt");
        EXPECT_EQ(bytes(FCB + FCB_NAME2, 10), longname ? std::string("Name12345 ") : std::string(10, '\0'));
        EXPECT_EQ(run(WINDRV_CMD_READ, {0, DATA, 0, FCB}), 0) << "the FCB finds its file";
    }
    // A name over 18.3 is listed as the host has it, cut to 23 bytes.
    host_file("VeryLongFileName123456.txt", "");
    put_namests(NAMESTS, "", "Very*", "???");
    ASSERT_EQ(run(WINDRV_CMD_FILES, {0x20, NAMESTS, FILES}), WINDRV_OK);
    EXPECT_EQ(found_name(ram(FILES)), "VeryLongFileName123456.");
}

TEST_F(StorageHostDriveSearch, ListsFoldersFilesAndDotsInOrder) {
    fs::create_directory(root_ / "sub");
    host_file("sub/b.txt", "bb");
    host_file("sub/A[1].TXT", "");
    fs::create_directory(root_ / "sub" / "dir");
    auto list = [&](const char* path, uint8_t attribute) {
        put_namests(NAMESTS, path, "????????", "???");
        std::vector<std::string> names;
        int32_t r = run(WINDRV_CMD_FILES, {attribute, NAMESTS, FILES});
        for (uint32_t n = 0; r == WINDRV_OK; n++) {
            EXPECT_EQ(be16(FILES + FILES_MATCH), 32 * n);
            names.push_back(found_name(ram(FILES)) + (ram(FILES)[FILES_ATTRIBUTE] & 0x10 ? "/" : ""));
            r = run(WINDRV_CMD_NFILES, {0, 0, FILES});
        }
        EXPECT_EQ(r, WINDRV_NOT_FOUND);
        return names;
    };
    EXPECT_EQ(list("sub", 0x30), (std::vector<std::string>{"./", "../", "b.txt", "dir/"}));
    EXPECT_EQ(list("sub", 0x20), (std::vector<std::string>{"b.txt"}));
    EXPECT_EQ(list("sub", 0x10), (std::vector<std::string>{"./", "../", "dir/"}));
    EXPECT_EQ(list("", 0x30), (std::vector<std::string>{"sub/"}));
    // The volume label is the unit folder's name.
    put_namests(NAMESTS, "", "????????", "???");
    EXPECT_EQ(run(WINDRV_CMD_FILES, {0x08, NAMESTS, FILES}), WINDRV_OK);
    EXPECT_EQ(found_name(ram(FILES)), "root");
}

TEST_F(StorageHostDriveSearch, OneListingPerSearchAndDeletingMatchesSkipsNone) {
    constexpr int FILES_IN_FOLDER = 300;
    for (int i = 0; i < FILES_IN_FOLDER; i++) host_file("F" + std::to_string(1000 + i) + ".DAT", "");
    put_namests(NAMESTS, "", "????????", "DAT");
    uint64_t before = g_windrv.listings;
    int seen = 0;
    for (int32_t r = run(WINDRV_CMD_FILES, {0x20, NAMESTS, FILES}); r == WINDRV_OK;
         r = run(WINDRV_CMD_NFILES, {0, 0, FILES})) {
        // The driver deletes each match as it comes.
        std::string name = found_name(ram(FILES));
        EXPECT_EQ(name, "F" + std::to_string(1000 + seen) + ".DAT");
        put_name(NAMESTS2, "", name);
        EXPECT_EQ(run(WINDRV_CMD_DELETE, {0, NAMESTS2}), WINDRV_OK);
        seen++;
    }
    EXPECT_EQ(seen, FILES_IN_FOLDER);
    EXPECT_EQ(g_windrv.listings - before, 1u);
}

TEST_F(StorageHostDriveSearch, TheRingKeeps128Searches) {
    host_file("A.TXT", "");
    host_file("B.TXT", "");
    put_namests(NAMESTS, "", "????????", "TXT");
    ASSERT_EQ(run(WINDRV_CMD_FILES, {0x20, NAMESTS, FILES}), WINDRV_OK);
    // 127 other searches: the first is still found, and listed again now
    // that its matches are no longer kept.
    for (uint32_t i = 1; i < 128; i++) run(WINDRV_CMD_FILES, {0x20, NAMESTS, FILES + 64 * i});
    uint64_t before = g_windrv.listings;
    EXPECT_EQ(run(WINDRV_CMD_NFILES, {0, 0, FILES}), WINDRV_OK);
    EXPECT_EQ(found_name(ram(FILES)), "B.TXT");
    EXPECT_EQ(g_windrv.listings - before, 1u);
    // The 129th search takes its entry.
    run(WINDRV_CMD_FILES, {0x20, NAMESTS, FILES + 64 * 128});
    EXPECT_EQ(run(WINDRV_CMD_NFILES, {0, 0, FILES}), WINDRV_NOT_FOUND);
}

}  // namespace
