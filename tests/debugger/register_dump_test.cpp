// "register.log": a device state set by hand against a golden file, the
// two resolution-name forms, an unarmed scheduler slot, a zero frame
// length, and the file written whole in the current folder.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/cpu_regs.h"
#include "debugger/debugger.h"
#include "debugger/register_dump.h"
#include "machine/memory_map.h"
#include "machine/mfp.h"
#include "machine/scheduler.h"
#include "sound/adpcm.h"
#include "sound/fm_card.h"
#include "storage/dma.h"
#include "video/crtc.h"
#include "video/palette.h"
#include "video/sprite.h"

namespace fs = std::filesystem;

namespace {

std::string file_text(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class RegisterDump : public ::testing::Test {
protected:
    void SetUp() override {
        saved_area_ = g_sprite_area;
        sprite_.assign(SPRITE_AREA_SIZE, 0);
        g_sprite_area = sprite_.data();
        std::memset(&g_crtc, 0, sizeof g_crtc);
        std::memset(&g_pal, 0, sizeof g_pal);
        std::memset(g_scheduler.countdown, 0, sizeof g_scheduler.countdown);
        std::memset(g_mfp.regs, 0, sizeof g_mfp.regs);
        std::memset(&g_dmac, 0, sizeof g_dmac);
        std::memset(&g_adpcm, 0, sizeof g_adpcm);
        std::memset(g_fmcard.chip.opm_regs, 0, sizeof g_fmcard.chip.opm_regs);
        saved_cpf_ = g_cpu_regs.cycles_per_frame;
    }
    void TearDown() override {
        g_sprite_area = saved_area_;
        g_cpu_regs.cycles_per_frame = saved_cpf_;
    }
    void put_sprite_word(uint32_t off, uint16_t v) {
        sprite_[off] = uint8_t(v >> 8);
        sprite_[off + 1] = uint8_t(v);
    }
    // A state touching every decoded field.
    void set_machine() {
        const uint16_t crtc[CRTC_REGS] = {0x89,  0x0E, 0x1C,   0x7C,   0x237,  0x05,   0x28,  0x228, 0x1B,
                                          0x1F4, 0x10, 0x3FF,  1,      2,      3,      4,     5,     6,
                                          7,     8,    0x0316, 0x0335, 0x1234, 0xA5A5, 0xBEEF};
        std::memcpy(g_crtc.regs, crtc, sizeof crtc);
        g_crtc.op_port = 0x02;
        const uint8_t vc[VC_BYTES] = {0x00, 0x03, 0x24, 0xE4, 0xA5, 0x7F};
        std::memcpy(g_pal.vc_regs, vc, sizeof vc);
        const uint16_t spr[] = {0x0010, 0x0020, 0x0030, 0x0040, 0x021B, 0x00FF, 0x0015, 0x0028, 0x0015};
        for (uint32_t i = 0; i < 9; i++) put_sprite_word(SPR_BG0_X + 2 * i, spr[i]);
        g_cpu_regs.cycles_per_frame = 181818;
        g_scheduler.countdown[EV_MFP_TIMER_C] = 181818;       // 18 ms
        g_scheduler.countdown[EV_FRAME_START] = 90909;        // 9 ms
        g_scheduler.countdown[EV_VDISP_END] = 0x123456789LL;  // low 32 bits printed
        g_memory_map.area_set = 0x3C;
        for (uint32_t n = 1; n < 0x34; n += 2) g_mfp.regs[n] = uint8_t(n * 3);
        for (uint32_t n = 0; n < 0x100; n++) g_dmac.regs[n] = uint8_t(n ^ 0x5A);
        g_adpcm.regs[1] = 0x81;
        g_adpcm.regs[3] = 0x0C;
        g_adpcm.regs[5] = 0x77;
        for (uint32_t n = 0; n < 256; n++) g_fmcard.chip.opm_regs[n] = uint8_t(255 - n);
    }

    std::vector<uint8_t> sprite_;
    uint8_t* saved_area_ = nullptr;
    uint32_t saved_cpf_ = 0;
};

TEST_F(RegisterDump, MatchesTheGoldenFile) {
    set_machine();
    const std::string text = dbg_register_dump_text();
    const fs::path golden = fs::path(ZOLM_DEBUGGER_TEST_DATA) / "register.log";
    if (std::getenv("ZOLM_UPDATE_GOLDEN")) std::ofstream(golden, std::ios::binary) << text;
    EXPECT_EQ(text, file_text(golden));
    EXPECT_NE(text.find(" R20=0316H 790    ;3: 64kc. x1p. 16h H: 768x512\n"), std::string::npos);
    EXPECT_NE(text.find(" R24=beefH 48879   ; mod=0002\n"), std::string::npos);
}

TEST_F(RegisterDump, OddResolutionUnarmedSlotsAndNoFrameLength) {
    g_crtc.regs[CRTC_MODE] = 0x0002;
    g_cpu_regs.cycles_per_frame = 0;  // before the first tick: no division by it
    g_scheduler.countdown[EV_MFP_TIMER_D] = 5000;
    const std::string text = dbg_register_dump_text();
    EXPECT_NE(text.find(" R20=0002H 2      ;0: 16c. x4p. 2h---\n"), std::string::npos);
    EXPECT_NE(text.find(" R4 =00001388H    0ms mfp 4: timer D\n"), std::string::npos);
    EXPECT_NE(text.find(" R1d=00000000H    0ms VBLANK\n"), std::string::npos);
    EXPECT_NE(text.find(" SYNC_BASE=00000000H\n"), std::string::npos);
}

TEST_F(RegisterDump, WritesRegisterLogWholeInTheCurrentFolder) {
    set_machine();
    std::string tmpl = (fs::temp_directory_path() / "zolm-regdump-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    const fs::path dir = tmpl, before = fs::current_path();
    fs::current_path(dir);
    std::ofstream("register.log") << "old and longer than nothing";
    dbg_dump_registers();
    EXPECT_EQ(file_text(dir / "register.log"), dbg_register_dump_text());
    // A folder in its place: nothing is written, nothing fails.
    fs::remove(dir / "register.log");
    fs::create_directory(dir / "register.log");
    dbg_dump_registers();
    EXPECT_TRUE(fs::is_directory(dir / "register.log"));
    fs::current_path(before);
    fs::remove_all(dir);
}

}  // namespace
