#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "host/audio_mixer.h"
#include "host/midi_out.h"
#include "machine/scheduler.h"
#include "machine/settings.h"
#include "sound/midi.h"
#include "support/powered_on.h"
#include "tone.h"

namespace {

using Bytes = std::vector<uint8_t>;
MidiRecording* g_recording;

class SoundMidi : public PoweredOnMachine {
protected:
    void SetUp() override {
        PoweredOnMachine::SetUp();
        midi_out_set_opener([]() -> std::unique_ptr<MidiOut> {
            auto r = std::make_unique<MidiRecording>();
            g_recording = r.get();
            return r;
        });
        midi_close();
        midi_power_on();
        g_mem_probe_mode = 0;
        g_cpu_regs.cycles_per_frame = 181818;
        g_scheduler.event_time_scale = 10;
        std::fill(std::begin(g_scheduler.countdown), std::end(g_scheduler.countdown), 0);
    }
    void TearDown() override {
        midi_close();
        midi_out_set_opener(nullptr);
        g_settings.midi = 0;
        g_mem_probe_mode = 0;
    }
    // Transmits bytes through R56 (group 5, $EAFA0D).
    static void send(const Bytes& bytes) {
        MIDI_BUS.write_byte(0xEAFA03, 5);
        for (uint8_t b : bytes) MIDI_BUS.write_byte(0xEAFA0D, b);
    }
    static std::vector<Bytes> sent() {
        std::vector<Bytes> out;
        if (g_recording)
            for (auto& m : g_recording->messages) out.push_back(m.bytes);
        return out;
    }
};

// The board's registers and their addresses; absent while MIDI is off.
TEST_F(SoundMidi, sound_midi_board_registers) {
    EXPECT_EQ(MIDI_BUS.read_byte(0xEAFA00), 0xFFu);
    EXPECT_EQ(MIDI_BUS.read_byte(0xEAFA02), 0u);
    MIDI_BUS.write_byte(0xEAFA03, 5);  // R01: group 5
    EXPECT_EQ(g_midi.group_base, 0x50u);
    EXPECT_EQ(MIDI_BUS.read_byte(0xEAFA09), 0xC0u);  // R54: the transmitter always ready
    MIDI_BUS.write_byte(0xEAFA0D, 0x90);             // R56 in group 5: transmits
    EXPECT_EQ(g_midi.transmit_byte, 0x90u);
    EXPECT_EQ(g_midi.host_state, 1);
    EXPECT_EQ(MIDI_BUS.read_word(0xEAFA00), 0xFF00u);
    EXPECT_EQ(MIDI_BUS.read_long(0xEAFA00), 0xFF000005u);

    // In group 0 the same address is R06: the timer, 16 steps of 1/2250 frame.
    MIDI_BUS.write_byte(0xEAFA03, 0);
    MIDI_BUS.write_byte(0xEAFA0B, 0x80);  // R05
    MIDI_BUS.write_byte(0xEAFA03, 8);
    MIDI_BUS.write_byte(0xEAFA09, 0x10);  // R84
    MIDI_BUS.write_byte(0xEAFA0B, 0x00);  // R85
    MIDI_BUS.write_byte(0xEAFA03, 0);
    MIDI_BUS.write_byte(0xEAFA0D, 0x80);  // R06: the general timer
    EXPECT_EQ(g_scheduler.countdown[EV_LEVEL_MIDI], 16 * 181818 / 2250 + 4);

    g_settings.midi = 0;
    {
        ProbeScope probe;
        MIDI_BUS.read_byte(0xEAFA01);
        EXPECT_EQ(probe.fault(), 3u);
    }
    ProbeScope probe;
    MIDI_BUS.write_byte(0xEAFA01, 0);
    EXPECT_EQ(probe.fault(), 4u);
    EXPECT_EQ(MIDI_BUS.peek_byte(0xEAFA01), 0xFFu);
}

// Messages leave as MIDI expects.
TEST_F(SoundMidi, sound_midi_messages) {
    Bytes sysex = {0xF0};
    for (int i = 0; i < 70; i++) sysex.push_back(uint8_t(i));
    sysex.push_back(0xF7);
    struct Case {
        const char* what;
        Bytes in;
        std::vector<Bytes> out;
    };
    const Case cases[] = {
        {"note on, complete at its second data byte", {0x90, 0x3C, 0x64}, {{0x90, 0x3C, 0x64}}},
        {"running status",
         {0x90, 0x3C, 0x64, 0x3E, 0x64, 0x3C, 0x00},
         {{0x90, 0x3C, 0x64}, {0x90, 0x3E, 0x64}, {0x90, 0x3C, 0x00}}},
        {"program change at its one data byte", {0xC0, 0x05}, {{0xC0, 0x05}}},
        {"running status of a one-byte message", {0xD0, 0x40, 0x50}, {{0xD0, 0x40}, {0xD0, 0x50}}},
        {"an end with no exclusive", {0xF7}, {}},
        {"pitch bend", {0xE1, 0x00, 0x40}, {{0xE1, 0x00, 0x40}}},
        {"70-byte exclusive, whole", sysex, {sysex}},
        {"a clock inside a note", {0x90, 0x3C, 0xF8, 0x64}, {{0xF8}, {0x90, 0x3C, 0x64}}},
        {"a clock inside an exclusive", {0xF0, 0x41, 0xF8, 0x10, 0xF7}, {{0xF8}, {0xF0, 0x41, 0x10, 0xF7}}},
        {"a status ends an exclusive", {0xF0, 0x41, 0x90, 0x3C, 0x64}, {{0xF0, 0x41, 0xF7}, {0x90, 0x3C, 0x64}}},
        {"a data byte with no status", {0x3C, 0x64}, {}},
        {"song position, tune request", {0xF2, 0x10, 0x20, 0xF6}, {{0xF2, 0x10, 0x20}, {0xF6}}},
        {"system common ends running status", {0x90, 0x3C, 0x64, 0xF6, 0x3C, 0x64}, {{0x90, 0x3C, 0x64}, {0xF6}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        midi_close();
        send(c.in);
        EXPECT_EQ(sent(), c.out);
    }
    // An exclusive is cut at 64 KiB, its $F7 kept.
    midi_close();
    Bytes big(70000, 0x11);
    big.front() = 0xF0;
    big.back() = 0xF7;
    send(big);
    ASSERT_EQ(sent().size(), 1u);
    EXPECT_EQ(sent()[0].size(), MIDI_SYSEX_LIMIT);
    EXPECT_EQ(sent()[0].back(), 0xF7);
}

// A failed open silences the board for the run.
TEST_F(SoundMidi, sound_midi_open_failure) {
    midi_out_set_opener([]() -> std::unique_ptr<MidiOut> { return nullptr; });
    send({0x90, 0x3C, 0x64});
    EXPECT_EQ(g_midi.host_state, -1);
    EXPECT_EQ(MIDI_BUS.read_byte(0xEAFA09), 0xC0u);
    // No ALSA port of that name: nothing opens.
    EXPECT_EQ(midi_out_open_alsa("no-such-client:0"), nullptr);
    EXPECT_EQ(midi_out_open_fluidsynth("/no/such.sf2"), nullptr);
}

// FluidSynth plays note $45 at 440 Hz through the mixer.
TEST_F(SoundMidi, sound_fluidsynth_plays_a440) {
    ASSERT_TRUE(std::filesystem::exists(MIDI_SOUNDFONT));
    mixer_set_clock(nullptr);
    mixer_set_manual_time(0);
    mixer_reset();
    mixer_keep_output(true);
    {
        auto out = midi_out_open_fluidsynth(MIDI_SOUNDFONT);
        ASSERT_NE(out, nullptr);
        const uint8_t program[] = {0xC0, 73}, on[] = {0x90, 0x45, 0x64};
        out->send(program, 2);
        mixer_set_manual_time(mixer_frames_to_time(4410));
        out->send(on, 3);
        for (int ms = 100; ms <= 1100; ms += 20) {
            mixer_set_manual_time(mixer_frames_to_time(uint64_t(ms) * 441 / 10));
            mixer_advance();
        }
        mixer_finish();
    }
    const auto& s = mixer_kept_output();
    EXPECT_LT(tone_rms(s, 2, 0, 4400), 1);
    size_t onset = tone_onset(s, 2, 0, 100);
    EXPECT_NEAR(double(onset), 4410, 441);
    EXPECT_NEAR(tone_peak(s, 2, 0, 4410 + 8820, 16384, 44100, 400, 480, 0.5), 440, 1);
    mixer_keep_output(false);
    mixer_reset();
}

}  // namespace
