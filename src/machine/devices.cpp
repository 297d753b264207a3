// The one start-up list of the machine's devices.
#include "machine/device.h"

#include <array>

#include "core/cpu_loop.h"
#include "firmware/fe_host_fpu.h"
#include "firmware/rs232c.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "input/ppi.h"
#include "input/scc.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/mfp.h"
#include "machine/rtc.h"
#include "machine/scheduler.h"
#include "machine/sram.h"
#include "machine/startup.h"
#include "machine/system_port.h"
#include "sound/adpcm.h"
#include "sound/midi.h"
#include "sound/opm.h"
#include "storage/dma.h"
#include "storage/fdc.h"
#include "storage/windrv.h"
#include "video/crtc.h"
#include "video/palette.h"
#include "video/sprite.h"
#include "video/video_state.h"
#include "video/vram.h"

namespace {

// The machine's own reset: requests forgotten, the scheduler cleared but
// for the video timing, the bus out of probe mode.
void machine_reset() { init_reset_machine_state(); }

const std::array<DeviceEntry, 26> s_devices = {{
    {"MC68000", cpu_power_on, init_reset_cpu, cpu_state},
    {"scheduler", sched_power_on, nullptr, sched_state},
    {"machine", machine_power_on, machine_reset, machine_state},
    {"memory map", mem_map_power_on, nullptr, mem_map_state},
    {"MFP", mfp_power_on, nullptr, mfp_state},
    {"RTC", rtc_power_on, rtc_reset, rtc_state},
    {"system port", sys_power_on, nullptr, sys_state},
    {"SRAM", sram_power_on, nullptr, sram_state},
    {"CRTC", crtc_power_on, nullptr, crtc_state},
    {"palette", pal_power_on, nullptr, pal_state},
    {"sprite and BG", spr_power_on, nullptr, spr_state},
    {"text VRAM", tvram_power_on, nullptr, tvram_state},
    {"graphic VRAM", gvram_power_on, nullptr, gvram_state},
    {"composition", vid_power_on, nullptr, vid_state},
    {"DMA controller", dma_power_on, nullptr, dma_state},
    {"YM2151", opm_power_on, opm_reset, opm_state},
    {"ADPCM", adpcm_power_on, nullptr, adpcm_state},
    {"MIDI board", midi_power_on, nullptr, midi_state},
    {"floppy controller", fdc_power_on, nullptr, fdc_state},
    {"host drive", windrv_power_on, nullptr, windrv_state},
    {"SCC", scc_power_on, scc_reset, scc_state},
    {"i8255", ppi_power_on, nullptr, ppi_state},
    {"keyboard", key_power_on, key_reset, key_state},
    {"mouse", mouse_power_on, nullptr, mouse_state},
    {"RS-232C calls", rs232c_power_on, nullptr, rs232c_state},
    {"FE-call FPU", fe_fpu_power_on, nullptr, fe_fpu_state},
}};

}  // namespace

std::span<const DeviceEntry> machine_devices() { return s_devices; }

void devices_power_on() {
    for (const DeviceEntry& d : s_devices) d.power_on();
}

void devices_reset() {
    for (const DeviceEntry& d : s_devices)
        if (d.reset) d.reset();
}
