// Configuration values, one per key of the configuration file. Settings
// that a device reads all the time live with it: CRT, SEL15BPP and BPPREG in
// video/video_state.h, AUTOSIZE and DDRAW in video/frame_buffer.h, PAL,
// PRIORITY and GPRIORITY with their renderers, WARNVIRUS in
// storage/virus_warning.h, the FM keys in sound/fm_card.h, MIDI in
// sound/midi.h, JOY0, JOY1 and JOYOUT in input/joystick.h.
#pragma once

#include <string>

extern int g_cfg_fdnum;     // FDNUM: four floppy drives instead of two
extern int g_cfg_speed;     // SPEED: frames per drawn frame, 0-5 = x1, x2, x3, x4, x8, x1.5
extern int g_cfg_frame;     // FRAME: the frame budget follows the cycles the host runs
extern int g_cfg_minclock;  // MINCLOCK: the budget's floor is 5 MHz instead of 10 MHz
extern int g_cfg_fpu;       // FPU: serve FE-calls on the host
extern int g_cfg_vsync;     // VSYNC: saved and shown only
extern int g_cfg_perform;   // PERFORM: stop-watch display
extern int g_cfg_vram_size; // VRAM_SIZE: high-resolution buffer
extern int g_cfg_backg;     // BACKG: keep running in the background
extern int g_cfg_eject;     // EJECT: software eject enabled
extern int g_cfg_mouse;     // MOUSE: 0 IOCS work area, 1 and 2 SCC packets
extern int g_cfg_key;       // KEY: keyboard through the MFP (0: IOCS key calls)
extern int g_cfg_ime;       // IME: keep the input method away, F10 and Alt as keys
extern int g_cfg_wav;       // WAV: ADPCM output as a WAV sound
extern int g_cfg_winfd;     // WINFD: keep the host drive off the floppy letters
extern int g_cfg_longname;  // LONGNAME: long file names on the host drive
extern int g_cfg_nmidebug;  // NMIDEBUG: NMI breaks into the debugger

extern std::string g_cfg_ext;     // EXT: filter of the disk chooser, "text|patterns|...||"
extern std::string g_cfg_winfont; // WINFONT: face of the substitute CG ROM
extern std::string g_cfg_font;    // FONT: a CG ROM image file that replaces the loaded one
