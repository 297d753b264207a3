#include "sound/sndlib/x68sound.h"

#include <cstring>

using sndlib::sound_lib;
using sndlib::SoundLib;

namespace {
// Every register call first brings the sound up to now.
SoundLib& now() {
    SoundLib& lib = sound_lib();
    lib.render_to_now();
    return lib;
}
}  // namespace

int32_t X68Sound_Start(int32_t samprate, int32_t opmflag, int32_t adpcmflag, int32_t betw, int32_t pcmbuf, int32_t late,
                       double rev) {
    return sound_lib().start(sndlib::clamp_settings(samprate, opmflag, adpcmflag, betw, pcmbuf, late, rev), true);
}
int32_t X68Sound_StartPcm(int32_t samprate, int32_t opmflag, int32_t adpcmflag, int32_t pcmbuf) {
    return sound_lib().start(sndlib::clamp_settings(samprate, opmflag, adpcmflag, 5, pcmbuf, 200, 1.0), false);
}
int32_t X68Sound_Samprate(int32_t samprate) { return now().set_rate(samprate); }
void X68Sound_Reset() {
    SoundLib& lib = now();
    if (lib.started()) lib.reset();
}
void X68Sound_Free() { sound_lib().free(); }
void X68Sound_BetwInt(sndlib::VoidCallback proc) { sound_lib().betw_int = proc; }
int32_t X68Sound_GetPcm(void* buf, int32_t frames) { return sound_lib().get_pcm(static_cast<int16_t*>(buf), frames); }

// The status is never busy: a write takes effect at once.
int32_t X68Sound_OpmPeek() { return now().opm.status(); }
void X68Sound_OpmReg(int32_t reg) { now().opm_latch = uint8_t(reg); }
void X68Sound_OpmPoke(int32_t data) {
    SoundLib& lib = now();
    lib.opm.write(lib.opm_latch, uint8_t(data));
}
void X68Sound_OpmInt(sndlib::VoidCallback proc) { sound_lib().opm_int = proc; }
int32_t X68Sound_OpmWait(int32_t wait) {
    int32_t old = sound_lib().opm_wait;
    if (wait >= 0) sound_lib().opm_wait = wait;
    return old;
}

int32_t X68Sound_AdpcmPeek() { return now().adpcm.status(); }
void X68Sound_AdpcmPoke(int32_t data) { now().adpcm.command(uint8_t(data)); }
int32_t X68Sound_PpiPeek() { return now().port_c; }
void X68Sound_PpiPoke(int32_t data) { now().port_c = uint8_t(data); }
// i8255 control word: bit 7 set is a mode set (port C cleared); clear, a
// bit set/reset of port C (bits 3-1 the bit, bit 0 its value).
void X68Sound_PpiCtrl(int32_t data) {
    SoundLib& lib = now();
    if (data & 0x80) {
        lib.port_c = 0;
        return;
    }
    uint8_t bit = uint8_t(1u << ((data >> 1) & 7));
    lib.port_c = (data & 1) ? (lib.port_c | bit) : (lib.port_c & ~bit);
}
int32_t X68Sound_DmaPeek(int32_t reg) { return now().dma.peek(uint8_t(reg)); }
void X68Sound_DmaPoke(int32_t reg, int32_t data) { now().dma.poke(uint8_t(reg), uint8_t(data)); }
void X68Sound_DmaInt(sndlib::VoidCallback proc) { sound_lib().dma_int = proc; }
void X68Sound_DmaErrInt(sndlib::VoidCallback proc) { sound_lib().dma_err_int = proc; }
void X68Sound_MemReadFunc(sndlib::MemReadCallback func) { sound_lib().mem_read = func; }
void X68Sound_WaveFunc(sndlib::WaveCallback func) { sound_lib().wave = func; }

int32_t X68Sound_Pcm8_Out(int32_t ch, uint32_t adrs, int32_t mode, int32_t len) {
    return now().pcm8.out(ch, adrs, uint32_t(mode), uint32_t(len));
}
int32_t X68Sound_Pcm8_Aot(int32_t ch, uint32_t tbl, int32_t mode, int32_t cnt) {
    return now().pcm8.array_out(ch, tbl, uint32_t(mode), uint32_t(cnt));
}
int32_t X68Sound_Pcm8_Lot(int32_t ch, uint32_t tbl, int32_t mode) {
    return now().pcm8.link_out(ch, tbl, uint32_t(mode));
}
int32_t X68Sound_Pcm8_SetMode(int32_t ch, int32_t mode) { return now().pcm8.set_mode(ch, uint32_t(mode)); }
int32_t X68Sound_Pcm8_GetRest(int32_t ch) { return now().pcm8.get_rest(ch); }
int32_t X68Sound_Pcm8_GetMode(int32_t ch) { return now().pcm8.get_mode(ch); }
int32_t X68Sound_Pcm8_Abort() {
    now().pcm8.abort();
    return 0;
}
// 0-65535 sets the total volume (256 = unity); the result is the volume in force.
int32_t X68Sound_TotalVolume(int32_t v) {
    SoundLib& lib = now();
    if (v >= 0 && v <= 65535) lib.total_volume = v;
    return lib.total_volume;
}
int32_t X68Sound_ErrorCode() { return sound_lib().error_code; }
int32_t X68Sound_DebugValue() { return int32_t(sound_lib().chip_samples); }

void sndlib_install_stream(const sndlib::MixerStream& stream) { sound_lib().stream = stream; }
void sndlib_render_now() { sound_lib().render_to_now(); }

#define SNDLIB_EXPORT(name) {#name, reinterpret_cast<SndLibProc>(&name)},
const SndLibExport g_sndlib_exports[SNDLIB_EXPORT_COUNT] = {SNDLIB_CALLS(SNDLIB_EXPORT)};
#undef SNDLIB_EXPORT

SndLibProc sndlib_find(const SndLibExport* table, int count, const char* name) {
    for (int i = 0; i < count; ++i)
        if (table[i].name && std::strcmp(table[i].name, name) == 0) return table[i].proc;
    return nullptr;
}
