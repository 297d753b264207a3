#include "host/midi_out.h"

#include <alsa/asoundlib.h>
#include <dlfcn.h>
#include <fluidsynth.h>

#include <filesystem>

#include "host/alsa_quiet.h"

namespace {

// FluidSynth and the thirty libraries it needs are loaded at the first
// MIDI output, not at the program's start, which they would slow.
struct FluidLib {
// clang-format off
#define ZOLM_FLUID_FUNCTIONS(X)                                                                              \
    X(new_fluid_settings) X(delete_fluid_settings) X(fluid_settings_setint) X(fluid_settings_setnum)        \
    X(new_fluid_synth) X(delete_fluid_synth) X(fluid_synth_sfload) X(fluid_synth_noteoff)                   \
    X(fluid_synth_noteon) X(fluid_synth_key_pressure) X(fluid_synth_cc) X(fluid_synth_program_change)       \
    X(fluid_synth_channel_pressure) X(fluid_synth_pitch_bend) X(fluid_synth_sysex)                          \
    X(fluid_synth_system_reset) X(fluid_synth_write_s16)
// clang-format on
#define ZOLM_FLUID_POINTER(name) decltype(&::name) name = nullptr;
    ZOLM_FLUID_FUNCTIONS(ZOLM_FLUID_POINTER)
#undef ZOLM_FLUID_POINTER
    bool loaded = false;
};

// The library once loaded stays for the program's life; nullptr when it
// or one of its functions cannot be had.
const FluidLib* fluid_lib() {
    static FluidLib lib = [] {
        FluidLib l;
        void* handle = nullptr;
        for (const char* name : {"libfluidsynth.so.3", "libfluidsynth.so"})
            if ((handle = dlopen(name, RTLD_NOW | RTLD_LOCAL))) break;
        if (!handle) return l;
        bool all = true;
#define ZOLM_FLUID_LOAD(name)                                          \
    l.name = reinterpret_cast<decltype(l.name)>(dlsym(handle, #name)); \
    all = all && l.name;
        ZOLM_FLUID_FUNCTIONS(ZOLM_FLUID_LOAD)
#undef ZOLM_FLUID_LOAD
        l.loaded = all;
        return l;
    }();
    return lib.loaded ? &lib : nullptr;
}

std::string s_alsa_port;
bool s_alsa_port_opens;  // the named port opened when it was named
MidiOutOpener s_opener;

constexpr double FLUID_GAIN = 0.6;

class FluidOut : public MidiOut {
public:
    bool open(const std::string& soundfont) {
        if (!(fl_ = fluid_lib())) return false;
        settings_ = fl_->new_fluid_settings();
        if (!settings_) return false;
        fl_->fluid_settings_setnum(settings_, "synth.sample-rate", MIXER_RATE);
        fl_->fluid_settings_setnum(settings_, "synth.gain", FLUID_GAIN);
        fl_->fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
        fl_->fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
        synth_ = fl_->new_fluid_synth(settings_);
        if (!synth_ || fl_->fluid_synth_sfload(synth_, soundfont.c_str(), 1) == FLUID_FAILED) return false;
        stream_ = mixer_open(MIXER_RATE, 2, render, this);
        return stream_ != nullptr;
    }
    ~FluidOut() override {
        if (stream_) mixer_close(stream_);
        if (synth_) fl_->delete_fluid_synth(synth_);
        if (settings_) fl_->delete_fluid_settings(settings_);
    }
    void send(const uint8_t* b, size_t n) override {
        if (!n) return;
        mixer_catch_up(stream_);  // what came before sounds as it was
        int ch = b[0] & 15;
        int d1 = n > 1 ? b[1] : 0, d2 = n > 2 ? b[2] : 0;
        switch (b[0] & 0xF0) {
        case 0x80: fl_->fluid_synth_noteoff(synth_, ch, d1); break;
        case 0x90: fl_->fluid_synth_noteon(synth_, ch, d1, d2); break;
        case 0xA0: fl_->fluid_synth_key_pressure(synth_, ch, d1, d2); break;
        case 0xB0: fl_->fluid_synth_cc(synth_, ch, d1, d2); break;
        case 0xC0: fl_->fluid_synth_program_change(synth_, ch, d1); break;
        case 0xD0: fl_->fluid_synth_channel_pressure(synth_, ch, d1); break;
        case 0xE0: fl_->fluid_synth_pitch_bend(synth_, ch, d1 | d2 << 7); break;
        default:
            if (b[0] == 0xF0 && n >= 2)
                fl_->fluid_synth_sysex(synth_, reinterpret_cast<const char*>(b + 1),
                                       int(n - (b[n - 1] == 0xF7 ? 2 : 1)), nullptr, nullptr, nullptr, 0);
            else if (b[0] == 0xFF) fl_->fluid_synth_system_reset(synth_);
            break;
        }
    }

private:
    static void render(void* user, int16_t* out, uint32_t frames) {
        auto* self = static_cast<FluidOut*>(user);
        self->fl_->fluid_synth_write_s16(self->synth_, int(frames), out, 0, 2, out, 1, 2);
    }
    const FluidLib* fl_ = nullptr;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    MixerStream* stream_ = nullptr;
};

constexpr size_t ALSA_PARSER_BYTES = 65536 + 16;

class AlsaOut : public MidiOut {
public:
    // Empty when the port is connected, else why not.
    std::string open(const std::string& port) {
        alsa_quiet();
        int err = snd_seq_open(&seq_, "default", SND_SEQ_OPEN_OUTPUT, 0);
        if (err < 0) return std::string("no ALSA sequencer: ") + snd_strerror(err);
        snd_seq_set_client_name(seq_, "zolm");
        port_ = snd_seq_create_simple_port(seq_, "zolm MIDI out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                           SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        if (port_ < 0) return std::string("no port of our own: ") + snd_strerror(port_);
        snd_seq_addr_t dest;
        if (snd_seq_parse_address(seq_, &dest, port.c_str()) < 0) return "no such sequencer port";
        err = snd_seq_connect_to(seq_, port_, dest.client, dest.port);
        if (err < 0) return std::string("cannot be connected: ") + snd_strerror(err);
        err = snd_midi_event_new(ALSA_PARSER_BYTES, &parser_);
        return err < 0 ? std::string(snd_strerror(err)) : std::string();
    }
    ~AlsaOut() override {
        if (parser_) snd_midi_event_free(parser_);
        if (seq_) snd_seq_close(seq_);
    }
    void send(const uint8_t* b, size_t n) override {
        snd_midi_event_reset_encode(parser_);
        for (size_t i = 0; i < n; i++) {
            snd_seq_event_t ev;
            snd_seq_ev_clear(&ev);
            if (snd_midi_event_encode_byte(parser_, b[i], &ev) != 1) continue;
            snd_seq_ev_set_source(&ev, port_);
            snd_seq_ev_set_subs(&ev);
            snd_seq_ev_set_direct(&ev);
            snd_seq_event_output_direct(seq_, &ev);
        }
    }

private:
    snd_seq_t* seq_ = nullptr;
    int port_ = -1;
    snd_midi_event_t* parser_ = nullptr;
};

}  // namespace

std::unique_ptr<MidiOut> midi_out_open_fluidsynth(const std::string& soundfont) {
    auto out = std::make_unique<FluidOut>();
    if (!out->open(soundfont)) return nullptr;
    return out;
}

std::unique_ptr<MidiOut> midi_out_open_alsa(const std::string& port) {
    auto out = std::make_unique<AlsaOut>();
    if (!out->open(port).empty()) return nullptr;
    return out;
}

std::string midi_out_set_port(const std::string& alsa_port) {
    s_alsa_port = alsa_port;
    s_alsa_port_opens = false;
    if (alsa_port.empty()) return {};
    std::string why = AlsaOut().open(alsa_port);
    s_alsa_port_opens = why.empty();
    return why;
}

std::unique_ptr<MidiOut> midi_out_open() {
    if (s_opener) return s_opener();
    if (!s_alsa_port.empty()) return midi_out_open_alsa(s_alsa_port);
    return midi_out_open_fluidsynth(MIDI_SOUNDFONT);
}

int midi_out_device_count() {
    if (s_opener) return 1;
    if (!s_alsa_port.empty()) return s_alsa_port_opens ? 1 : 0;
    std::error_code ec;
    int n = std::filesystem::exists(MIDI_SOUNDFONT, ec) ? 1 : 0;
    snd_seq_t* seq = nullptr;
    alsa_quiet();
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, SND_SEQ_NONBLOCK) == 0) {
        snd_seq_close(seq);
        n++;
    }
    return n;
}

void midi_out_set_opener(MidiOutOpener opener) { s_opener = opener; }
