// The start-up list of devices: a second start after a power-off finds
// every device as a power-on leaves it, and the debugger's view of the I/O
// page changes nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/bus.h"
#include "core/trace.h"
#include "debugger/disasm.h"
#include "input/keyboard.h"
#include "machine/bus_peek.h"
#include "machine/device.h"
#include "machine/io_page.h"
#include "machine/machine.h"
#include "machine/memory_map.h"
#include "machine/mfp.h"
#include "machine/settings.h"
#include "machine/startup.h"
#include "machine/system_port.h"
#include "sound/adpcm.h"
#include "sound/fm_card.h"
#include "support/powered_on.h"
#include "support/rom_folder.h"

namespace {

using Snapshot = std::map<std::string, std::vector<uint8_t>>;

Snapshot device_snapshot() {
    Snapshot s;
    for (const DeviceEntry& d : machine_devices()) {
        std::span<const uint8_t> bytes = d.state();
        s[d.name].assign(bytes.begin(), bytes.end());
    }
    return s;
}

// The first differing byte of each device, as a readable list.
std::string differences(const Snapshot& a, const Snapshot& b) {
    std::string out;
    for (const auto& [name, bytes] : a) {
        const std::vector<uint8_t>& other = b.at(name);
        for (size_t i = 0; i < bytes.size(); i++)
            if (bytes[i] != other[i]) {
                out += name + " at byte " + std::to_string(i) + "; ";
                break;
            }
    }
    return out;
}

class Devices : public PoweredOnMachine {
protected:
    // The ROM makes an FE-call, served on the host; its IOCS calls count
    // the delay of a waiting paste text down.
    void SetUp() override {
        PoweredOnMachine::SetUp();
        ASSERT_TRUE(folder_.ok());
        g_settings.fpu = 1;
        g_paste_text = "x";
    }
    void TearDown() override {
        g_settings = Settings{};
        g_paste_text.clear();
    }
    // Runs the started machine until the ROM switches the power off.
    static bool run_to_power_off() {
        for (int slice = 0; slice < 2000; slice++) {
            init_run_slice(0);
            if (g_machine.requests.event_request == REQ_END_SLICE) emu_take_request();
            if ((run_flags() & RUN_BREAK) && g_sys.power_off_count >= 2) return true;
        }
        return false;
    }

    RomFolder folder_{"devices_touch"};
};

TEST_F(Devices, ASecondStartFindsEveryDeviceAsPoweredOn) {
    g_settings.wav = 1;  // the ROM's ADPCM bytes go through the decoder
    ASSERT_EQ(init_start(), 0u);
    Snapshot fresh = device_snapshot();
    ASSERT_TRUE(run_to_power_off());
    Snapshot used = device_snapshot();
    init_stop();
    adpcm_stop();  // the voice the ROM started
    // State kept beside the port's registers was reached too.
    EXPECT_NE(g_adpcm.decoder.accumulator, 0) << "the WAV road's decoder";
    EXPECT_EQ(g_fmcard.chip.opl_key_slots[0], 15) << "the OPL road's key slots";
    // The ROM reached every device (the mouse and SRAM records have nothing
    // it can change, nor has the host drive without a unit, nor the MIDI
    // board while MIDI is off).
    for (const auto& [name, bytes] : fresh) {
        if (name == "mouse" || name == "SRAM" || name == "host drive" || name == "MIDI board") continue;
        EXPECT_NE(bytes, used.at(name)) << name << " was not changed";
    }

    ASSERT_EQ(init_start(), 0u);
    Snapshot again = device_snapshot();
    EXPECT_EQ(differences(fresh, again), "");
}

TEST_F(Devices, ListingTheIoPageChangesNothing) {
    ASSERT_EQ(init_start(), 0u);
    ASSERT_TRUE(run_to_power_off());
    Snapshot before = device_snapshot();
    std::vector<uint8_t> access_map(g_rom_access_map, g_rom_access_map + ROM_ACCESS_MAP_SIZE);
    auto iotrace = std::make_unique<IoTrace>(g_iotrace);
    uint32_t probe = g_mem_probe_mode, flags = run_flags();

    for (uint32_t a = IO_PAGE_BASE; a < IO_PAGE_BASE + IO_PAGE_SIZE; a += 2) {
        DisLine line;
        dis_line(a, line);
    }

    EXPECT_EQ(differences(before, device_snapshot()), "");
    EXPECT_EQ(std::memcmp(access_map.data(), g_rom_access_map, ROM_ACCESS_MAP_SIZE), 0);
    EXPECT_EQ(std::memcmp(iotrace.get(), &g_iotrace, sizeof g_iotrace), 0) << "the I/O log changed";
    EXPECT_EQ(g_mem_probe_mode, probe);
    EXPECT_EQ(run_flags(), flags);
}

// A peek gives what a read gives, where a read has no side effect, and
// nothing where nothing answers.
TEST_F(Devices, PeeksReadWhatTheBusHolds) {
    g_settings.midi = 0;
    ASSERT_EQ(init_start(), 0u);
    ASSERT_TRUE(run_to_power_off());
    struct Case {
        uint32_t addr, want;
        const char* what;
    };
    const Case cases[] = {
        {0xE8E001, 0x0B, "system port contrast"},
        {0xE88017, 0x40, "MFP VR"},
        {0xE88016, 0xFF, "MFP even address (a bus error)"},
        {0xE86001, 0xFF, "area set (write-only)"},
        {0xE9E001, 0xFF, "host drive port (absent)"},
        {0xE9A007, 0x92, "i8255 control"},
        {0xE84005, 0x55, "DMA controller"},
        {0xEAFA01, 0xFF, "MIDI board (absent)"},
        {0xFF0000, g_iplrom[0x10000], "IPL ROM"},
        {0x001004, 'D', "main RAM"},
    };
    for (const Case& c : cases) EXPECT_EQ(bus_peek_byte(c.addr), c.want) << c.what;
    EXPECT_EQ(bus_peek_long(0x001004), 0x444F4E45u);
}

}  // namespace
