#include "app/app_commands.h"

#include "core/boundary.h"
#include "machine/mfp.h"
#include "machine/ui_notice.h"

int g_running;

namespace {

constexpr int PANEL_REFRESH_AFTER_POWER = 2;  // slices

}  // namespace

void app_on_nmi() { emu_post_request(REQ_NMI); }

void app_on_power() {
    emu_post_request(REQ_POWER_SWITCH);
    g_mfp.regs[MFP_GPIP] ^= GPIP_POWER_SWITCH;
    g_ui_notice.panel_refresh_countdown = PANEL_REFRESH_AFTER_POWER;
}
