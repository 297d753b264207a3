#include "sound/adpcm.h"

#include "core/bus.h"
#include "input/ppi.h"
#include "machine/device.h"
#include "machine/io_page.h"
#include "machine/settings.h"
#include "sound/fm_card.h"
#include "sound/opm.h"
#include "sound/sndlib.h"
#include "sound/sound_models.h"
#include "storage/dma.h"

AdpcmState g_adpcm;

namespace {

constexpr int CH = DMA_CHANNEL_ADPCM;
constexpr uint32_t RATES[4] = {7800, 10400, 15600, 0};
constexpr uint8_t OCR_DEVICE_TO_MEMORY = 0x80;
constexpr uint32_t CHAIN_NONE = 0, CHAIN_CONTINUE = 1, CHAIN_ARRAY = 2, CHAIN_LINK = 3;
constexpr uint32_t ARRAY_ENTRY = 6, LINK_ENTRY = 10;

struct ChainEntry {
    uint32_t addr, count;
};

// The entries of an array chain, or of a link chain; false (nothing to
// play) for a fault or a link chain too long. The tables are read in probe
// mode and supervisor state: a fault is recorded, not raised, and the
// caller's record is left as it was (a DMA run that starts the voice keeps
// its own).
bool read_chain(uint32_t mode, std::vector<ChainEntry>& entries) {
    ProbeScope probe(ProbeScope::SUPERVISOR | ProbeScope::RESTORE_FAULT);
    uint32_t bar = dma_reg_long(CH, DMA_BAR);
    if (mode == CHAIN_ARRAY) {
        uint32_t n = dma_reg_word(CH, DMA_BTC);
        for (uint32_t i = 0; i < n; i++) {
            uint32_t at = bar + ARRAY_ENTRY * i;
            entries.push_back({mem_read_long_c(at), mem_read_word_c(at + 4)});
            if (probe.faulted()) return false;
        }
        return true;
    }
    for (uint32_t link = bar; link;) {
        if (entries.size() >= ADPCM_LINK_CHAIN_MAX) return false;
        entries.push_back({mem_read_long_c(link), mem_read_word_c(link + 4)});
        link = mem_read_long_c(link + 6);
        if (probe.faulted()) return false;
    }
    return !entries.empty();
}

// The bytes of the entries that map to host memory, at most the limit.
std::vector<uint8_t> gather(const std::vector<ChainEntry>& entries) {
    std::vector<uint8_t> out;
    for (const ChainEntry& e : entries) {
        uint32_t n = e.count;
        if (out.size() + n > ADPCM_GATHER_LIMIT) n = ADPCM_GATHER_LIMIT - uint32_t(out.size());
        if (const uint8_t* p = dma_host_pointer(e.addr, n)) out.insert(out.end(), p, p + n);
        if (out.size() >= ADPCM_GATHER_LIMIT) break;
    }
    return out;
}

}  // namespace

uint32_t adpcm_input_rate() {
    uint32_t rate = RATES[(g_ppi.regs[PPI_PORT_C] >> 2) & 3];
    if (g_fmcard.chip.opm_regs[OPM_CT_RATE] & 0x80) rate /= 2;
    return rate;
}

void adpcm_play_dma() {
    int32_t rate = int32_t(adpcm_input_rate());
    uint32_t ocr = dma_reg_byte(CH, DMA_OCR);
    uint32_t size = (ocr >> 4) & 3, chain = (ocr >> 2) & 3;
    if ((ocr & OCR_DEVICE_TO_MEMORY) || size == 1 || size == 2 || chain == CHAIN_CONTINUE) return;
    if (chain == CHAIN_NONE) {
        uint32_t mtc = dma_reg_word(CH, DMA_MTC);
        if (const uint8_t* p = dma_host_pointer(dma_reg_long(CH, DMA_MAR), mtc)) adpcm_play_buffer(p, mtc, rate);
        return;
    }
    std::vector<ChainEntry> entries;
    if (!read_chain(chain, entries)) return;
    std::vector<uint8_t> bytes = gather(entries);
    adpcm_play_buffer(bytes.data(), uint32_t(bytes.size()), rate);
}

void adpcm_power_on() { device_clear(g_adpcm); }
std::span<const uint8_t> adpcm_state() { return device_state_bytes(g_adpcm); }

uint32_t adpcm_peek_byte(uint32_t addr) {
    if ((addr & 0xFFFFFF) != ADPCM_COMMAND) return 0;
    if (g_sound_models.adpcm == SoundModel::Library) return sndlib_adpcm_peek() & 0xFF;
    return g_adpcm_player.end_time ? ADPCM_STATUS_PLAYING : ADPCM_STATUS_IDLE;
}
uint32_t adpcm_read_byte(uint32_t addr) { return adpcm_peek_byte(addr); }
void adpcm_write_byte(uint32_t addr, uint32_t value) {
    uint32_t a = addr & 0xFFFFFF;
    if (a > ADPCM_COMMAND + 6) return;
    g_adpcm.regs[a & 7] = uint8_t(value);
    if (a != ADPCM_COMMAND) return;
    if (g_sound_models.adpcm == SoundModel::Library) sndlib_adpcm_poke(value & 0xFF);
    else if (value & ADPCM_CMD_PLAY) adpcm_play_dma();
}
void adpcm_dma_start_hook() {}
