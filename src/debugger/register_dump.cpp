#include "debugger/register_dump.h"

#include <cstdarg>
#include <cstdio>

#include "core/cpu_regs.h"
#include "debugger/debugger.h"
#include "host/paths.h"
#include "machine/memory_map.h"
#include "machine/mfp.h"
#include "machine/scheduler.h"
#include "sound/adpcm.h"
#include "sound/fm_card.h"
#include "storage/dma.h"
#include "video/crtc.h"
#include "video/palette.h"
#include "video/sprite.h"

namespace {

__attribute__((format(printf, 2, 3))) void put(std::string& out, const char* fmt, ...) {
    char buf[256];
    va_list args;
    va_start(args, fmt);
    int n = std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    if (n > 0) out.append(buf, size_t(n) < sizeof buf ? size_t(n) : sizeof buf - 1);
}

const char* const COLOUR_MODES[8] = {
    "0: 16c. x4p.", "1: 256c. x2p.", "2: ---", "3: 64kc. x1p.", "4: 1024x1024", "5: ----", "6: ----", "7: ----",
};

const char* colour_mode(uint32_t bits) { return COLOUR_MODES[bits & 7]; }

std::string resolution(uint32_t bits) {
    switch (bits) {
    case 0x00: return "0 L: 256x256";
    case 0x01: return "1 L: 512x256";
    case 0x05: return "5 L: 512x512 i";
    case 0x10: return "10h H: 256x256";
    case 0x11: return "11h H: 512x256";
    case 0x15: return "15h H: 512x512";
    case 0x16: return "16h H: 768x512";
    default: {
        std::string s;
        put(s, "%xh---", bits);
        return s;
    }
    }
}

constexpr uint32_t CRTC_RESOLUTION_BITS = 0x1F;  // R20 bits 0-4
constexpr uint32_t CRTC_LABELLED = CRTC_MODE;    // R0-R19 take one label and their value

const char* const CRTC_LABELS[CRTC_LABELLED] = {
    "H total    %d\n", "Hsync stop %d\n",  "Hdisp start %d\n", "Hdisp stop %d\n", "V total    %d\n",
    "Vsync stop %d\n", "Vdisp start %d\n", "Vdisp stop %d\n",  "H adjust   %d\n", "raster int %d\n",
    "t X scroll %d\n", "t Y scroll %d\n",  "X scroll %d\n",    "Y scroll %d\n",   "X scroll %d\n",
    "Y scroll %d\n",   "X scroll %d\n",    "Y scroll %d\n",    "X scroll %d\n",   "Y scroll %d\n",
};

void crtc_section(std::string& out) {
    put(out, "[CRTC]\n");
    for (unsigned n = 0; n < CRTC_REGS; n++) {
        const uint32_t v = g_crtc.regs[n];
        put(out, " R%-2d=%04xH %-4d   ;", n, v, v);
        if (n < CRTC_LABELLED) {
            put(out, CRTC_LABELS[n], v);
        } else if (n == CRTC_MODE) {
            put(out, "%s ", colour_mode(v >> CRTC_MODE_MEMORY_SHIFT));
            out += resolution(v & CRTC_RESOLUTION_BITS) + "\n";
        } else if (n == CRTC_TEXT_ACCESS) {
            if (v & CRTC_ACCESS_SIMULTANEOUS) put(out, "text同時on:");
            if (v & CRTC_ACCESS_MASKED) put(out, "textmaskon:");
            if (v & (CRTC_ACCESS_SIMULTANEOUS | CRTC_ACCESS_MASKED)) put(out, "access-%x:", (v >> 4) & 0xF);
            put(out, "copy.clr-%x\n", v & 0xF);
        } else if (n == CRTC_RASTER_COPY) {
            put(out, "rast %d -> %d\n", (v >> 8) & 0xFF, v & 0xFF);
        } else if (n == CRTC_TEXT_MASK) {
            put(out, "bitmask %x\n", v);
        }
    }
    put(out, " mod=%04x\n", unsigned(g_crtc.op_port));
}

void video_section(std::string& out) {
    put(out, "[VIDEO]\n");
    for (uint32_t n = 0; n < VC_BYTES; n++) {
        const uint32_t v = g_pal.vc_regs[n];
        put(out, " R%-d=%02x  ;", n, v);
        switch (n) {
        case VC_R0_HIGH: put(out, "\n"); break;
        case VC_R0_LOW: put(out, "%s\n", colour_mode(v)); break;
        case VC_R1_HIGH: put(out, "priority S(%d) T(%d) G(%d)\n", (v >> 4) & 3, (v >> 2) & 3, v & 3); break;
        case VC_R1_LOW:
            put(out, "G priority 4(%d) 3(%d) 2(%d) top1(%d)\n", (v >> 6) & 3, (v >> 4) & 3, (v >> 2) & 3, v & 3);
            break;
        case VC_R2_HIGH:
            put(out, "Ys(%d) AH(%d) VHT(%d) EXON(%d)", (v >> 7) & 1, (v >> 6) & 1, (v >> 5) & 1, (v >> 4) & 1);
            put(out, " H/P(%d) B/P(%d) G/G(%d) G/T(%d)\n", (v >> 3) & 1, (v >> 2) & 1, (v >> 1) & 1, v & 1);
            break;
        default:
            put(out, "SP(%d) T(%d) G1024(%d) ", (v >> 6) & 1, (v >> 5) & 1, (v >> 4) & 1);
            put(out, "G3(%d) G2(%d) G1(%d) G0(%d)\n", (v >> 3) & 1, (v >> 2) & 1, (v >> 1) & 1, v & 1);
            break;
        }
    }
}

const char* const LINE_NAMES[4] = {"256line", "512line", "2:undef", "3:undef"};
constexpr uint32_t SPR_H_TOTAL = 0x80A;
constexpr uint32_t SPR_RES_HIGH = 0x10;  // resolution register bit 4: 31 kHz

void sprite_section(std::string& out) {
    put(out, "[SPRITE]\n");
    for (uint32_t n = SPR_BG0_X; n <= SPR_RESOLUTION; n += 2) {
        const uint32_t v = g_sprite_area ? spr_area_word(n) : 0;
        put(out, " R%-3x=%04xH %-5d  ;", n, v, v);
        switch (n) {
        case SPR_BG0_X:
        case SPR_BG1_X: put(out, "BG%d: X=%d", n == SPR_BG1_X, v); break;
        case SPR_BG0_Y:
        case SPR_BG1_Y: put(out, "BG%d: Y=%d", n == SPR_BG1_Y, v); break;
        case SPR_BG_CTRL:
            put(out, "BG0:(%d)%s  BG1:(%d)%s", (v >> 1) & 3, (v & 1) ? "on" : "off", (v >> 4) & 3,
                (v & 8) ? "on" : "off");
            break;
        case SPR_H_TOTAL: put(out, "Htotal %d", v); break;
        case SPR_H_DISP: put(out, "Hdisp st. %d", v); break;
        case SPR_V_DISP: put(out, "Vdisp st. %d", v); break;
        default:
            put(out, "%s Hres(%s) Vres(%s)", (v & SPR_RES_HIGH) ? "H" : "L", LINE_NAMES[v & 3],
                LINE_NAMES[(v >> 2) & 3]);
            break;
        }
        put(out, "\n");
    }
}

const char* const EVENT_NAMES[SCHED_SLOTS] = {
    // clang-format off
    "mfp 0: RTC alarm", "mfp 1: expower on", "mfp 2: power sw", "mfp 3: FM int", "mfp 4: timer D",
    "mfp 5: timer C", "mfp 6: V-DISP", "mfp 7: no use", "mfp 8: USART timerB", "mfp 9: key transmit err",
    "mfp10: key transmit empty", "mfp11: key recieve err", "mfp12: key recieve full", "mfp13: V-DISP timerA",
    "mfp14: RAST irq", "mfp15: H-SYNC", "int 0:", "int 1: FDC,FDD,HDD,PRT", "int 2: exp slot", "int 3: DMAC",
    "int 4: exp slot", "int 5: scc", "int 6: MFP", "int 7: NMI", "vsync:", "/vsync:", "FM_TA", "FM_TB", "VDISP",
    "VBLANK",
    // clang-format on
};
constexpr int64_t MS_PER_FRAME = 18;  // the dump's frame length in milliseconds

void counter_section(std::string& out) {
    put(out, "[I counter]\n");
    const int64_t per_frame = int64_t(g_cpu_regs.cycles_per_frame);
    for (int k = 0; k < SCHED_SLOTS; k++) {
        const int64_t c = g_scheduler.countdown[k];
        const long long ms = per_frame ? (long long)(c * MS_PER_FRAME / per_frame) : 0;
        put(out, " R%-2x=%08xH %4lldms ", unsigned(k), uint32_t(c), ms);
        put(out, "%s\n", EVENT_NAMES[k]);
    }
    put(out, " SYNC_BASE=%08xH\n", unsigned(g_cpu_regs.cycles_per_frame));
}

constexpr uint32_t MFP_DUMP_LAST = 0x33;
constexpr uint32_t DMAC_DUMP_BYTES = 0x100;
constexpr uint32_t ADPCM_DUMP_LAST = 5;
constexpr uint32_t OPM_REGS = 256;

void chip_sections(std::string& out) {
    put(out, "[AREA]\n %02x\n", unsigned(g_memory_map.area_set));
    put(out, "[MFP]\n");
    for (uint32_t n = 1; n <= MFP_DUMP_LAST; n += 2) put(out, " R%-2x=%02x\n", n, unsigned(g_mfp.regs[n]));
    put(out, "[DMA]\n");
    for (uint32_t n = 0; n < DMAC_DUMP_BYTES; n += 2)
        put(out, " R%-2x=%04x\n", n, unsigned(g_dmac.regs[n]) << 8 | g_dmac.regs[n + 1]);
    put(out, "[ADPCM]\n");
    for (uint32_t n = 1; n <= ADPCM_DUMP_LAST; n += 2) put(out, " R%-d=%02x\n", n, unsigned(g_adpcm.regs[n]));
    put(out, "[FM]\n");
    for (uint32_t n = 0; n < OPM_REGS; n++) put(out, " R%-2x=%02x\n", n, unsigned(g_fmcard.chip.opm_regs[n]));
}

}  // namespace

std::string dbg_register_dump_text() {
    std::string out = "dump register\n";
    crtc_section(out);
    video_section(out);
    sprite_section(out);
    counter_section(out);
    chip_sections(out);
    return out;
}

void dbg_dump_registers() {
    const std::string text = dbg_register_dump_text();
    (void)write_file_whole(REGISTER_LOG_NAME, text.data(), text.size());
}
