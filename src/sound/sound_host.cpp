#include "sound/sound_host.h"

#include <cerrno>
#include <cstdio>

#include "host/audio_mixer.h"
#include "host/midi_out.h"
#include "host/wave_voice.h"
#include "machine/log_lines.h"
#include "machine/settings.h"
#include "sound/adpcm.h"
#include "sound/fm_card.h"
#include "sound/midi.h"
#include "sound/sound_clock.h"
#include "sound/sound_models.h"

namespace {

SoundHostOptions s_options;

// The back ends and voices a run left: stopped, their streams closed. The
// FM setting stays as configured.
void sound_host_stop_sources() {
    int32_t fm = g_settings.fm;
    fmcard_select(g_fmcard, 0);
    g_settings.fm = fm;
    sound_models_select(fm, g_settings.fmpcm8);  // the setting's models, the library stopped
    if (g_adpcm_player.end_time) adpcm_stop();
    midi_close();
    host_sound_close();
}

void sound_host_poll_sources() { adpcm_poll_end(); }

}  // namespace

void sound_host_start(const SoundHostOptions& options) {
    sound_host_stop_sources();
    s_options = options;
    if (!g_adpcm_player.device_count) adpcm_probe_wave_out();
    host_time_set_emulated(options.virtual_clock);
    // A named port that cannot be opened turns MIDI off (midi_check_devices), said at the start.
    const std::string why = midi_out_set_port(options.midi_port);
    if (!why.empty()) {
        std::string port = options.midi_port;
        for (char& c : port)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
        const std::string text = "--midi-port " + port + ": cannot be opened (" + why + "); MIDI is off";
        std::fprintf(stderr, "zolm: %s\n", text.c_str());
        log_add_line(text);
    }
    sound_clock_attach();
    mixer_keep_output(!options.wav.empty());
    std::string no_sink;
    if (!mixer_open_sink(options.sdl_sink ? MixerSink::Sdl : MixerSink::Null, &no_sink)) {
        mixer_open_sink(MixerSink::Null);
        const std::string text = "no sound device (" + no_sink + "): the run is silent";
        std::fprintf(stderr, "zolm: %s\n", text.c_str());
        log_add_line(text);
    }
}

void sound_host_poll() {
    mixer_advance();
    sound_host_poll_sources();
}

bool sound_host_finish() {
    mixer_finish();
    bool written = s_options.wav.empty() || mixer_write_wav(s_options.wav);
    int err = errno;  // why the file was not written, for the caller
    sound_host_stop_sources();
    mixer_keep_output(false);
    mixer_close_sink();
    errno = err;
    return written;
}
