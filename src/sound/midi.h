// YM3802 MIDI board ($EAFA00-$EAFA0F), present while MIDI is on (else its
// addresses raise the bus error; the sprite page passes addresses below
// $EB0000 on to these). Bytes written to the transmit register leave as
// MIDI messages through the host's MIDI output; the board's timer raises
// one level-4 interrupt per start. Nothing is received.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "machine/bus_device.h"

inline constexpr uint32_t MIDI_BASE = 0xEAFA00, MIDI_END = 0xEAFA10;
// Register indexes in the image (group registers at 16 x group + 2n + 1).
inline constexpr uint32_t MIDI_R01 = 0x03;  // group select
inline constexpr uint32_t MIDI_R05 = 0x0B, MIDI_R06 = 0x0D;
inline constexpr uint32_t MIDI_R54 = 0x59;  // transmitter status
inline constexpr uint32_t MIDI_R56 = 0x5D;  // transmit data
inline constexpr uint32_t MIDI_R84 = 0x89, MIDI_R85 = 0x8B, MIDI_R86 = 0x8D, MIDI_R87 = 0x8F;
inline constexpr uint8_t MIDI_TX_READY = 0xC0;
inline constexpr int64_t MIDI_TIMER_STEPS = 2250;  // timer steps in one frame
// A system exclusive message is kept up to this many bytes.
inline constexpr size_t MIDI_SYSEX_LIMIT = 64 * 1024;

struct MidiState {
    uint32_t group_base;     // register group selected through R01, times 16
    int32_t host_state;      // 0 not open, 1 open, -1 opening failed
    uint32_t transmit_byte;  // the last value written to R56
    uint8_t regs[256];
};
inline MidiState g_midi;

// Power-on: group 0, the image and the byte to transmit cleared; the host
// output and the setting stay.
void midi_power_on();
std::span<const uint8_t> midi_state();

uint32_t midi_read_byte(uint32_t addr);
void midi_write_byte(uint32_t addr, uint32_t value);
uint32_t midi_peek_byte(uint32_t addr);
inline constexpr BusDevice MIDI_BUS = bus_device_of_bytes<midi_read_byte, midi_write_byte, midi_peek_byte>();

// The byte to transmit, into the message in hand (the host output opens at
// the first byte).
void midi_put_byte();
void midi_schedule_timer();
// Shut-down: the host output closed.
void midi_close();

// MIDI messages from a byte stream: a message leaves once complete by its
// status's length, running status is kept, a real-time byte ($F8-$FF)
// leaves at once without breaking the message in hand, and a system
// exclusive leaves whole with its $F7 (cut at MIDI_SYSEX_LIMIT bytes).
class MidiAssembler {
public:
    using Sink = std::function<void(const uint8_t* bytes, size_t count)>;
    // Feeds one byte; sink takes each message it completes.
    void put(uint8_t b, const Sink& sink);
    void clear();

private:
    void start(uint8_t status, const Sink& sink);
    std::vector<uint8_t> message_;  // the message in hand
    uint8_t running_ = 0;           // status of the last channel message
    size_t need_ = 0;               // data bytes the message in hand takes
    bool sysex_ = false;
};
