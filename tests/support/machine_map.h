// Test support: the machine's real memory map on top of the flat-bus set-up.
#pragma once

#include <cstdint>

// Flat-bus set-up and a processor reset (PC $300000, SSP $3F0000), then the
// images, main RAM of ram_size and the real page tables with the CRTC at 0.
// False when an allocation or the map fails.
bool machine_map_install(uint32_t ram_size = 0x400000);

// Powers the video devices on as start-up does, clears the host side of
// the picture and zeroes the sprite area (which powers on as 0xFF), so that
// a picture depends only on what the test writes.
void video_state_clear();

// What the machine does at a frame start and then at the start of the
// vertical display: the video state latched, the display registers taken.
void video_start_frame();
