#include "support/powered_on.h"

#include "machine/device.h"
#include "machine/settings.h"

void power_on_with_defaults() {
    g_settings = Settings{};
    devices_power_on();
}
