// MIDI messages assembled from the transmitted bytes.
#include "sound/midi.h"

namespace {

constexpr uint8_t SYSEX_START = 0xF0, SYSEX_END = 0xF7, REAL_TIME_FIRST = 0xF8;
constexpr uint8_t SYSTEM_FIRST = 0xF0;

// Data bytes after a status byte (not real-time, not $F0).
size_t data_length(uint8_t status) {
    switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 1;
    case 0xF0: return status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
    default: return 2;
    }
}

}  // namespace

void MidiAssembler::clear() {
    message_.clear();
    running_ = 0;
    need_ = 0;
    sysex_ = false;
}

void MidiAssembler::start(uint8_t status, const Sink& sink) {
    message_.assign(1, status);
    if (status == SYSEX_START) {
        sysex_ = true;
        running_ = 0;
        return;
    }
    // System common messages cancel running status; channel messages set it.
    running_ = status < SYSTEM_FIRST ? status : 0;
    need_ = data_length(status);
    if (need_ == 0) {
        sink(message_.data(), message_.size());
        message_.clear();
    }
}

void MidiAssembler::put(uint8_t b, const Sink& sink) {
    if (b >= REAL_TIME_FIRST) {  // at once, the message in hand kept
        sink(&b, 1);
        return;
    }
    if (sysex_) {
        if (b < 0x80) {
            if (message_.size() < MIDI_SYSEX_LIMIT - 1) message_.push_back(b);
            return;
        }
        // $F7, or any other status, ends it: it leaves whole with its $F7.
        message_.push_back(SYSEX_END);
        sink(message_.data(), message_.size());
        message_.clear();
        sysex_ = false;
        if (b == SYSEX_END) return;
    }
    if (b >= 0x80) {
        if (b == SYSEX_END) return;  // an end with no exclusive: nothing to end
        start(b, sink);
        return;
    }
    if (message_.empty()) {
        if (!running_) return;  // a data byte with no status: dropped
        message_.assign(1, running_);
        need_ = data_length(running_);
    }
    message_.push_back(b);
    if (message_.size() == need_ + 1) {
        sink(message_.data(), message_.size());
        message_.clear();
    }
}
