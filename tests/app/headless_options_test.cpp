#include <gtest/gtest.h>

#include <cctype>
#include <sstream>

#include "app/command_line.h"
#include "app/config_file.h"
#include "app/headless.h"
#include "input/keyboard.h"
#include "storage/windrv_scan.h"

namespace {

TEST(HeadlessOptions, HostOptionsAreTakenOutAndTheRestIsKept) {
    std::vector<std::string> args = {"zolm",       "-c",      "--headless",      "game.xdf",     "--frames", "12",
                                     "--dump-ram", "ram.bin", "--virtual-clock", "--screenshot", "s.png",    "x.cfg"};
    HeadlessOptions o = headless_parse_options(args);
    EXPECT_TRUE(o.headless);
    EXPECT_TRUE(o.virtual_clock);
    EXPECT_EQ(o.frames, 12u);
    EXPECT_EQ(o.dump_ram, "ram.bin");
    EXPECT_EQ(o.screenshot, "s.png");
    EXPECT_FALSE(o.help);
    EXPECT_TRUE(o.error.empty());
    EXPECT_EQ(args, (std::vector<std::string>{"zolm", "-c", "game.xdf", "x.cfg"}));
}

TEST(HeadlessOptions, ValuesFollowAsTheNextWordOrAfterAnEqualsSign) {
    struct Case {
        std::vector<std::string> argv;
        uint32_t frames;
        const char* dump_ram;
        const char* screenshot;
    };
    const Case cases[] = {
        {{"--frames=5"}, 5, "", ""},
        {{"--frames", "0"}, 0, "", ""},
        {{"--frames", "4294967295"}, 4294967295u, "", ""},
        {{"--frames", "007"}, 7, "", ""},
        {{"--frames", "5", "--frames=9"}, 9, "", ""},  // the last one counts
        {{"--dump-ram=a=b.bin"}, 0, "a=b.bin", ""},    // split at the first '='
        {{"--dump-ram=--x"}, 0, "--x", ""},            // after '=' anything goes
        {{"--screenshot", "-shot.png"}, 0, "", "-shot.png"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"zolm"};
        args.insert(args.end(), c.argv.begin(), c.argv.end());
        SCOPED_TRACE(testing::PrintToString(c.argv));
        HeadlessOptions o = headless_parse_options(args);
        EXPECT_EQ(o.error, "");
        EXPECT_EQ(o.frames, c.frames);
        EXPECT_EQ(o.dump_ram, c.dump_ram);
        EXPECT_EQ(o.screenshot, c.screenshot);
        EXPECT_EQ(args, std::vector<std::string>{"zolm"});
    }
}

TEST(HeadlessOptions, EveryFaultIsOneLineNamingTheOption) {
    struct Case {
        std::vector<std::string> argv;
        const char* error;  // the start of the message
    };
    const Case cases[] = {
        {{"--headless", "--frame", "3"}, "--frame: no such option"},
        {{"--Headless"}, "--Headless: no such option"},
        {{"--"}, "--: no such option"},
        {{"--fr\names"}, "--fr?ames: no such option"},
        {{"--frames"}, "--frames: the value is missing (--frames N)"},
        {{"--dump-ram"}, "--dump-ram: the value is missing (--dump-ram FILE)"},
        {{"--screenshot"}, "--screenshot: the value is missing (--screenshot FILE)"},
        {{"--dump-ram", "--headless"}, "--dump-ram: the value is missing"},
        {{"--frames", "--frames", "3"}, "--frames: the value is missing"},
        {{"--headless=1"}, "--headless: takes no value"},
        {{"--virtual-clock="}, "--virtual-clock: takes no value"},
        {{"--help=yes"}, "--help: takes no value"},
        {{"--dump-ram="}, "--dump-ram: the value is empty"},
        {{"--screenshot", ""}, "--screenshot: the value is empty"},
        {{"--frames="}, "--frames: the value is empty"},
        {{"--frames=x"}, "--frames: takes a whole number, not \"x\""},
        {{"--frames", "-1"}, "--frames: takes a whole number"},
        {{"--frames", "+5"}, "--frames: takes a whole number"},
        {{"--frames", " 5"}, "--frames: takes a whole number"},
        {{"--frames", "12x"}, "--frames: takes a whole number"},
        {{"--frames", "4294967296"}, "--frames: takes a whole number"},
        {{"--frames", "99999999999"}, "--frames: takes a whole number"},
        {{"--frames", "1\n2"}, "--frames: takes a whole number, not \"1?2\""},
        {{"--host-drive", "/no/such/folder"}, "--host-drive: \"/no/such/folder\" is no folder"},
        // A line break would cut a text setting short: "a" would be the image.
        {{"--fd0", "a\nb.xdf"}, "--fd0: FD0 does not take \"a?b.xdf\" (it takes text without a line break)"},
        {{"--fd3=a\rb.xdf"}, "--fd3: FD3 does not take \"a?b.xdf\""},
        {{"--set", "FD1=a\r\n"}, "--set: FD1 does not take \"a??\""},
        {{"--set=FONT=f\n.dat"}, "--set: FONT does not take \"f?.dat\""},
        {{"--set", "WINFONT=IPA\nGothic"}, "--set: WINFONT does not take"},
        {{"--set", "EXT=*.xdf\r"}, "--set: EXT does not take"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"zolm"};
        args.insert(args.end(), c.argv.begin(), c.argv.end());
        SCOPED_TRACE(testing::PrintToString(c.argv));
        HeadlessOptions o = headless_parse_options(args);
        EXPECT_TRUE(o.error.starts_with(c.error)) << o.error;
        EXPECT_EQ(o.error.find('\n'), std::string::npos) << o.error;
    }
}

TEST(HeadlessOptions, HelpListsEveryOptionTheParserTakes) {
    std::vector<std::string> args = {"zolm", "--help", "--no-such"};
    HeadlessOptions o = headless_parse_options(args);
    EXPECT_TRUE(o.help);
    EXPECT_EQ(o.error, "");  // the parse stops at --help

    std::string help = headless_options_help();
    for (const char* listed :
         {"  --headless ", "  --frames N ", "  --dump-ram FILE ", "  --screenshot FILE ", "  --window-shot FILE ",
          "  --virtual-clock ", "  --wav FILE ", "  --midi-port PORT ", "  --input FILE ", "  --debugger ",
          "  --host-drive DIR ", "  --set KEY=VALUE ", "  --fd0 IMAGE ", "  --fd3 IMAGE ", "  --help "})
        EXPECT_NE(help.find(listed), std::string::npos) << listed;
    // Each line of an option parses as it is shown, and says what it does.
    std::istringstream lines(help);
    int options = 0;
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with("  --")) continue;
        options++;
        std::istringstream words(line);
        std::string name, value;
        words >> name >> value;
        bool takes_value = !value.empty() && std::isupper(static_cast<unsigned char>(value[0])) &&
                           value.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ=") == std::string::npos;
        std::vector<std::string> one = {"zolm", name};
        if (takes_value) one.push_back(value == "KEY=VALUE" ? "SPEED=1" : value == "DIR" ? "." : "1");
        EXPECT_EQ(headless_parse_options(one).error, "") << line;
        std::string what;
        words >> what;
        EXPECT_FALSE(what.empty()) << line;
    }
    EXPECT_EQ(options, 17);
}

// --help also lists the system's own arguments, each doing what its line says.
TEST(HeadlessOptions, HelpListsTheSystemsArguments) {
    const std::string help = headless_options_help();
    const size_t system = help.find("\nArguments for the system:\n");
    ASSERT_NE(system, std::string::npos) << help;
    for (const char* listed : {"  NAME.xdf ", "  NAME.cfg ", "  -o FILE ", "  -n ", "  -c TEXT... ", ".dim", ".2hd",
                               ".dup", ".hdm", "NAME.cfg"})
        EXPECT_NE(help.find(listed, system), std::string::npos) << listed;

    app_parse_command_line({"zolm", "NAME.xdf"});
    EXPECT_EQ(g_cmdline_image_name, "NAME.xdf");
    EXPECT_EQ(g_config_file_name, "NAME.cfg");
    app_parse_command_line({"zolm", "-o", "FILE", "-n", "-c", "TEXT", "more"});
    EXPECT_EQ(g_config_file_name, "FILE");
    EXPECT_EQ(g_no_save_config, 1);
    EXPECT_EQ(g_paste_text, " TEXT more");  // the rest of the line, as typed after "-c"
    app_parse_command_line({"zolm"});
}

TEST(HeadlessOptions, FloppyImagesNeedAName) {
    std::vector<std::string> args = {"zolm", "--fd1", "a.xdf", "--fd3=b.dim"};
    EXPECT_EQ(headless_parse_options(args).error, "");
    args = {"zolm", "--fd2="};
    EXPECT_EQ(headless_parse_options(args).error, "--fd2: the value is empty (--fd2 IMAGE)");
    cfg_clear_overrides();
}

TEST(HeadlessOptions, HostDrivesAreUnitsInTheirOrder) {
    std::vector<std::string> args = {"zolm", "--host-drive", "/", "--host-drive=."};
    HeadlessOptions o = headless_parse_options(args);
    EXPECT_EQ(o.error, "");
    EXPECT_EQ(windrv_roots(), (std::vector<std::string>{"/", "."}));
    std::vector<std::string> many = {"zolm"};
    for (int i = 0; i < 27; i++) many.insert(many.end(), {"--host-drive", "."});
    EXPECT_EQ(headless_parse_options(many).error, "--host-drive: at most 26 folders");
    EXPECT_EQ(windrv_roots().size(), 26u);
    windrv_set_roots({});
}

}  // namespace
