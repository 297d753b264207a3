// The settings: one field per key of the configuration file but the
// drive slots' FD0-FD3 (the slots hold those names), in the file's order.
// Settings{} is every key's default; the devices read g_settings.
#pragma once

#include <cstdint>
#include <string>

struct Settings {
    // EXT: filter of the disk chooser, "text|patterns|...||"
    std::string ext = "ZOLM (*.xdf;*.DIM;*.2HD;*.DUP;*.HDM)|*.xd*;*.2HD;*.DUP;*.DIM;*.HDM|ZOLM All Files (*.*)|*.*||";
    int32_t fdnum = 0;      // FDNUM: four floppy drives instead of two
    int32_t speed = 2;      // SPEED: frames per drawn frame, 0-5 = x1, x2, x3, x4, x8, x1.5
    int32_t crt = 2;        // CRT: the picture's scale, 0-3 (2: as the guest's pixels)
    int32_t frame = 1;      // FRAME: the frame budget follows the cycles the host runs
    int32_t minclock = 1;   // MINCLOCK: the budget's floor is 5 MHz instead of 10 MHz
    int32_t autosize = 0;   // AUTOSIZE: the window fits the picture's size
    int32_t sel15bpp = 0;   // SEL15BPP: host pixels are 555 instead of 565 (a timed choice)
    int32_t bppreg = -1;    // BPPREG: the desktop depth SEL15BPP was chosen at
    int32_t ddraw = 0;      // DDRAW: full screen in a desktop mode that fits the picture
    int32_t joy0 = 0;       // JOY0: where port 1's input comes from (JoyMode)
    int32_t joy1 = 0;       // JOY1: where port 2's input comes from (JoyMode)
    int32_t joyout = 0;     // JOYOUT: the pad table used, 0-5
    int32_t fpu = 0;        // FPU: serve FE-calls on the host
    int32_t pal = 1;        // PAL: any palette write redraws the next frame whole
    int32_t priority = 1;   // PRIORITY: (S.Zp) pass on
    int32_t vsync = 0;      // VSYNC: saved and shown only
    int32_t warnvirus = 1;  // WARNVIRUS: 0 switches the boot-area question off
    int32_t perform = 0;    // PERFORM: stop-watch display
    int32_t vram_size = 0;  // VRAM_SIZE: high-resolution buffer
    int32_t gpriority = 1;  // GPRIORITY: (G.Zp) pass on
    int32_t backg = 1;      // BACKG: keep running in the background
    int32_t eject = 1;      // EJECT: software eject enabled
    int32_t mouse = 1;      // MOUSE: 0 IOCS work area, 1 and 2 SCC packets
    int32_t key = 0;        // KEY: keyboard through the MFP (0: IOCS key calls)
    int32_t ime = 0;        // IME: keep the input method away, F10 and Alt as keys
    int32_t wav = 1;        // WAV: ADPCM output as a WAV sound
    int32_t midi = 1;       // MIDI: the MIDI board is fitted
    // FM: the back end OPM writes go to, 0 none, 1 OPL3, 2 OPL2, 3 PC-98
    // card, 4 library; the card's start leaves in it the one that runs.
    int32_t fm = 0;
    int32_t fmwait1 = 1;   // FMWAIT1: dummy reads after an OPL address write
    int32_t fmwait2 = 2;   // FMWAIT2: dummy reads after an OPL data write
    int32_t fmsample = 1;  // FMSAMPLE: 0 = 22050 Hz, 1 = 44100 Hz
    int32_t fmopm = 1;     // FMOPM, FMADPCM, FMBETW, FMPCMBUF, FMLATE:
    int32_t fmadpcm = 1;   //   start arguments of the library
    int32_t fmbetw = 5;
    int32_t fmpcmbuf = 5;
    int32_t fmlate = 200;
    double fmrev = 1.0;                     // FMREV: the file holds the low 32 bits of its bit pattern
    int32_t fmpcm8 = 1;                     // FMPCM8: serve PCM8 calls through the library
    int32_t fmvol = 256;                    // FMVOL: total volume of the library
    int32_t winfd = 0;                      // WINFD: keep the host drive off the floppy letters
    std::string font;                       // FONT: a CG ROM image file that replaces the loaded one
    std::string winfont = "ＭＳ ゴシック";  // WINFONT: face of the substitute CG ROM
    int32_t longname = 1;                   // LONGNAME: long file names on the host drive
    int32_t nmidebug = 1;                   // NMIDEBUG: NMI breaks into the debugger
};

extern Settings g_settings;
