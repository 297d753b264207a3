// Whole-machine benchmark: the compute-bound test ROM "compute" runs headless
// with FRAME on and the host timer thread pacing the frames, so the frame
// budget grows to what the host can run. The figure is the emulated MHz of
// the statistics line; a real X68000 runs at 10 MHz, and the aim is 2,500
// MHz on one core.
//
// A second figure: the test ROM "odd_vectors" does nothing but halt on a
// double fault and reset, some thousand times a frame; on the virtual clock
// its frames a second show that a halt and reset cost the host no more
// than the emulated time they take (the aim: far above the 55 a second of
// the machine itself).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/headless.h"
#include "core/decode.h"
#include "host/paths.h"
#include "machine/settings.h"

namespace fs = std::filesystem;

namespace {

// Enough frames for the budget to settle (the ring spans 32 ticks, some
// 640 ms) and then a few seconds at the settled budget.
constexpr uint32_t kFrames = 400;
constexpr double kTargetMhz = 2500.0;

HeadlessResult g_last;
bool g_valid = false;

std::vector<uint8_t> file_bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    if (at + 4 > b.size()) return 0;
    return uint32_t(b[at]) << 24 | uint32_t(b[at + 1]) << 16 | uint32_t(b[at + 2]) << 8 | b[at + 3];
}

// A start folder of its own holding the ROM; empty when it cannot be made.
fs::path start_folder(const char* rom, benchmark::State& state) {
    std::string tmpl = (fs::temp_directory_path() / "zolm-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) {
        state.SkipWithError("no temporary folder");
        return {};
    }
    fs::path root = tmpl;
    std::error_code ec;
    fs::copy_file(rom, root / "iplrom.dat", ec);
    if (ec) {
        state.SkipWithError((std::string("cannot read ") + rom).c_str());
        fs::remove_all(root, ec);
        return {};
    }
    std::ofstream(root / "cgrom.dat", std::ios::binary) << std::string(0xC0000, '\0');
    fs::create_directory(root / "exe");
    fs::current_path(root);
    g_start_dir = root.string();
    g_exe_dir = (root / "exe").string();
    return root;
}

void BM_MachineCompute(benchmark::State& state) {
    fs::path old_cwd = fs::current_path();
    fs::path root = start_folder(ZOLM_COMPUTE_ROM, state);
    if (root.empty()) return;
    std::error_code ec;
    g_settings.frame = 1;

    HeadlessOptions options;
    options.headless = true;
    options.frames = kFrames;
    options.dump_ram = (root / "ram.bin").string();
    HeadlessResult result{};
    for (auto _ : state) result = headless_run(options);

    std::vector<uint8_t> ram = file_bytes(root / "ram.bin");
    fs::current_path(old_cwd);
    fs::remove_all(root, ec);

    double mhz = 0;
    if (result.exit_status != 0 || result.powered_off || result.frames != kFrames ||
        std::sscanf(result.statistics.c_str(), "X68000 %lfMHz", &mhz) != 1) {
        state.SkipWithError(("the run did not go as planned: " + result.statistics).c_str());
        return;
    }
    if (be32(ram, 0x1100) == 0) {
        state.SkipWithError("the compute ROM finished no pass");
        return;
    }
    state.counters["MHz"] = mhz;
    state.counters["frames"] = result.frames;
    state.counters["passes"] = be32(ram, 0x1100);
    g_last = result;
    g_valid = true;
}

BENCHMARK(BM_MachineCompute)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MachineHaltStorm(benchmark::State& state) {
    // Fewer frames than the 60 after which a machine that only halts is stopped.
    constexpr uint32_t kStormFrames = 50;
    fs::path old_cwd = fs::current_path();
    fs::path root = start_folder(ZOLM_ODD_VECTORS_ROM, state);
    if (root.empty()) return;
    HeadlessOptions options;
    options.headless = true;
    options.virtual_clock = true;
    options.frames = kStormFrames;
    HeadlessResult result{};
    double seconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        result = headless_run(options);
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    fs::current_path(old_cwd);
    std::error_code ec;
    fs::remove_all(root, ec);
    if (result.exit_status != 0 || result.frames != kStormFrames) {
        state.SkipWithError(("the run did not go as planned: " + result.statistics).c_str());
        return;
    }
    state.counters["frames/s"] = seconds > 0 ? kStormFrames / seconds : 0;
}

BENCHMARK(BM_MachineHaltStorm)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    init_build_cpu_tables();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!g_valid) return 1;
    std::printf("%s (target %.0f MHz)\n", g_last.statistics.c_str(), kTargetMhz);
    return 0;
}
