#include "sound/sndlib/pcm8.h"

#include <cmath>

namespace sndlib {

namespace {
enum : uint32_t { RATE_PCM16 = 5, RATE_PCM8 = 6, RATE_LAST = 6, VOLUME_LAST = 15, PAN_LAST = 3, FIELD_KEEP = 0xFF };
constexpr int PCM_SHIFT = 4;  // 16-bit PCM down, 8-bit PCM up, to the ADPCM's 12 bits

uint32_t field(uint32_t mode, int shift) { return (mode >> shift) & 0xFF; }

// A new mode word: each byte field of $FF or out of range keeps the old one.
uint32_t merge_mode(uint32_t old, uint32_t mode) {
    uint32_t vol = field(mode, 16), rate = field(mode, 8), pan = field(mode, 0);
    if (vol == FIELD_KEEP || vol > VOLUME_LAST) vol = field(old, 16);
    if (rate == FIELD_KEEP || rate > RATE_LAST) rate = field(old, 8);
    if (pan == FIELD_KEEP || pan > PAN_LAST) pan = field(old, 0);
    return vol << 16 | rate << 8 | pan;
}
}  // namespace

double pcm8_rate(uint32_t mode) {
    static const double rates[RATE_LAST + 1] = {3906.25, 5208.333, 7812.5, 10416.667, 15625, 15625, 15625};
    return rates[field(mode, 8) > RATE_LAST ? 4 : field(mode, 8)];
}

void Pcm8::reset() {
    for (auto& v : v_) v = Pcm8Voice{};
}

static bool bad(int ch) { return ch < 0 || ch >= PCM8_CHANNELS; }

// A voice starting afresh with the merged mode.
static void restart(Pcm8Voice& v, Pcm8Voice::Kind kind, uint32_t mode, uint32_t addr, uint32_t rest, uint32_t table,
                    uint32_t left) {
    v = Pcm8Voice{};
    v.kind = kind;
    v.mode = mode;
    v.addr = addr & 0xFFFFFF;
    v.rest = rest;
    v.table = table & 0xFFFFFF;
    v.left = left;
}

int32_t Pcm8::out(int ch, uint32_t addr, uint32_t mode, uint32_t length) {
    if (bad(ch)) return PCM8_BAD_CHANNEL;
    Pcm8Voice& v = v_[ch];
    restart(v, length ? Pcm8Voice::BLOCK : Pcm8Voice::IDLE, merge_mode(v.mode, mode), addr, length, 0, 0);
    return 0;
}

int32_t Pcm8::array_out(int ch, uint32_t table, uint32_t mode, uint32_t count) {
    if (bad(ch)) return PCM8_BAD_CHANNEL;
    Pcm8Voice& v = v_[ch];
    restart(v, Pcm8Voice::ARRAY, merge_mode(v.mode, mode), 0, 0, table, count & 0xFFFF);
    if (!next_block(v)) v.kind = Pcm8Voice::IDLE;
    return 0;
}

int32_t Pcm8::link_out(int ch, uint32_t table, uint32_t mode) {
    if (bad(ch)) return PCM8_BAD_CHANNEL;
    Pcm8Voice& v = v_[ch];
    restart(v, Pcm8Voice::LINK, merge_mode(v.mode, mode), 0, 0, table, 0);
    v.links = PCM8_LINK_ALLOWANCE;
    if (!next_block(v)) v.kind = Pcm8Voice::IDLE;
    return 0;
}

int32_t Pcm8::set_mode(int ch, uint32_t mode) {
    if (bad(ch)) return PCM8_BAD_CHANNEL;
    v_[ch].mode = merge_mode(v_[ch].mode, mode);
    return 0;
}

int32_t Pcm8::get_rest(int ch) const {
    if (bad(ch)) return PCM8_BAD_CHANNEL;
    return v_[ch].kind == Pcm8Voice::IDLE ? 0 : int32_t(v_[ch].rest);
}

int32_t Pcm8::get_mode(int ch) const { return bad(ch) ? PCM8_BAD_CHANNEL : int32_t(v_[ch].mode); }

void Pcm8::abort() {
    for (auto& v : v_) v.kind = Pcm8Voice::IDLE;
}

bool Pcm8::any_active() const {
    for (auto& v : v_)
        if (v.kind != Pcm8Voice::IDLE) return true;
    return false;
}

// The next block with bytes of an array (address, count) or link table
// (address, count, next); empty entries are passed over. A fault, the end
// of the chain or a link chain past its allowance ends the voice.
bool Pcm8::next_block(Pcm8Voice& v) {
    for (;;) {
        if (v.kind == Pcm8Voice::BLOCK || (v.kind == Pcm8Voice::ARRAY && v.left == 0) ||
            (v.kind == Pcm8Voice::LINK && v.table == 0))
            return false;
        if (v.kind == Pcm8Voice::LINK) {
            if (v.links == 0) return false;
            --v.links;
        }
        uint32_t e[10];
        int len = v.kind == Pcm8Voice::LINK ? 10 : 6;
        for (int i = 0; i < len; ++i) {
            int32_t b = read ? read(ctx, (v.table + i) & 0xFFFFFF) : 0;
            if (b & ~0xFF) return false;
            e[i] = uint32_t(b);
        }
        v.addr = (e[0] << 24 | e[1] << 16 | e[2] << 8 | e[3]) & 0xFFFFFF;
        v.rest = e[4] << 8 | e[5];
        if (v.kind == Pcm8Voice::ARRAY) {
            v.table += 6;
            --v.left;
        } else {
            v.table = e[6] << 24 | e[7] << 16 | e[8] << 8 | e[9];
        }
        if (v.rest != 0) return true;
    }
}

int32_t Pcm8::byte_at(Pcm8Voice& v, bool& ok) {
    if (v.rest == 0 && !next_block(v)) {
        ok = false;
        return 0;
    }
    int32_t b = read ? read(ctx, v.addr) : 0;
    if (b & ~0xFF) {
        ok = false;
        return 0;
    }
    v.addr = (v.addr + 1) & 0xFFFFFF;
    --v.rest;
    return b;
}

int32_t Pcm8::next_sample(Pcm8Voice& v) {
    bool ok = true;
    uint32_t rate = field(v.mode, 8);
    int32_t s;
    if (rate == RATE_PCM16) {
        int32_t hi = byte_at(v, ok), lo = ok ? byte_at(v, ok) : 0;
        s = int16_t(hi << 8 | lo) >> PCM_SHIFT;
    } else if (rate == RATE_PCM8) {
        s = int8_t(byte_at(v, ok)) * (1 << PCM_SHIFT);
    } else {
        if (!v.half) v.byte = uint8_t(byte_at(v, ok));
        s = ok ? v.dec.decode(v.half ? v.byte >> 4 : v.byte & 15) : 0;
        v.half ^= 1;
    }
    if (!ok) v.kind = Pcm8Voice::IDLE;
    return ok ? s : 0;
}

void Pcm8::render(int32_t* out, uint32_t n, double chip_rate) {
    for (auto& v : v_) {
        if (v.kind == Pcm8Voice::IDLE) continue;
        // Volume 8 is unity; each step 3 dB. Positions in 1/65536 sample.
        const int32_t gain = int32_t(std::lround(std::exp2((int(field(v.mode, 16)) - 8) * 0.5) * 256));
        const uint32_t pan = field(v.mode, 0);
        const uint32_t step = uint32_t(std::lround(pcm8_rate(v.mode) / chip_rate * 65536));
        v.links = n + PCM8_LINK_ALLOWANCE;
        for (uint32_t i = 0; i < n && v.kind != Pcm8Voice::IDLE; ++i) {
            v.pos += step;
            while (v.pos >= 65536 && v.kind != Pcm8Voice::IDLE) {
                v.pos -= 65536;
                v.prev = v.cur;
                v.cur = next_sample(v);
            }
            int32_t s = (v.prev + (((v.cur - v.prev) * int32_t(v.pos)) >> 16)) * gain >> 8;
            if (pan & 1) out[2 * i] += s;
            if (pan & 2) out[2 * i + 1] += s;
        }
    }
}

}  // namespace sndlib
