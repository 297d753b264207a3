#include "sound/sndlib.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "firmware/iocs_switches.h"
#include "host/audio_mixer.h"
#include "host/message_box.h"
#include "input/ppi.h"
#include "machine/machine.h"
#include "machine/settings.h"
#include "sound/adpcm.h"
#include "sound/adpcm_iocs.h"
#include "sound/fm_card.h"
#include "sound/sound_models.h"
#include "storage/dma.h"

SndLibEntries g_sndlib;

namespace {

const SndLibExport* s_table = g_sndlib_exports;
int s_table_count = SNDLIB_EXPORT_COUNT;
MixerStream* s_stream;

constexpr uint8_t OPM_BUSY = 0x80;
constexpr int OPM_BUSY_POLLS = 1000;  // the wait on the busy bit gives up after these
constexpr int64_t STOP_SLEEP_MAX_MS = 1000;
constexpr uint32_t PCM8_TRAP_VECTOR = 0x000088;  // TRAP #2
constexpr uint32_t PCM8_MARK = 0x50434D38;       // "PCM8", 8 bytes before the driver's entry
constexpr uint32_t DMA_CH3 = DMA_CHANNEL_ADPCM * DMA_CHANNEL_STRIDE;

const char* const CAPTION = "X68SOUND";

// The host mixer's render stream as the library's output.
sndlib::MixerStream mixer_stream() {
    sndlib::MixerStream s;
    s.open = [](void*, int rate, sndlib::RenderFn render, void* user) {
        s_stream = mixer_open(uint32_t(rate), MIXER_CHANNELS, render, user);
        return s_stream != nullptr;
    };
    s.catch_up = [](void*) {
        if (s_stream) mixer_catch_up(s_stream);
    };
    s.close = [](void*) {
        if (s_stream) mixer_close(s_stream);
        s_stream = nullptr;
    };
    return s;
}

void opm_busy_wait() {
    for (int i = 0; i < OPM_BUSY_POLLS && (g_sndlib.X68Sound_OpmPeek() & OPM_BUSY); ++i) {}
}

// A bus read in probe mode; the probe flag and fault kind are put back as
// they were. fault gets the kind the read recorded (0: none).
template <class Read> uint32_t probe_read(Read read, uint32_t addr, uint32_t& fault) {
    ProbeScope probe(ProbeScope::RESTORE_FAULT);
    uint32_t v = read(addr);
    fault = probe.fault();
    return v;
}

}  // namespace

void sndlib_use_table(const SndLibExport* table, int count) {
    s_table = table;
    s_table_count = count;
}

int sndlib_load() {
    if (!s_table) return -1;
    SndLibEntries e{};
    bool all = true;
#define SNDLIB_FIND(name)                                                                    \
    e.name = reinterpret_cast<decltype(e.name)>(sndlib_find(s_table, s_table_count, #name)); \
    all = all && e.name;
    SNDLIB_CALLS(SNDLIB_FIND)
#undef SNDLIB_FIND
    if (!all) return -2;
    g_sndlib = e;
    return 0;
}

int sndlib_start() {
    int r = sndlib_load();
    if (r != 0) {
        g_fmcard.card_found = 0;
        host_message_box(r == -1 ? "x68Sound.dll が見つかりません\n" : "x68Sound.dll のバージョンが違うようです\n",
                         CAPTION, MB_INFO);
        return 0;
    }
    sndlib_install_stream(mixer_stream());
    int s = g_sndlib.X68Sound_Start(g_settings.fmsample ? 44100 : 22050, g_settings.fmopm, g_settings.fmadpcm,
                                    g_settings.fmbetw, g_settings.fmpcmbuf, g_settings.fmlate, g_settings.fmrev);
    if (s == 0) {
        g_fmcard.card_found = 1;
        g_sound_models.library_started = 1;
        g_sndlib.X68Sound_MemReadFunc(sndlib_mem_read);
        g_sndlib.X68Sound_DmaInt(sndlib_dma_int);
        g_sndlib.X68Sound_DmaErrInt(sndlib_dma_err_int);
        g_sndlib.X68Sound_OpmInt(sndlib_opm_int);
        g_sndlib.X68Sound_TotalVolume(g_settings.fmvol);
        adpcm_iocs_reset();
        return 1;
    }
    g_fmcard.card_found = 0;
    const char* text = s == -1   ? "PCMサウンドを出力できません。(1)"
                       : s == -2 ? "タイマー割り込みが利用できません。"
                       : s == -3 ? "pcmbufのメモリ確保に失敗しました。"
                                 : "未定義エラー";
    host_message_box(text, CAPTION, MB_INFO);
    g_sndlib.X68Sound_Free();
    return 0;
}

void sndlib_ensure_started() {
    if (g_sound_models.library_started) g_fmcard.card_found = 1;
    else sndlib_start();
}

void sndlib_stop() {
    if (g_sound_models.library_started) {
        for (int ch = 0; ch < 8; ++ch) g_sndlib.X68Sound_Pcm8_Out(ch, 0, 0, 0);
        g_sndlib.X68Sound_Pcm8_Abort();
        int64_t ms = std::clamp<int64_t>(int64_t(g_settings.fmlate) + g_settings.fmbetw, 0, STOP_SLEEP_MAX_MS);
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        g_sndlib.X68Sound_Reset();
        g_sndlib.X68Sound_Free();
    }
    g_sound_models.library_started = 0;
}

void sndlib_write_opm(uint32_t reg, uint32_t value) {
    if (!g_sound_models.library_started) return;
    opm_busy_wait();
    g_sndlib.X68Sound_OpmReg(int32_t(reg & 0xFF));
    opm_busy_wait();
    g_sndlib.X68Sound_OpmPoke(int32_t(value & 0xFF));
}

int32_t sndlib_mem_read(uint32_t addr) {
    uint32_t fault;
    uint32_t v = probe_read(mem_read_byte_c, addr & 0xFFFFFF, fault);
    return fault ? sndlib::MEM_FAULT | int32_t(fault & 0xFF) : int32_t(v & 0xFF);
}

void sndlib_dma_int() {
    dma_raise_interrupt(dma_reg_byte(DMA_CHANNEL_ADPCM, DMA_NIV));
    dma_set_reg_byte(DMA_CHANNEL_ADPCM, DMA_CSR, uint32_t(g_sndlib.X68Sound_DmaPeek(sndlib::DMA_CSR)) & 0xFF);
    adpcm_iocs_transfer_ended(false);
}

void sndlib_dma_err_int() {
    adpcm_iocs_transfer_ended(true);
    dma_raise_interrupt(dma_reg_byte(DMA_CHANNEL_ADPCM, DMA_EIV));
    dma_set_reg_byte(DMA_CHANNEL_ADPCM, DMA_CSR, DMA_CSR_ERR);
    dma_set_reg_byte(DMA_CHANNEL_ADPCM, DMA_CER, g_adpcm.iocs.dma_error);
}

void sndlib_opm_int() {}

uint32_t sndlib_dma_read(uint32_t offset) {
    offset &= 0xFF;
    if (g_sound_models.dma3 == SoundModel::Library && g_sound_models.library_started && offset >= DMA_CH3)
        return uint32_t(g_sndlib.X68Sound_DmaPeek(int32_t(offset & 0x3F))) & 0xFF;
    return dma_peek_byte(offset);
}

void sndlib_dma_poke(uint32_t reg, uint32_t value) {
    if (g_sound_models.library_started) g_sndlib.X68Sound_DmaPoke(int32_t(reg & 0x3F), int32_t(value & 0xFF));
}

void sndlib_ppi_write() {
    if (g_sound_models.adpcm == SoundModel::Library && g_sound_models.library_started)
        g_sndlib.X68Sound_PpiPoke(g_ppi.regs[PPI_PORT_C]);
}

void sndlib_ppi_ctrl() {
    if (g_sound_models.adpcm == SoundModel::Library && g_sound_models.library_started)
        g_sndlib.X68Sound_PpiCtrl(g_ppi.regs[PPI_CONTROL]);
}

uint32_t sndlib_adpcm_peek() {
    if (!g_sound_models.library_started) return sndlib::ADPCM_STATUS_IDLE;
    return uint32_t(g_sndlib.X68Sound_AdpcmPeek()) & 0xFF;
}

void sndlib_adpcm_poke(uint32_t value) {
    if (g_sound_models.library_started) g_sndlib.X68Sound_AdpcmPoke(int32_t(value & 0xFF));
}

// A PCM8 call is served by the library for the function groups it handles.
bool pcm8_call_served(uint32_t d0) {
    uint32_t group = (d0 >> 4) & 0xFF;
    return g_sound_models.pcm8_calls == SoundModel::Library && group < 16 && g_sound_models.pcm8_groups[group];
}

// TRAP #2. The first call looks for the PCM8 driver behind the vector
// (an even address of 8 or more in main RAM, read in probe mode) and then
// routes the IOCS ADPCM calls to the library too.
void sndlib_pcm8_call() {
    if (!g_fmcard.adpcm_calls_set) {
        uint32_t fault, mark_fault;
        uint32_t vec = probe_read(mem_read_long_c, PCM8_TRAP_VECTOR, fault);
        if (!fault && !(vec & 1) && vec >= 8 && vec < g_machine.main_ram_size &&
            probe_read(mem_read_long_c, vec - 8, mark_fault) == PCM8_MARK && !mark_fault)
            trap_set_adpcm_calls();
    }
    if (!g_sound_models.library_started) {
        cpu_d(0) = 0;
        return;
    }
    int32_t ch = int32_t(cpu_d(0) & 15);
    int32_t mode = int32_t(cpu_d(1));
    uint32_t& d0 = cpu_d(0);
    switch ((d0 >> 4) & 15) {
    case 0: d0 = uint32_t(g_sndlib.X68Sound_Pcm8_Out(ch, cpu_a(1), mode, int32_t(cpu_d(2)))); break;
    case 1: d0 = uint32_t(g_sndlib.X68Sound_Pcm8_Aot(ch, cpu_a(1), mode, int32_t(cpu_d(2)))); break;
    case 2: d0 = uint32_t(g_sndlib.X68Sound_Pcm8_Lot(ch, cpu_a(1), mode)); break;
    case 7: d0 = uint32_t(g_sndlib.X68Sound_Pcm8_SetMode(ch, mode)); break;
    case 8: d0 = uint32_t(g_sndlib.X68Sound_Pcm8_GetRest(ch)); break;
    case 9: d0 = uint32_t(g_sndlib.X68Sound_Pcm8_GetMode(ch)); break;
    default: d0 = 0; break;
    }
}
