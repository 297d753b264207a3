// The console debugger's command lines: each command's forms, and hostile
// lines (garbage, overlong numbers, 32-bit ends, NUL bytes, huge lines)
// that must come back as nothing or as bounded values.
#include <gtest/gtest.h>

#include <string>

#include "debugger/dbg_parse.h"

namespace {

using namespace std::string_literals;

TEST(DbgParse, Dump) {
    struct Case {
        std::string line;
        bool ok;
        char size = 0;
        bool has_start = false, has_end = false;
        uint32_t start = 0, end = 0;
    } cases[] = {
        {"d", true, 0, false, false, 0, 0},
        {"dw", true, 'w', false, false, 0, 0},
        {"dl 1000", true, 'l', true, false, 0x1000, 0},
        {"db 0,ff", true, 'b', true, true, 0, 0xFF},
        {"db 0, ff  ", true, 'b', true, true, 0, 0xFF},
        {"d 100", true, 0, true, false, 0x100, 0},
        {"db ffff00,ffffffff", true, 'b', true, true, 0xFFFF00, 0xFFFFFF},  // 32-bit end cut
        {"db 0,123456789abc", true, 'b', true, true, 0, 0xFFFFFF},          // too long: the largest
        {"ds 0,ff", true, 'b', true, true, 0, 0xFF},                        // the help's form: bytes
        {"dq 100", true, 'b', true, false, 0x100, 0},
        {"db", true, 'b', false, false, 0, 0},
        {"dbz", false},
        {"db 100 200", false},
        {"db 100,", false},
        {"db zz", false},
        {"db 10\0"
         "0"s,
         false},
        {"d-1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto a = dbg_parse_dump(c.line);
        ASSERT_EQ(a.has_value(), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(a->size, c.size);
        EXPECT_EQ(a->has_start, c.has_start);
        EXPECT_EQ(a->has_end, c.has_end);
        if (c.has_start) { EXPECT_EQ(a->start, c.start); }
        if (c.has_end) { EXPECT_EQ(a->end, c.end); }
    }
}

TEST(DbgParse, Watch) {
    struct Case {
        const char* line;
        bool clear, set;
        char kind;
        uint32_t start, last;
    } cases[] = {
        {"bc", true, false, 0, 0, 0},
        {"bc 1000", true, false, 0, 0, 0},
        {"b", false, false, 0, 0, 0},
        {"b 1000", false, true, 'a', 0x1000, 0x1000},  // one address alone
        {"bw 1000,10ff", false, true, 'w', 0x1000, 0x10FF},
        {"br 20", false, true, 'r', 0x20, 0x20},
        {"ba 1,2", false, true, 'a', 1, 2},
        {"b 5,6", false, true, 'a', 5, 6},
        {"b ffffffff", false, true, 'a', 0xFFFFFF, 0xFFFFFF},  // cut to 24 bits
        {"ba", false, false, 0, 0, 0},                         // not a watch at $A
        {"bad 1000", false, false, 0, 0, 0},
        {"bx 1000", false, false, 0, 0, 0},
        {"b 1000,", false, false, 0, 0, 0},
        {"b1000", false, false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        WatchArgs a = dbg_parse_watch(c.line);
        EXPECT_EQ(a.clear, c.clear);
        EXPECT_EQ(a.set, c.set);
        if (!c.set) continue;
        EXPECT_EQ(a.kind, c.kind);
        EXPECT_EQ(a.start, c.start);
        EXPECT_EQ(a.last, c.last);
    }
}

TEST(DbgParse, Register) {
    struct Case {
        const char* line;
        RegTarget target;
        uint32_t number, value;
    } cases[] = {
        {"r", RegTarget::Toggle, 0, 0},
        {"r d3,12345678", RegTarget::Data, 3, 0x12345678},
        {"r a7,8000", RegTarget::Address, 7, 0x8000},
        {"ra0,1", RegTarget::Address, 0, 1},
        {"r pc,12ff0008", RegTarget::Pc, 0, 0xFF0008},  // the PC is 24-bit
        {"r d9,1", RegTarget::Nothing, 0, 0},
        {"r a-1,1", RegTarget::Nothing, 0, 0},
        {"r d99999999999,1", RegTarget::Nothing, 0, 0},
        {"r d3", RegTarget::Toggle, 0, 0},
        {"r d3,zz", RegTarget::Toggle, 0, 0},
        {"r x", RegTarget::Toggle, 0, 0},
        {"r d1,5 junk", RegTarget::Toggle, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        RegArgs a = dbg_parse_register(c.line);
        EXPECT_EQ(a.target, c.target);
        if (c.target == RegTarget::Nothing || c.target == RegTarget::Toggle) continue;
        EXPECT_EQ(a.number, c.number);
        EXPECT_EQ(a.value, c.value);
    }
}

TEST(DbgParse, StepUntilAndList) {
    EXPECT_FALSE(dbg_parse_step("s")->has_address);
    EXPECT_FALSE(dbg_parse_step(" anything")->has_address);
    EXPECT_EQ(dbg_parse_step("s 1000")->address, 0x1000u);
    EXPECT_EQ(dbg_parse_step("s fffffffff")->address, 0xFFFFFFu);
    EXPECT_FALSE(dbg_parse_step("s zz"));
    EXPECT_FALSE(dbg_parse_step("sx"));

    EXPECT_EQ(dbg_parse_until("u ff0022"), 0xFF0022u);
    EXPECT_EQ(dbg_parse_until("u 0x10"), 0x10u);
    for (const char* bad : {"u", "u ", "u zz", "u 10 20", "u -1"}) EXPECT_FALSE(dbg_parse_until(bad)) << bad;

    auto l = dbg_parse_list("l 1001,50");
    EXPECT_TRUE(l->has_start);
    EXPECT_EQ(l->start, 0x1001u);  // made even where it is listed
    EXPECT_EQ(l->count, DBG_LIST_MAX);
    EXPECT_EQ(dbg_parse_list("l 100")->count, DBG_LIST_DEFAULT);
    EXPECT_EQ(dbg_parse_list("l 100,0")->count, 0u);
    EXPECT_FALSE(dbg_parse_list("l")->has_start);
    EXPECT_FALSE(dbg_parse_list("l 100,"));
    EXPECT_FALSE(dbg_parse_list("lx"));
}

TEST(DbgParse, HistoryAndIoLogCountsAreBounded) {
    struct HCase {
        const char* line;
        std::optional<int32_t> count;
    } history[] = {
        {"h", -1},
        {"h 5", 5},
        {"h -5", 0},
        {"h 8193", 8192},
        {"h 99999999999", 8192},
        {"h -99999999999", 0},
        {"h x", std::nullopt},
        {"h 5,", std::nullopt},
        {"hh", std::nullopt},
    };
    for (const HCase& c : history) EXPECT_EQ(dbg_parse_history(c.line), c.count) << c.line;

    auto w = dbg_parse_io("is e80000,ffe8ffff");
    EXPECT_EQ(w->form, IoForm::Window);
    EXPECT_EQ(w->start, 0xE80000u);
    EXPECT_EQ(w->end, 0xE8FFFFu);
    EXPECT_FALSE(dbg_parse_io("is 1000"));
    auto both = dbg_parse_io("i 0,-3");
    EXPECT_EQ(both->form, IoForm::CountAndPage);
    EXPECT_EQ(both->count, 1);
    EXPECT_EQ(both->page, DBG_PAGE_DEFAULT);
    EXPECT_EQ(dbg_parse_io("i 99999")->count, DBG_LOG_ENTRIES);
    EXPECT_EQ(dbg_parse_io("i")->form, IoForm::Bare);
    EXPECT_FALSE(dbg_parse_io("i 3,"));
    EXPECT_FALSE(dbg_parse_io("ix"));
}

TEST(DbgParse, HugeLinesAreOneCommandAndBounded) {
    // A megabyte of digits is one number, at its largest value.
    std::string digits(1 << 20, '9');
    EXPECT_EQ(dbg_parse_history("h " + digits), DBG_LOG_ENTRIES);
    EXPECT_EQ(dbg_parse_until("u " + digits), 0xFFFFFFu);
    // Garbage after a long run of spaces still fails the whole line.
    EXPECT_FALSE(dbg_parse_until("u 10" + std::string(5000, ' ') + "x"));
    EXPECT_TRUE(dbg_parse_until("u 10" + std::string(5000, ' ')));
}

}  // namespace
