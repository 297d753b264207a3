#include <gtest/gtest.h>

#include "app/headless.h"

namespace {

TEST(HeadlessOptions, HostOptionsAreTakenOutAndTheRestIsKept) {
    std::vector<std::string> args = {"zolm", "-c", "--headless", "game.xdf", "--frames", "12",
                                     "--dump-ram", "ram.bin", "--virtual-clock", "--screenshot", "s.png", "x.cfg"};
    HeadlessOptions o = headless_parse_options(args);
    EXPECT_TRUE(o.headless);
    EXPECT_TRUE(o.virtual_clock);
    EXPECT_EQ(o.frames, 12u);
    EXPECT_EQ(o.dump_ram, "ram.bin");
    EXPECT_EQ(o.screenshot, "s.png");
    EXPECT_TRUE(o.error.empty());
    EXPECT_EQ(args, (std::vector<std::string>{"zolm", "-c", "game.xdf", "x.cfg"}));
}

TEST(HeadlessOptions, AMalformedFrameCountIsAnError) {
    for (const char* bad : {"x", "-1", "", "12x", "99999999999"}) {
        std::vector<std::string> args = {"zolm", "--frames", bad};
        EXPECT_FALSE(headless_parse_options(args).error.empty()) << bad;
    }
}

} // namespace
