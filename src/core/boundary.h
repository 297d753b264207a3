// What the processor core needs of the rest of the machine, in one place.
// Nothing in src/core includes another subsystem's header but this one;
// the owners define these names and include this header where they do.
#pragma once

#include <cstdint>

struct DecodeRecord;
struct DisLine;

// Machine requests (machine/machine.cpp): the loop stops after the current
// instruction and the run driver hands the code to emu_dispatch_request.
enum MachineRequest : uint32_t {
    REQ_NONE = 0,
    REQ_RESCHEDULE = 2,
    REQ_RASTER_LINE = 3,
    REQ_FRAME_START = 5,
    REQ_END_SLICE = 6,
    REQ_VIDEO_MODE = 7,
    REQ_RTC_ACCESS = 10,
    REQ_NMI = 11,
    REQ_VSYNC_END = 14,
    REQ_MOUSE = 16,
    REQ_KEY = 17,
    REQ_RTC_TICK = 18,
    REQ_POWER_SWITCH = 19,
    REQ_VDISP_START = 23,
    REQ_VDISP_END = 24,
    REQ_RASTER_HIT = 25,
};
void emu_post_request(uint32_t code);
// Handles the pending request; returns whether the slice goes on.
uint32_t emu_dispatch_request();
// The pending request, REQ_NONE when none.
uint32_t emu_pending_request();
// Main RAM as the exception entry reads its vectors.
const uint8_t* emu_main_ram();
uint32_t emu_main_ram_size();
// The processor halted on a double bus fault: the machine is told (and
// resets it); the core then leaves the instruction.
void emu_cpu_halted(uint32_t pc);

// Memory map (machine/memory_map.cpp): host bases of the pages where an
// access only loads or stores big-endian bytes (plain main RAM), host =
// base + 24-bit address; nullptr sends the access through the page tables.
// Writes to the supervisor area are plain in supervisor mode only: those
// pages have a base in the *_super tables alone. Bytes and words index
// address >> 17. Longs index (address + 2) >> 17, so one at a page's last
// word meets the page above: a long entry is set only where the page below
// has the same base (page 0 needs none), and entry 128 (a long at $FFFFFE,
// which wraps) stays nullptr.
struct DirectPages {
    uint8_t* read[129];
    uint8_t* write[129];
    uint8_t* write_super[129];
    uint8_t* read_long[129];
    uint8_t* write_long[129];
    uint8_t* write_long_super[129];
};
extern DirectPages g_direct_pages;

// Scheduler (machine/scheduler.cpp): runs the handler its device
// registered for the event kind that fell due.
void sched_dispatch(uint32_t kind);

// MFP (machine/mfp.cpp): requests the best pending unmasked channel from
// the processor; true when one was requested.
bool mfp_scan_interrupts();

// DMA controller (storage): vector of its pending level-3 interrupt.
uint32_t dma_pending_vector();

// Firmware routines served on the host (firmware): no arguments; they work
// on the registers and memory.
using FirmwareRoutine = void (*)();
extern FirmwareRoutine g_iocs_hook_table[256];
extern FirmwareRoutine g_iocs_native_table[256];
// Set by a native routine that waits (an empty key buffer): the TRAP runs
// again, its PC kept on it, so that time and interrupts go on meanwhile.
extern uint32_t g_iocs_call_again;
// Called with the IOCS call number as each TRAP #15 starts.
void iocs_call_started(uint32_t call);
// The FE-call routine of index 0-255, nullptr when FE-calls are not served.
FirmwareRoutine fe_call_routine(uint32_t index);
// TRAP #2: true when the PCM8 call in D0 is served on the host (sound).
bool pcm8_call_served(uint32_t d0);
void sndlib_pcm8_call();

// Debugger: set while the console is open; its text output.
extern uint32_t g_debugger_active;
void dbg_write(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Disassembler routines of the decode records (debugger).
// clang-format off
#define ZOLM_DIS_ROUTINES(X) \
    X(illegal) X(abcd) X(sbcd) X(add) X(sub) X(cmp) X(adda) X(suba) X(cmpa) X(addx) X(subx) \
    X(addi) X(subi) X(cmpi) X(addq) X(subq) X(and) X(or) X(eor) X(andi) X(ori) X(eori) \
    X(as) X(ls) X(rox) X(ro) X(bcc) X(bchg) X(bclr) X(bset) X(btst) X(chk) X(cmpm) X(dbcc) \
    X(divu) X(divs) X(exg) X(ext) X(jsr) X(jmp) X(lea) X(link) X(move) X(move_to_ccr) \
    X(move_to_sr) X(move_from_sr) X(move_usp) X(movea) X(movem) X(movep) X(moveq) X(mulu) \
    X(muls) X(nbcd) X(neg) X(negx) X(not) X(clr) X(tst) X(pea) X(reset) X(nop) X(stop) \
    X(rte) X(rts) X(rtr) X(scc) X(swap) X(tas) X(trap) X(trapv) X(unlk) X(dosfunc) X(fefunc)
// clang-format on

#define ZOLM_DECLARE_DIS(name) uint32_t dis_##name(const DecodeRecord* rec, uint32_t pc, uint32_t opcode, DisLine& out);
ZOLM_DIS_ROUTINES(ZOLM_DECLARE_DIS)
#undef ZOLM_DECLARE_DIS
