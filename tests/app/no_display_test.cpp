// A DISPLAY that names no X server: SDL would fall back to a driver that
// shows nothing and the program would wait for ever for a click. It says
// so and ends with 1 instead.
#include "support/headless_fixture.h"

using namespace headless_fixture;

namespace {

TEST_F(Headless, DisplayWithoutServerEndsWithNoWindow) {
    install_rom("demo");
    install_cgrom();
    // Display 65123 has no socket or port of a server anywhere.
    Outcome r = zolm("-n </dev/null",
                     "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:65123 ASAN_OPTIONS=detect_leaks=0 timeout 30");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("zolm: no window: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("DISPLAY=\":65123\""), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("ZOLM DEBUGGER"), std::string::npos) << "no session starts: " << r.out;
}

}  // namespace
