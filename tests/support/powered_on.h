// Test support: the machine as a power-on leaves it, with the default
// settings.
#pragma once

#include <gtest/gtest.h>

// g_settings to Settings{}, then every device of the start-up list powered
// on (the memory map is not built: a test installs its own bus after this).
void power_on_with_defaults();

// A fixture whose every case starts from power_on_with_defaults(); a
// subclass's SetUp calls PoweredOnMachine::SetUp() first.
class PoweredOnMachine : public ::testing::Test {
protected:
    void SetUp() override { power_on_with_defaults(); }
};
