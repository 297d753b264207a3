// CRTC register file, operation port, raster copy and fast clear.
#include "video/crtc.h"

#include <cstring>

#include "machine/device.h"
#include "machine/io_page.h"
#include "machine/machine.h"
#include "video/video_state.h"
#include "video/vram.h"

CrtcState g_crtc;

void crtc_power_on() { device_clear(g_crtc); }
std::span<const uint8_t> crtc_state() { return device_state_bytes(g_crtc); }

namespace {

constexpr uint32_t REG_BYTES = 2 * CRTC_REGS;
constexpr uint32_t PLANE_SIZE = 0x20000;  // text plane
constexpr uint32_t RASTER_BYTES = 512;    // 4 text lines

// Register byte index of an address in the register area, or -1 for the
// port area (the slot repeats a 2 KB layout; registers mirror every 64 bytes).
int32_t register_index(uint32_t addr) {
    if ((addr & 0x7FF) > 0x400) return -1;
    return int32_t(addr & 0x3F);
}

// Byte indexes of a register's halves.
constexpr int32_t high_byte(CrtcReg r) { return int32_t(2 * r); }
constexpr int32_t low_byte(CrtcReg r) { return int32_t(2 * r + 1); }

bool is_op_port(uint32_t addr) { return (addr & 1) && (addr & 0xFF) >= 0x80; }

uint32_t raster_log_index() { return g_machine.frame.raster_line & (VID_LOG_LINES - 1); }

// Zeroes `rows` rows of `row_bytes` from row `start`, wrapping at `wrap` rows.
void clear_rows(uint8_t* base, uint32_t start, uint32_t rows, uint32_t row_bytes, uint32_t wrap) {
    for (uint32_t i = 0; i < rows; i++) { std::memset(base + ((start + i) % wrap) * row_bytes, 0, row_bytes); }
}

uint32_t clear_row_count() { return (crtc_reg(CRTC_MODE) & CRTC_MODE_512_LINES) ? 512 : 256; }

}  // namespace

uint32_t crtc_peek_byte(uint32_t addr) {
    int32_t i = register_index(addr);
    if (i < 0) return is_op_port(addr) ? g_crtc.op_port : 0;
    // R10 and R11 (text scroll) read 0.
    if (uint32_t(i) >= REG_BYTES || (i >= high_byte(CRTC_TEXT_X) && i <= low_byte(CRTC_TEXT_Y))) return 0;
    uint16_t reg = g_crtc.regs[i >> 1];
    return (i & 1) ? reg & 0xFF : reg >> 8;
}

uint32_t crtc_read_byte(uint32_t addr) {
    if (register_index(addr) < 0 && is_op_port(addr)) g_crtc.op_port ^= CRTC_OP_READ_TOGGLE;
    return crtc_peek_byte(addr);
}

void crtc_write_byte(uint32_t addr, uint32_t value) {
    int32_t i = register_index(addr);
    if (i < 0) {
        if (!is_op_port(addr)) return;
        if ((value & CRTC_OP_RASTER_COPY) && (crtc_reg(CRTC_TEXT_ACCESS) & CRTC_ACCESS_PLANES)) crtc_raster_copy();
        if (value & CRTC_OP_FAST_CLEAR) crtc_fast_clear();
        return;
    }
    if (uint32_t(i) >= REG_BYTES) return;
    uint16_t& reg = g_crtc.regs[i >> 1];
    if (i & 1) reg = uint16_t((reg & 0xFF00) | (value & 0xFF));
    else reg = uint16_t((reg & 0x00FF) | ((value & 0xFF) << 8));

    switch (i) {
    case low_byte(CRTC_RASTER_INT):  // raster-interrupt line
        emu_post_request(REQ_RASTER_LINE);
        break;
    case low_byte(CRTC_TEXT_X):
        g_video.g_line_log_tscroll[raster_log_index()] = uint16_t(reg | VID_LOG_FLAG);
        g_video.g_tscroll_log_mask = VID_LOG_LINES - 1;
        break;
    case low_byte(CRTC_GR0_X):
    case low_byte(CRTC_GR1_X):
    case low_byte(CRTC_GR2_X):
    case low_byte(CRTC_GR3_X):
        g_video.g_line_log_gscroll[(i - low_byte(CRTC_GR0_X)) / 4][raster_log_index()] = uint16_t(reg | VID_LOG_FLAG);
        g_video.g_gscroll_log_mask = VID_LOG_LINES - 1;
        break;
    case high_byte(CRTC_MODE):  // graphic memory mode
        emu_post_request(REQ_VIDEO_MODE);
        break;
    default: break;
    }
}

void crtc_raster_copy() {
    uint32_t r22 = crtc_reg(CRTC_RASTER_COPY);
    uint32_t dst = r22 & 0xFF, src = r22 >> 8;
    for (uint32_t line = dst * 4; line < dst * 4 + 4; line++) g_video.g_tvram_dirty_lines[line] = 1;
    uint32_t planes = crtc_reg(CRTC_TEXT_ACCESS) & CRTC_ACCESS_PLANES;
    for (uint32_t p = 0; p < 4; p++) {
        if (!(planes & (1u << p))) continue;
        uint8_t* plane = g_tvram + p * PLANE_SIZE;
        std::memmove(plane + dst * RASTER_BYTES, plane + src * RASTER_BYTES, RASTER_BYTES);
    }
}

void crtc_fast_clear() {
    uint32_t mask = crtc_reg(CRTC_TEXT_ACCESS) & CRTC_ACCESS_PLANES;
    switch (crtc_memory_mode()) {
    case 0:
        for (uint32_t p = 0; p < 4; p++) {
            if (mask & (1u << p)) crtc_fast_clear_page16(p);
        }
        break;
    case 1:
        if (mask & 3) crtc_fast_clear_page256(0);
        if (mask & 0xC) crtc_fast_clear_page256(2);
        break;
    case 3:
        if (mask) crtc_fast_clear_64k();
        break;
    case 4: crtc_fast_clear_1024(); break;
    default: break;
    }
}

void crtc_fast_clear_page16(uint32_t page) {
    page &= 3;
    clear_rows(g_gvram + page * 0x40000, crtc_reg(crtc_graphic_y(page)) & 0x1FF, clear_row_count(), 512, 512);
    vid_request_full_redraw();
}

void crtc_fast_clear_page256(uint32_t page) {
    uint32_t pair = (page >> 1) & 1;
    clear_rows(g_gvram + pair * 0x40000, crtc_reg(crtc_graphic_y(pair * 2)) & 0x1FF, clear_row_count(), 512, 512);
    vid_request_full_redraw();
}

void crtc_fast_clear_64k() {
    clear_rows(g_gvram, crtc_reg(CRTC_GR0_Y) & 0x1FF, clear_row_count(), 1024, 512);
    vid_request_full_redraw();
}

void crtc_fast_clear_1024() {
    clear_rows(g_gvram, crtc_reg(CRTC_GR0_Y) & 0x3FF, clear_row_count(), 1024, 1024);
    vid_request_full_redraw();
}
