#include "windrv_fixture.h"

#include <sys/stat.h>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>

#include "core/cpu_regs.h"
#include "machine/machine.h"
#include "storage/windrv.h"
#include "storage/windrv_scan.h"
#include "support/machine_map.h"

namespace fs = std::filesystem;

void HostDriveTest::SetUp() {
    PoweredOnMachine::SetUp();
    setenv("TZ", "UTC", 1);
    tzset();
    ASSERT_TRUE(machine_map_install(0x400000));
    std::string tmpl = (fs::temp_directory_path() / "zolm-host-drive-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    base_ = tmpl;
    root_ = base_ / "root";
    outside_ = base_ / "outside";
    fs::create_directory(root_);
    fs::create_directory(outside_);
    std::ofstream(outside_ / "secret.txt") << "secret";
    windrv_set_roots({root_.string()});
    windrv_scan_drives();
    windrv_power_on();
}

void HostDriveTest::TearDown() {
    windrv_set_roots({});
    windrv_scan_drives();
    windrv_power_on();
    std::error_code ec;
    fs::permissions(base_, fs::perms::owner_all, fs::perm_options::add, ec);
    if (!base_.empty()) fs::remove_all(base_, ec);
}

int32_t HostDriveTest::run(uint8_t command, const HostDriveRequest& r) {
    uint8_t* h = ram(REQUEST);
    std::memset(h, 0, 26);
    h[1] = r.unit;
    h[13] = r.byte13;
    set_be32(REQUEST + 14, r.arg1);
    set_be32(REQUEST + 18, r.arg2);
    set_be32(REQUEST + 22, r.arg3);
    cpu_d(0) = 0xFFFFFF00u | command;
    cpu_a(5) = REQUEST;
    WINDRV_IO_BUS.write_byte(WINDRV_PORT_BASE, 0);
    EXPECT_EQ(cpu_d(0), 0u);
    return int32_t(be32(REQUEST + 18));
}

void HostDriveTest::put_namests(uint32_t addr, std::string_view path, std::string_view name1, std::string_view ext,
                                std::string_view name2) {
    uint8_t* p = ram(addr);
    std::memset(p, 0, 88);
    p[2] = '\t';
    std::memset(p + 67, ' ', 11);
    path.copy(reinterpret_cast<char*>(p + 3), 64);
    name1.copy(reinterpret_cast<char*>(p + 67), 8);
    ext.copy(reinterpret_cast<char*>(p + 75), 3);
    name2.copy(reinterpret_cast<char*>(p + 78), 10);
}

void HostDriveTest::put_name(uint32_t addr, std::string_view path, std::string_view file) {
    size_t dot = file.rfind('.');
    std::string_view base = file.substr(0, dot), ext = dot == std::string_view::npos ? "" : file.substr(dot + 1);
    put_namests(addr, path, base.substr(0, 8), ext, base.size() > 8 ? base.substr(8) : std::string_view());
}

int32_t HostDriveTest::create(std::string_view path, std::string_view file, uint32_t mode, uint32_t fcb) {
    put_name(NAMESTS, path, file);
    std::memset(ram(fcb), 0, 80);
    return run(WINDRV_CMD_CREATE, {0x20, NAMESTS, mode, fcb});
}

int32_t HostDriveTest::open(std::string_view path, std::string_view file, uint8_t mode, uint32_t fcb) {
    put_name(NAMESTS, path, file);
    std::memset(ram(fcb), 0, 80);
    ram(fcb)[14] = mode;
    return run(WINDRV_CMD_OPEN, {0, NAMESTS, 0, fcb});
}

uint8_t* HostDriveTest::ram(uint32_t addr) { return g_machine.main_ram + addr; }
uint32_t HostDriveTest::be32(uint32_t addr) {
    const uint8_t* p = ram(addr);
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}
uint16_t HostDriveTest::be16(uint32_t addr) { return uint16_t(ram(addr)[0] << 8 | ram(addr)[1]); }
void HostDriveTest::set_be32(uint32_t addr, uint32_t v) {
    for (int i = 0; i < 4; i++) ram(addr)[i] = uint8_t(v >> (24 - 8 * i));
}
std::string HostDriveTest::bytes(uint32_t addr, size_t n) { return std::string(reinterpret_cast<char*>(ram(addr)), n); }

void HostDriveTest::host_file(const std::string& rel, std::string_view content) {
    std::ofstream out(root_ / rel, std::ios::binary);
    out.write(content.data(), std::streamsize(content.size()));
}

std::string HostDriveTest::host_read(const std::string& rel) {
    std::ifstream in(root_ / rel, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string HostDriveTest::tree_digest(const fs::path& dir) {
    std::ostringstream out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator(); ++it) {
        struct stat st;
        if (lstat(it->path().c_str(), &st) != 0) continue;
        out << it->path().lexically_relative(dir).string() << ' ' << std::oct << st.st_mode << std::dec << ' '
            << st.st_size << ' ' << st.st_mtim.tv_sec << '.' << st.st_mtim.tv_nsec;
        if (S_ISREG(st.st_mode)) {
            std::ifstream in(it->path(), std::ios::binary);
            out << ' ' << std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        out << '\n';
    }
    return out.str();
}
