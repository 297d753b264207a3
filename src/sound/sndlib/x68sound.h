// The sound library's 33 calls, and the table that finds them by name.
#pragma once

#include <cstdint>

#include "sound/sndlib/sound_lib.h"

int32_t X68Sound_Start(int32_t samprate, int32_t opmflag, int32_t adpcmflag, int32_t betw, int32_t pcmbuf, int32_t late,
                       double rev);
int32_t X68Sound_Samprate(int32_t samprate);
void X68Sound_Reset();
void X68Sound_Free();
void X68Sound_BetwInt(sndlib::VoidCallback proc);
int32_t X68Sound_StartPcm(int32_t samprate, int32_t opmflag, int32_t adpcmflag, int32_t pcmbuf);
int32_t X68Sound_GetPcm(void* buf, int32_t frames);
int32_t X68Sound_OpmPeek();
void X68Sound_OpmReg(int32_t reg);
void X68Sound_OpmPoke(int32_t data);
void X68Sound_OpmInt(sndlib::VoidCallback proc);
int32_t X68Sound_OpmWait(int32_t wait);
int32_t X68Sound_AdpcmPeek();
void X68Sound_AdpcmPoke(int32_t data);
int32_t X68Sound_PpiPeek();
void X68Sound_PpiPoke(int32_t data);
void X68Sound_PpiCtrl(int32_t data);
int32_t X68Sound_DmaPeek(int32_t reg);
void X68Sound_DmaPoke(int32_t reg, int32_t data);
void X68Sound_DmaInt(sndlib::VoidCallback proc);
void X68Sound_DmaErrInt(sndlib::VoidCallback proc);
void X68Sound_MemReadFunc(sndlib::MemReadCallback func);
void X68Sound_WaveFunc(sndlib::WaveCallback func);
int32_t X68Sound_Pcm8_Out(int32_t ch, uint32_t adrs, int32_t mode, int32_t len);
int32_t X68Sound_Pcm8_Aot(int32_t ch, uint32_t tbl, int32_t mode, int32_t cnt);
int32_t X68Sound_Pcm8_Lot(int32_t ch, uint32_t tbl, int32_t mode);
int32_t X68Sound_Pcm8_SetMode(int32_t ch, int32_t mode);
int32_t X68Sound_Pcm8_GetRest(int32_t ch);
int32_t X68Sound_Pcm8_GetMode(int32_t ch);
int32_t X68Sound_Pcm8_Abort();
int32_t X68Sound_TotalVolume(int32_t v);
int32_t X68Sound_ErrorCode();
int32_t X68Sound_DebugValue();

// The 33 names, in the library's order.
// clang-format off
#define SNDLIB_CALLS(X)                                                                                      \
    X(X68Sound_Start) X(X68Sound_Samprate) X(X68Sound_Reset) X(X68Sound_Free) X(X68Sound_BetwInt)            \
    X(X68Sound_StartPcm) X(X68Sound_GetPcm) X(X68Sound_OpmPeek) X(X68Sound_OpmReg) X(X68Sound_OpmPoke)       \
    X(X68Sound_OpmInt) X(X68Sound_OpmWait) X(X68Sound_AdpcmPeek) X(X68Sound_AdpcmPoke) X(X68Sound_PpiPeek)   \
    X(X68Sound_PpiPoke) X(X68Sound_PpiCtrl) X(X68Sound_DmaPeek) X(X68Sound_DmaPoke) X(X68Sound_DmaInt)       \
    X(X68Sound_DmaErrInt) X(X68Sound_MemReadFunc) X(X68Sound_WaveFunc) X(X68Sound_Pcm8_Out)                  \
    X(X68Sound_Pcm8_Aot) X(X68Sound_Pcm8_Lot) X(X68Sound_Pcm8_SetMode) X(X68Sound_Pcm8_GetRest)              \
    X(X68Sound_Pcm8_GetMode) X(X68Sound_Pcm8_Abort) X(X68Sound_TotalVolume) X(X68Sound_ErrorCode)            \
    X(X68Sound_DebugValue)
// clang-format on

// An entry of the table: a name and its call, cast to a common type.
using SndLibProc = void (*)();
struct SndLibExport {
    const char* name;
    SndLibProc proc;
};
inline constexpr int SNDLIB_EXPORT_COUNT = 33;
extern const SndLibExport g_sndlib_exports[SNDLIB_EXPORT_COUNT];
// The call of that name in a table of count entries, or nullptr.
SndLibProc sndlib_find(const SndLibExport* table, int count, const char* name);

// Beyond the 33: the host mixer's stream, which keeps the emulated clock.
void sndlib_install_stream(const sndlib::MixerStream& stream);
// Renders up to now (frame start and the vertical display events).
void sndlib_render_now();
