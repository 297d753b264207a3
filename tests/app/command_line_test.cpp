// The system's command line: argv to the image for drive 0, the
// configuration file name, the paste text and the no-save switch.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "input/keyboard.h"

namespace {

TEST(CommandLine, ArgvGivesImageConfigPasteTextAndNoSave) {
    struct Case {
        std::vector<std::string> argv;
        const char* image;
        const char* config;
        const char* paste;
        int no_save;
    } cases[] = {
        {{"zolm"}, "", "X68.CFG", "", 0},
        {{}, "", "X68.CFG", "", 0},
        // argv[0] is the program, whatever its name.
        {{"/opt/game.xdf/zolm"}, "", "X68.CFG", "", 0},
        // Case is kept; the extension is found without case.
        {{"zolm", "GAME.XDF"}, "GAME.XDF", "GAME.cfg", "", 0},
        {{"zolm", "Setup.CFG"}, "", "Setup.CFG", "", 0},
        {{"zolm", "d/a.Dim"}, "d/a.Dim", "d/a.cfg", "", 0},
        {{"zolm", "x.2hd"}, "x.2hd", "x.cfg", "", 0},
        {{"zolm", "x.dup"}, "x.dup", "x.cfg", "", 0},
        {{"zolm", "x.HDM"}, "x.HDM", "x.cfg", "", 0},
        // Everything after the extension is cut from the configuration name.
        {{"zolm", "game.xdf.bak"}, "game.xdf.bak", "game.cfg", "", 0},
        // .xdf is tested before .dim.
        {{"zolm", "a.dim.xdf"}, "a.dim.xdf", "a.dim.cfg", "", 0},
        // Only a word that ends in .cfg names the settings.
        {{"zolm", "backup.cfg.xdf"}, "backup.cfg.xdf", "backup.cfg.cfg", "", 0},
        {{"zolm", "notes.cfg.txt"}, "", "X68.CFG", "", 0},
        {{"zolm", "My.CFG"}, "", "My.CFG", "", 0},
        // An absolute path is a word, not a switch; spaces and UTF-8 stay.
        {{"zolm", "/cdrom/my disks/ゲーム.xdf"}, "/cdrom/my disks/ゲーム.xdf", "/cdrom/my disks/ゲーム.cfg", "", 0},
        {{"zolm", "\"q.xdf\""}, "\"q.xdf\"", "\"q.cfg", "", 0},
        // Later words win; a .cfg word overrides the image's name.
        {{"zolm", "a.xdf", "b.cfg"}, "a.xdf", "b.cfg", "", 0},
        {{"zolm", "b.cfg", "a.xdf"}, "a.xdf", "a.cfg", "", 0},
        {{"zolm", "a.xdf", "-o", "c.cfg", "b.xdf"}, "b.xdf", "b.cfg", "", 0},
        // -o takes the next element as written, or the rest of its own.
        {{"zolm", "-o", "My Setup.CFG"}, "", "My Setup.CFG", "", 0},
        {{"zolm", "-O", "-n"}, "", "-n", "", 0},
        {{"zolm", "-oSetup.CFG"}, "", "Setup.CFG", "", 0},
        {{"zolm", "-o"}, "", "", "", 0},
        // -n in either case; the rest of its element goes on as a word.
        {{"zolm", "-n"}, "", "X68.CFG", "", 1},
        {{"zolm", "-N", "a.xdf"}, "a.xdf", "a.cfg", "", 1},
        {{"zolm", "-nx.xdf"}, "x.xdf", "x.cfg", "", 1},
        {{"zolm", "-x", "-", "readme.txt"}, "", "X68.CFG", "", 0},
        // -c: the rest of the line, the later elements after a space each;
        // nothing after it is parsed.
        {{"zolm", "-c", "dir;", "a.xdf", "-n"}, "", "X68.CFG", " dir; a.xdf -n", 0},
        {{"zolm", "-n", "-Cdir;"}, "", "X68.CFG", "dir;", 1},
        {{"zolm", "-c"}, "", "X68.CFG", "", 0},
        {{"zolm", "a.xdf", "-c", "", "x"}, "a.xdf", "a.cfg", "  x", 0},
    };
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& a : c.argv) line += "[" + a + "]";
        SCOPED_TRACE(line);
        // What an earlier parse left does not carry over.
        g_paste_text = "old";
        g_no_save_config = 1;
        g_cmdline_image_name = "old.xdf";
        app_parse_command_line(c.argv);
        EXPECT_EQ(g_cmdline_image_name, c.image);
        EXPECT_EQ(g_config_file_name, c.config);
        EXPECT_EQ(g_paste_text, c.paste);
        EXPECT_EQ(g_no_save_config, c.no_save);
    }
    app_parse_command_line({"zolm"});
}

}  // namespace
