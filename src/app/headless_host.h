// The run loop's host for runs without a window: the input script stands
// for the window's events, the focus is always on, and the frames are
// counted against the frame limit.
#pragma once

#include <cstdint>
#include <string>

#include "app/headless.h"
#include "app/input_script.h"
#include "app/run_loop.h"
#include "video/frame_buffer.h"

// One headless session: the options, the picture's buffer and what the
// runs of the loop have found.
struct HeadlessSession {
    const HeadlessOptions* options;
    FrameBuffer screenshot_buffer;
    HeadlessResult result;
    bool broke, halt_loop;
    uint32_t halt_pc;
    uint32_t vsyncs;  // vertical syncs of the runs, for the statistics
    InputScript script;
};

// One run of the loop in a session (each debugger "g" is one). A pass runs
// one slice whatever SPEED says. The run ends at power-off, a break (or
// SIGINT in the debugger), the frame limit of this run, a machine that only
// halts, or AC plug by a signal, which stays pending (in the debugger it
// ends the session too).
class HeadlessHost : public RunLoopHost {
public:
    explicit HeadlessHost(HeadlessSession& session) : session_(session) {}

    // The script's lines due before the next frame; none once the run is over.
    bool pump() override;
    bool has_focus() override { return true; }  // headless counts as focused: the sound plays
    void wait_event(uint32_t) override {}
    uint32_t now_ms() override;  // the emulated time with the virtual clock
    void run_slice(uint32_t step_flag) override;
    void poll_joystick() override {}                      // polled in the slice, a broken one too
    void draw_frame() override {}                         // the slice that ends a frame takes it
    void show_statistics(const std::string&) override {}  // there is no panel
    uint32_t slice_step() override { return SLICE_STEP_ONE; }

private:
    HeadlessSession& session_;
    uint32_t frames_ = 0;  // frames of this run, for the frame limit
};
