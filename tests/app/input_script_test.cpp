// The headless runner's input script (--input): its lines, and test ROMs
// fed by it through the keyboard's two roads, the mouse and the joysticks.
#include "app/input_script.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <random>

#include "support/headless_fixture.h"

using namespace headless_fixture;

namespace {

TEST(InputScript, LinesToEvents) {
    std::vector<ScriptEvent> events;
    std::string why;
    for (const char* line :
         {"", "   ", "# comment", "0 key-down 0x41", "0 key-up 65", "1 char a", "1 char 0x7E", "2 mouse-move 300 50",
          "2 mouse-down left", "2 mouse-up right", "3 pad 1 0xFFF 0 65535", "3 pad-unplug 0", "4 focus-lost"})
        EXPECT_TRUE(input_script_parse_line(line, events, why)) << line << ": " << why;
    ASSERT_EQ(events.size(), 10u);
    EXPECT_EQ(events[0].message, (WindowMessage{0, WM_KEYDOWN, 0x41, 0x001E0001}));
    EXPECT_EQ(events[1].message.lparam, 0xC01E0001u);
    EXPECT_EQ(events[2].message, (WindowMessage{0, WM_CHAR, 'a', 1}));
    EXPECT_EQ(events[3].message.wparam, 0x7Eu);
    EXPECT_EQ(events[4].message, (WindowMessage{0, WM_MOUSEMOVE, 0, 50u << 16 | 300u}));
    EXPECT_EQ(events[5].message.message, uint32_t(WM_LBUTTONDOWN));
    EXPECT_EQ(events[6].message.message, uint32_t(WM_RBUTTONUP));
    EXPECT_EQ(events[7].action, ScriptAction::PAD);
    EXPECT_EQ(events[7].pad, 1);
    EXPECT_EQ(events[7].pos.buttons, 0xFFFu);
    EXPECT_EQ(events[7].pos.y, 65535u);
    EXPECT_EQ(events[8].action, ScriptAction::PAD_UNPLUG);
    EXPECT_EQ(events[9].message.message, uint32_t(WM_KILLFOCUS));

    struct Bad {
        const char* line;
        const char* why;
    };
    const Bad bad[] = {
        {"x key-down 1", "\"x\" is not a frame number"},
        {"5", "the event is missing"},
        {"3 key-down 1", "frame 3 comes after frame 4"},
        {"5 key-down", "key-down takes 1 argument"},
        {"5 key-down 256", "key-down: \"256\" is not a number 0-255"},
        {"5 key-down 0x", "key-down: \"0x\" is not a number 0-255"},
        {"5 mouse-down middle", "mouse-down: left or right, not \"middle\""},
        {"5 pad 2 0 0 0", "pad: \"2\" is not a number 0-1"},
        {"5 pad 0 0 0 65536", "pad: \"65536\" is not a number 0-65535"},
        {"5 focus-lost now", "focus-lost takes 0 arguments"},
        {"5 jump", "no such event \"jump\""},
        {"99999999999 focus-lost", "\"99999999999\" is not a frame number"},
    };
    for (const Bad& b : bad) {
        why.clear();
        EXPECT_FALSE(input_script_parse_line(b.line, events, why)) << b.line;
        EXPECT_EQ(why, b.why) << b.line;
    }
    EXPECT_EQ(events.size(), 10u);
}

TEST(InputScript, CommentsMayFollowTheArguments) {
    struct Case {
        const char* line;
        uint32_t message, wparam;
    } cases[] = {
        {"0 key-down 0x41 # the A key", WM_KEYDOWN, 0x41},
        {"0 focus-lost #now", WM_KILLFOCUS, 0},
        {"1 char #", WM_CHAR, '#'},  // the character itself
        {"1 char # # types a hash", WM_CHAR, '#'},
    };
    for (const Case& c : cases) {
        std::vector<ScriptEvent> events;
        std::string why;
        EXPECT_TRUE(input_script_parse_line(c.line, events, why)) << c.line << ": " << why;
        ASSERT_EQ(events.size(), 1u) << c.line;
        EXPECT_EQ(events[0].message.message, c.message) << c.line;
        EXPECT_EQ(events[0].message.wparam, c.wparam) << c.line;
    }
    std::vector<ScriptEvent> events;
    std::string why;
    EXPECT_FALSE(input_script_parse_line("2 key-down # no key", events, why));
    EXPECT_EQ(why, "key-down takes 1 argument");
}

class InputRun : public Headless {
protected:
    void write(const char* name, const std::string& text) { std::ofstream(run_dir() / name, std::ios::binary) << text; }
    std::vector<uint32_t> results(int n) {
        std::vector<uint8_t> ram = file_bytes(run_dir() / "ram.bin");
        EXPECT_EQ(be32(ram, MARK_DONE), 0x444F4E45u) << "the ROM did not finish";
        std::vector<uint32_t> r;
        for (int i = 0; i < n; i++) r.push_back(be32(ram, RESULTS + 4 * i));
        return r;
    }
};

TEST_F(InputRun, KeysMouseAndPadsThroughTheHardware) {
    install_rom("input_hardware");
    install_cgrom();
    // 'A' is scan code $1E; table 0: up ('1') bit 0, button 1 ('A') bit 5.
    write("AT2X.KEY", "/key.\n1e=41\n/pad.\n0 = * * * * * * * * * * A * * * * 1\n");
    write("input.txt",
          "# frame event\n3 key-down 0x41\n4 mouse-move 300 50\n5 key-up 0x41\n"
          "6 key-down 0x5A\n6 key-down 0x26\n7 pad 1 1 32767 0\n");
    Outcome r = zolm(
        "--input input.txt --virtual-clock --frames 200 --dump-ram ram.bin -n "
        "--set KEY=1 --set MOUSE=1 --set JOY0=1 --set JOY1=3");
    ASSERT_EQ(r.status, 0) << r.err;
    // Two key bytes, make and break, and no interrupt without a byte; the
    // pointer 200 dots right of the cursor at 100 is a count of 39; Z and
    // up on the keyboard pad, button 1 and up on host pad 1.
    EXPECT_EQ(results(8), (std::vector<uint32_t>{2, 0x1E, 0x9E, 0, 39, 0, 0xDE, 0xDE}));
}

// JOY0=4 with FM 3: host pad 0 reaches port A through the PC-98 card's
// connector 0 and reads what JOY1=2 reads of host pad 1, the same events.
TEST_F(InputRun, PadsThroughTheFmCardsConnector) {
    install_rom("input_hardware");
    install_cgrom();
    write("AT2X.KEY", "/pad.\n0 = * * * * * * * * * * A * * * * 1\n");
    write("input.txt", "7 pad 0 1 32767 0\n7 pad 1 1 32767 0\n");
    Outcome r = zolm(
        "--input input.txt --virtual-clock --frames 200 --dump-ram ram.bin -n "
        "--set KEY=1 --set MOUSE=1 --set FM=3 --set JOY0=4 --set JOY1=2");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<uint32_t> got = results(8);
    EXPECT_EQ(got[6], 0xDEu) << "port A: button 1 and up through the card";
    EXPECT_EQ(got[7], 0xDEu) << "port B: the same on host pad 1";
}

// MOUSE 2 over the whole road: 120 moves of 4 dots, packets asked for
// every other frame; the machine's cursor follows the 480 dots within a
// count. A move on frame 0, before any picture, waits for the first one.
TEST_F(InputRun, RelativeMouseFollowsEveryMove) {
    install_rom("input_mouse_relative");
    install_cgrom();
    std::string script = "0 mouse-move 20 100\n";
    for (int i = 1; i <= 120; i++)
        script += std::to_string(40 + i) + " mouse-move " + std::to_string(20 + 4 * i) + " 100\n";
    write("input.txt", script);
    Outcome r = zolm("--input input.txt --virtual-clock --frames 400 --dump-ram ram.bin -n --set MOUSE=2");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<uint32_t> got = results(3);
    EXPECT_NEAR(double(got[0]), 20, 2) << "the move on frame 0 was taken";
    EXPECT_NEAR(double(got[1]) - double(got[0]), 480, 2);
    EXPECT_EQ(got[2] % 3, 0u);
}

// A half-width katakana typed with KEY 0 reaches the buffer as its byte.
TEST_F(InputRun, KatakanaKeepsItsByte) {
    install_rom("input_iocs");
    install_cgrom();
    write("input.txt", "30 char 0xB1\n");
    Outcome r = zolm("--input input.txt --virtual-clock --frames 200 --dump-ram ram.bin -n --set KEY=0");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(results(1)[0] & 0xFF, 0xB1u);
}

// Every key of the shipped JP-106 map, pressed and released in turn with
// KEY 0, reaches the key matrix at its own scan code; those that make a
// buffer entry bring their scan code there too.
TEST_F(InputRun, EveryKeyOfTheShippedMapReachesTheMatrix) {
    install_rom("input_key_matrix");
    install_cgrom();
    fs::copy_file(ZOLM_SHIPPED_KEYMAP, run_dir() / "AT2X.KEY");
    std::ifstream map(ZOLM_SHIPPED_KEYMAP);
    std::string line, script;
    uint32_t matrix[4] = {}, buffer[4] = {};
    int frame = 4;
    bool in_sca = false;
    while (std::getline(map, line)) {
        if (line.starts_with("/")) in_sca = line.starts_with("/sca.");
        unsigned value, vk;
        if (!in_sca || std::sscanf(line.c_str(), "%x=%x", &value, &vk) != 2) continue;
        uint32_t scan = value & 0x7F;
        matrix[scan / 32] |= 0x80000000u >> (scan % 32 / 8 * 8) >> (7 - scan % 8);
        // The shift keys ($70 up) leave an entry at key-up in any case.
        if (!(value & 0x8000) || scan >= 0x70)
            buffer[scan / 32] |= 0x80000000u >> (scan % 32 / 8 * 8) >> (7 - scan % 8);
        script += std::to_string(frame) + " key-down " + std::to_string(vk) + "\n";
        script += std::to_string(frame + 1) + " key-up " + std::to_string(vk) + "\n";
        frame += 2;
    }
    ASSERT_GT(frame, 150) << "the map's keys were read";
    ASSERT_LT(frame, 250) << "the ROM watches 260 frames";
    write("input.txt", script);
    Outcome r = zolm("--input input.txt --virtual-clock --frames 400 --dump-ram ram.bin -n --set KEY=0");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<uint32_t> got = results(8);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(got[i], matrix[i]) << std::hex << "matrix bytes " << 4 * i << "-" << 4 * i + 3;
        EXPECT_EQ(got[4 + i], buffer[i]) << std::hex << "buffer scan codes " << 32 * i << "-" << 32 * i + 31;
    }
}

TEST_F(InputRun, KeysThroughTheIocsCalls) {
    install_rom("input_iocs");
    install_cgrom();
    write("AT2X.KEY", "/asc.\n1e=61\n");
    write("input.txt", "30 char a\n");
    Outcome r = zolm("--input input.txt --virtual-clock --frames 200 --dump-ram ram.bin -n --set KEY=0");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(results(3), (std::vector<uint32_t>{0x1E61, 0, 0})) << "_B_KEYINP waited for the character";
}

TEST_F(InputRun, AMalformedLineStopsBeforeTheRun) {
    install_rom("input_iocs");
    install_cgrom();
    write("input.txt", "1 char a\n\n2 press 5\n");
    Outcome r = zolm("--input input.txt --frames 5 --dump-ram ram.bin");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "zolm: --input: input.txt:3: no such event \"press\"\n");
    EXPECT_FALSE(fs::exists(run_dir() / "ram.bin")) << "the machine did not start";
    r = zolm("--input missing.txt --frames 5");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "zolm: --input: missing.txt: cannot be read\n");
}

TEST_F(InputRun, RandomAndOversizedKeyMapsStartTheMachine) {
    install_rom("input_iocs");
    install_cgrom();
    write("input.txt", "2 char a\n2 focus-lost\n");
    std::mt19937 rng(11);
    std::string big = "/key.\n" + std::string(300000, '1') + "\n/pad.\n0 = " + std::string(100000, '*') + "\n";
    std::string noise(70000, '\0');
    for (char& c : noise) c = char(rng());
    for (const std::string& map : {big, noise, std::string("/pad.\n5 = aAbB1248\x1a\n/asc.\n1e=61\n")}) {
        write("AT2X.KEY", map);
        Outcome r = zolm("--input input.txt --virtual-clock --frames 60 -n --set KEY=0");
        EXPECT_EQ(r.status, 0) << r.err;
    }
}

}  // namespace
