// Machine start-up, reset and shut-down.
#pragma once

// Resets the processor from the IPL ROM's vectors.
void init_reset_machine();
