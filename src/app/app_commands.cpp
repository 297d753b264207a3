#include "app/app_commands.h"

#include "app/disk_panel.h"
#include "core/boundary.h"
#include "machine/mfp.h"

int g_running;

namespace {

constexpr int PANEL_REFRESH_AFTER_POWER = 2; // slices

} // namespace

void app_on_nmi() { emu_post_request(REQ_NMI); }

void app_on_power() {
    emu_post_request(REQ_POWER_SWITCH);
    g_mfp.regs[MFP_GPIP] ^= GPIP_POWER_SWITCH;
    g_panel_refresh_countdown = PANEL_REFRESH_AFTER_POWER;
}
