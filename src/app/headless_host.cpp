#include "app/headless_host.h"

#include "debugger/debugger.h"
#include "host/signals.h"
#include "host/wave_voice.h"
#include "input/joystick.h"
#include "machine/machine.h"
#include "machine/startup.h"
#include "machine/system_port.h"
#include "video/video_state.h"

namespace {

constexpr uint32_t POWER_OFF_WRITES = 2;  // the system port's power-off count that turns the machine off

}  // namespace

bool HeadlessHost::pump() {
    if (host_signal_ac_plug_pending()) g_stop_request = STOP_AC_PLUG;
    if (!g_stop_request) input_script_apply(session_.script, session_.result.frames);
    return true;
}

uint32_t HeadlessHost::now_ms() { return uint32_t(host_time_ms()); }

void HeadlessHost::run_slice(uint32_t step_flag) {
    HeadlessSession& s = session_;
    uint32_t vsyncs_before = g_machine.frame.vsync_count;
    init_run_slice(step_flag);
    s.vsyncs += g_machine.frame.vsync_count - vsyncs_before;
    joy_poll();
    if (g_machine.requests.event_request == REQ_END_SLICE) {
        emu_take_request();
        frames_++;
        s.result.frames++;
        // With a script the frame is drawn, as in the window: the mouse's
        // positions are in the picture as drawn.
        if (!s.script.events.empty()) g_video.vid_render_frame(s.screenshot_buffer.bytes(), FB_ROWS, -1);
    }
    // What ends the run, the first that holds. A break ends the loop
    // itself; the rest end it as AC plug does, before the script goes on.
    bool breaking = (run_flags() & RUN_BREAK) != 0;
    if (breaking && g_sys.power_off_count >= POWER_OFF_WRITES) {
        s.result.powered_off = true;
    } else if (breaking || dbg_interrupt_pending()) {
        s.broke = true;
        g_stop_request = STOP_AC_PLUG;
    } else if (init_halt_looping(&s.halt_pc)) {
        s.halt_loop = true;
        g_stop_request = STOP_AC_PLUG;
    } else if (s.options->frames && frames_ >= s.options->frames) {
        g_stop_request = STOP_AC_PLUG;
    }
}
