#include "sound/adpcm_iocs.h"

#include "core/boundary.h"
#include "core/cpu_regs.h"
#include "machine/device.h"
#include "sound/adpcm.h"
#include "sound/fm_card.h"
#include "sound/opm.h"
#include "sound/sndlib.h"
#include "sound/sound_models.h"

const uint8_t g_adpcm_pan_table[4] = {3, 1, 2, 0};

namespace {

using namespace sndlib;

constexpr uint8_t OCR_BLOCK = 0x32, OCR_ARRAY = 0x3A, OCR_LINK = 0x3E;
constexpr uint8_t CCR_GO = 0x88, CCR_ABORT = 0x10, CCR_PAUSE = 0x20, CCR_RESUME = 0x08;
constexpr uint8_t PPI_SET_RIGHT_OFF = 0x01, PPI_SET_LEFT_OFF = 0x03;  // bit set of port C bits 0, 1
constexpr uint32_t MODE_4MHZ_BELOW = 0x200;

void poke(uint8_t reg, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        g_sndlib.X68Sound_DmaPoke(reg + i, int32_t((value >> (8 * (bytes - 1 - i))) & 0xFF));
}

// Waits never block: the TRAP runs again while the voice is busy.
bool busy() {
    if (g_adpcm.iocs.state == ADPCM_IOCS_IDLE) return false;
    g_iocs_call_again = 1;
    return true;
}

void outputs_off_and_stop() {
    g_sndlib.X68Sound_PpiCtrl(PPI_SET_RIGHT_OFF);
    g_sndlib.X68Sound_PpiCtrl(PPI_SET_LEFT_OFF);
    g_sndlib.X68Sound_AdpcmPoke(ADPCM_CMD_STOP);
}

// Rate, pan and start: modes below $200 use the 4 MHz clock; $1B keeps
// its other bits from the OPM image.
void set_rate_pan(uint32_t mode, uint8_t ccr) {
    mode &= 0xFFFF;
    if (mode < MODE_4MHZ_BELOW) {
        g_adpcm.iocs.opm_ct |= OPM_CT1;
    } else {
        g_adpcm.iocs.opm_ct &= uint8_t(~OPM_CT1);
        mode -= MODE_4MHZ_BELOW;
    }
    uint8_t ct = uint8_t((g_fmcard.chip.opm_regs[OPM_CT_RATE] & ~OPM_CT1) | g_adpcm.iocs.opm_ct);
    sndlib_write_opm(OPM_CT_RATE, ct);
    uint8_t port_c = uint8_t(g_adpcm_pan_table[mode & 3] | ((mode >> 6) & 0x0C) | (g_sndlib.X68Sound_PpiPeek() & 0xF0));
    g_sndlib.X68Sound_DmaPoke(DMA_CCR, ccr);
    g_sndlib.X68Sound_PpiPoke(port_c);
}

// The voice starts unless the channel failed at once (its error steps ran).
void start_voice() {
    if (g_adpcm.iocs.state != ADPCM_IOCS_IDLE) g_sndlib.X68Sound_AdpcmPoke(ADPCM_CMD_START);
}

void start_block(bool more, uint32_t mode, uint32_t length, uint32_t address) {
    g_adpcm.iocs.state = uint8_t(ADPCM_IOCS_BLOCK | (more ? ADPCM_IOCS_MORE : 0));
    g_sndlib.X68Sound_DmaPoke(DMA_OCR, OCR_BLOCK);
    g_sndlib.X68Sound_DmaPoke(DMA_CSR, 0xFF);
    poke(DMA_MAR, address, 4);
    poke(DMA_MTC, length, 2);
    set_rate_pan(mode, CCR_GO);
    start_voice();
}

AdpcmIocsTrap current_trap() { return {g_cpu_regs.op_addr, cpu_sp()}; }

// The blocks still to start are given up; the TRAP that would start them
// is told so at its re-run.
void give_up_blocks() {
    AdpcmIocsOut& out = g_adpcm.iocs.out;
    if (out.pending) {
        out.stopped = 1;
        out.stopped_trap = out.trap;
    }
    out.pending = 0;
}

void start_chain(uint8_t state, uint8_t ocr, uint32_t table) {
    g_adpcm.iocs.state = state;
    g_sndlib.X68Sound_DmaPoke(DMA_OCR, ocr);
    g_sndlib.X68Sound_DmaPoke(DMA_CSR, 0xFF);
    poke(DMA_BAR, table, 4);
}

}  // namespace

void adpcm_iocs_reset() { device_clear(g_adpcm.iocs); }

// Blocks of $FF00 bytes while more remain, each marked as followed by
// more, then the last; a length of 0 starts nothing.
void adpcm_iocs_out(uint32_t address, uint32_t mode, uint32_t length) {
    if (!g_sound_models.library_started) return;
    AdpcmIocsOut& out = g_adpcm.iocs.out;
    const AdpcmIocsTrap trap = current_trap();
    // The re-run of a call that was stopped between its blocks ends it.
    if (out.stopped && out.stopped_trap == trap) {
        out.stopped = 0;
        return;
    }
    if (!out.pending) {
        if (length == 0 || busy()) return;
        out.pending = 1;
        out.address = address;
        out.mode = mode;
        out.length = length;
        out.done = 0;
        out.trap = trap;
    } else if (busy()) {
        return;
    }
    uint32_t left = out.length - out.done;
    bool more = left > ADPCM_IOCS_BLOCK_MAX;
    uint32_t n = more ? ADPCM_IOCS_BLOCK_MAX : left;
    start_block(more, out.mode, n, out.address + out.done);
    out.done += n;
    out.pending = more ? 1 : 0;
    if (more) g_iocs_call_again = 1;
}

void adpcm_iocs_array_out(uint32_t table, uint32_t mode, uint32_t count) {
    if (!g_sound_models.library_started || busy()) return;
    start_chain(ADPCM_IOCS_ARRAY, OCR_ARRAY, table);
    poke(DMA_BTC, count, 2);
    set_rate_pan(mode, CCR_GO);
    start_voice();
}

void adpcm_iocs_link_out(uint32_t table, uint32_t mode) {
    if (!g_sound_models.library_started || busy()) return;
    start_chain(ADPCM_IOCS_LINK, OCR_LINK, table);
    set_rate_pan(mode, CCR_GO);
    start_voice();
}

uint32_t adpcm_iocs_sense() { return g_adpcm.iocs.state & 0x7F; }

void adpcm_iocs_mode(uint32_t mode) {
    if (!g_sound_models.library_started) return;
    switch (mode) {
    case 0:
        g_adpcm.iocs.state = ADPCM_IOCS_IDLE;
        give_up_blocks();
        outputs_off_and_stop();
        g_sndlib.X68Sound_DmaPoke(DMA_CCR, CCR_ABORT);
        break;
    case 1: g_sndlib.X68Sound_DmaPoke(DMA_CCR, CCR_PAUSE); break;
    case 2: g_sndlib.X68Sound_DmaPoke(DMA_CCR, CCR_RESUME); break;
    default: break;
    }
}

void adpcm_iocs_transfer_ended(bool error) {
    if (g_adpcm.iocs.state == ADPCM_IOCS_IDLE) return;
    if (error) {
        g_adpcm.iocs.dma_error = uint8_t(g_sndlib.X68Sound_DmaPeek(DMA_CER));
        give_up_blocks();
        outputs_off_and_stop();
    } else if (!(g_adpcm.iocs.state & ADPCM_IOCS_MORE)) {
        outputs_off_and_stop();
    }
    g_adpcm.iocs.state = ADPCM_IOCS_IDLE;
    g_sndlib.X68Sound_DmaPoke(DMA_CSR, 0xFF);
}
