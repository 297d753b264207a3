// MSM6258 ADPCM, I/O slot 9 ($E92000-$E93FFF): command $E92001 (read:
// status), data $E92003. Without the sound library a play command gathers
// DMA channel 3's whole transfer, decodes it to an 8-bit WAV image that the
// host voice plays, and completes the transfer when its time has run out.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "machine/bus_device.h"
#include "sound/adpcm_iocs.h"

inline constexpr uint32_t ADPCM_COMMAND = 0xE92001;
inline constexpr uint32_t ADPCM_CMD_PLAY = 0x02;
inline constexpr uint8_t ADPCM_STATUS_PLAYING = 0x40, ADPCM_STATUS_IDLE = 0xC0;
inline constexpr uint32_t ADPCM_LEAD_IN = 8, ADPCM_TAIL = 128;  // samples around the decoded ones
// Gathered chain transfers are cut to this many bytes.
inline constexpr uint32_t ADPCM_GATHER_LIMIT = 16u << 20;
inline constexpr uint32_t ADPCM_LINK_CHAIN_MAX = 129;  // entries of a link array chain

// The WAV road's decoder, reset for every buffer.
struct AdpcmWavDecoder {
    int32_t step_index, accumulator;
    uint32_t phase, phase_step;   // resampling phase, 16 bits of fraction
    int32_t sample, prev_sample;  // the last two decoded samples
};

struct AdpcmState {
    uint8_t regs[8];  // last byte written to $E92000-$E92007; 1 is the command
    AdpcmWavDecoder decoder;
    AdpcmIocs iocs;  // the IOCS ADPCM calls on the library
};
extern AdpcmState g_adpcm;

// The WAV player: the image that plays and when it counts as finished.
struct AdpcmPlayer {
    int32_t device_count;      // host wave outputs: the mixer's one voice
    int32_t formats;           // 8-bit mono 11.025 and 22.05 kHz
    std::vector<uint8_t> wav;  // the image that plays
    uint64_t end_time;         // host_time_ms at which it counts as finished; 0 idle
};
extern AdpcmPlayer g_adpcm_player;

// Power-on: all 0. The reset line leaves it.
void adpcm_power_on();
std::span<const uint8_t> adpcm_state();

uint32_t adpcm_peek_byte(uint32_t addr);
uint32_t adpcm_read_byte(uint32_t addr);
void adpcm_write_byte(uint32_t addr, uint32_t value);
inline constexpr BusDevice ADPCM_BUS = bus_device_of_bytes<adpcm_read_byte, adpcm_write_byte, adpcm_peek_byte>();

// Channel 3 of the DMAC started with STR and INT (FM other than 4): the
// play command does the work, so nothing happens here.
void adpcm_dma_start_hook();

// adpcm.cpp: channel 3's transfer gathered and played.
void adpcm_play_dma();
// The input rate from i8255 port C bits 3-2 and OPM register $1B bit 7.
uint32_t adpcm_input_rate();

// adpcm_wav.cpp: the decoder, the WAV image and the player.
void adpcm_play_buffer(const uint8_t* source, uint32_t length, int32_t rate);
uint32_t adpcm_make_wav_header(uint8_t* buffer, uint32_t rate, uint32_t bits, uint32_t channels, uint32_t data_size);
void adpcm_resample_init(uint32_t input_rate, uint32_t output_rate);
void adpcm_decode_nibble(uint32_t code);
// Stops the voice, drops the image, idle; channel 3 no longer active.
void adpcm_stop();
// Between CPU bursts: a finished playback completes channel 3's transfer.
void adpcm_poll_end();
void adpcm_probe_wave_out();
