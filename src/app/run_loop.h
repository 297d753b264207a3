// The run loop of the main window and of headless runs: host events pumped
// between run slices, frames drawn, the focus rule, the statistics.
#pragma once

#include <cstdint>
#include <string>

#include "app/info_dialogs.h"
#include "input/joystick.h"

// What the loop needs of the host. The SDL window is one, the headless
// runner another (HeadlessHost); the tests drive the loop through a fake.
class RunLoopHost {
public:
    virtual ~RunLoopHost() = default;
    // Takes queued events until none is left, or up to and including a
    // mouse button event (its own pass). False on a quit.
    virtual bool pump() = 0;
    // The main window has the keyboard focus.
    virtual bool has_focus() = 0;
    // Waits up to ms for an event, taking none (the idle pass), and redraws.
    virtual void wait_event(uint32_t ms) = 0;
    // Milliseconds of a steady clock.
    virtual uint32_t now_ms() = 0;
    // One run slice of the machine (init_run_slice).
    virtual void run_slice(uint32_t step_flag) = 0;
    // The joystick poll, with the focus only.
    virtual void poll_joystick() { joy_poll(); }
    // Composes and shows the frame.
    virtual void draw_frame() = 0;
    // The panel's refresh (its LEDs) when its countdown ran out.
    virtual void refresh_panel() {}
    // After every slice: the devices' notice to the panel (an insert or an
    // eject, an access LED lit) taken.
    virtual void take_notice() {}
    // The statistics title for the disk panel's caption; the debug
    // information lines changed.
    virtual void show_statistics(const std::string& title) = 0;
    // The 555/565 choice, the first thing of every run.
    virtual void choose_pixel_format() {}
    // Tenths of a slice a pass, read before every pass (SPEED: g_slice_step).
    virtual uint32_t slice_step();
};

// Ends the running loop at its next pass (AC plug: 3); 0 at every start.
extern int g_stop_request;
// Statistics: the time of the last update, frames drawn since then.
extern uint32_t g_stats_time;
extern uint32_t g_draw_count;
// The debug-information lines; the loop writes the first two.
extern std::string g_debug_text[DEBUG_TEXT_LINES];

inline constexpr uint32_t STATS_INTERVAL_MS = 800;
inline constexpr uint32_t UNFOCUSED_WAIT_MS = 32;
inline constexpr uint32_t BACKG_PASS_MASK = 0x0F;  // unfocused with BACKG: every 16th pass runs
inline constexpr int STOP_AC_PLUG = 3;
inline constexpr uint32_t SLICE_STEP_ONE = 10;  // a slice step of one slice a pass

// Runs until a quit (pump false), a stop request or a break (bit 1 of
// g_run_flags). The step flag goes to every slice (0: run; the debugger's
// "g" too).
void dlg_run_main_loop(RunLoopHost& host, uint32_t step_flag);
