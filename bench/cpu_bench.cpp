// Processor-core benchmark: a compiled 68000 workload (loops over bytes,
// words and longs, branches, calls, 16-bit multiply and divide, 32-bit
// multiply and divide through its own runtime routines, TRAPs) runs on the
// flat bus through the real run driver, in slices that the vertical-display-
// end event ends, with the execution history and the opcode counters kept
// as always. The figure is million instructions per second; it counts only
// when the guest's checksum matches the same C code run on the host.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/cpu_loop.h"
#include "core/cpu_regs.h"
#include "core/trace.h"
#include "machine/machine.h"
#include "machine/scheduler.h"
#include "support/flat_bus.h"
#include "workload.h"

namespace {

constexpr uint32_t kSliceCycles = 10'000'000;
// Opcode counters are 32-bit: take them well before one could wrap.
constexpr uint32_t kHarvestSlices = 64;
constexpr uint32_t kSettleCycles = 10'000;
constexpr uint32_t kSettleSlices = 100'000;

std::vector<uint8_t> load_image() {
    std::vector<uint8_t> image;
    std::FILE* f = std::fopen(ZOLM_WORKLOAD_IMAGE, "rb");
    if (!f) return image;
    uint8_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) image.insert(image.end(), buf, buf + n);
    std::fclose(f);
    return image;
}

// Instructions run since the last call: the loop counts every opcode.
uint64_t take_opcode_counts() {
    uint64_t sum = 0;
    for (uint32_t& c : g_opcode_counts) {
        sum += c;
        c = 0;
    }
    return sum;
}

// One run slice: the event due at the budget is the end of the vertical
// display, whose request ends the slice.
void run_slice(uint32_t budget) {
    g_cpu_regs.cycles = 0;
    g_cpu_regs.cycle_deadline = budget;
    g_cpu_regs.event_kind = EV_VDISP_END;
    g_machine.requests.event_request = 0;
    g_run_flags = 0;
    g_cpu_regs.op_addr = g_cpu_regs.pc;
    cpu_run();
}

// Running checksum after the given number of rounds, from the host build.
uint32_t expected_checksum(uint32_t rounds) {
    static std::vector<uint32_t> after{0};  // after[n]: checksum of rounds 0..n-1
    while (after.size() <= rounds) {
        uint32_t n = uint32_t(after.size() - 1);
        after.push_back(wl_accumulate(after.back(), wl_round(n)));
    }
    return after[rounds];
}

struct Figure {
    bool valid = false;
    uint64_t instructions = 0;
    uint64_t cycles = 0;
    uint32_t rounds = 0;
    double seconds = 0;
};
Figure g_last;
// Every instruction run by every call, settling included: the divisor of an
// instruction-count profile (valgrind --tool=callgrind) of the whole program.
uint64_t g_all_instructions = 0;
bool g_failed = false;

void BM_CpuWorkload(benchmark::State& state) {
    static const std::vector<uint8_t> image = load_image();
    if (image.empty()) {
        g_failed = true;
        state.SkipWithError("cannot read " ZOLM_WORKLOAD_IMAGE);
        return;
    }
    flat_bus_install();
    std::memcpy(flat_bus_memory() + ZOLM_WORKLOAD_BASE, image.data(), image.size());
    cpu_test_reset(ZOLM_WORKLOAD_BASE, ZOLM_WORKLOAD_STACK, 0x2700);
    take_opcode_counts();

    uint64_t instructions = 0;
    uint64_t slices = 0;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        run_slice(kSliceCycles);
        if (++slices % kHarvestSlices == 0) instructions += take_opcode_counts();
    }
    auto stop = std::chrono::steady_clock::now();
    instructions += take_opcode_counts();

    // Let the round in progress finish, so that the published checksum and
    // round count belong together.
    uint32_t rounds = flat_read_long(ZOLM_WORKLOAD_RESULT);
    for (uint32_t i = 0; i < kSettleSlices && flat_read_long(ZOLM_WORKLOAD_RESULT) == rounds; i++)
        run_slice(kSettleCycles);
    g_all_instructions += instructions + take_opcode_counts();
    uint32_t done = flat_read_long(ZOLM_WORKLOAD_RESULT);
    uint32_t checksum = flat_read_long(ZOLM_WORKLOAD_RESULT + 4);
    uint32_t fault = flat_read_long(ZOLM_WORKLOAD_RESULT + 8);
    if (fault) {
        g_failed = true;
        state.SkipWithError("the workload took an unexpected exception");
        return;
    }
    if (done == rounds) {
        g_failed = true;
        state.SkipWithError("the workload finished no round");
        return;
    }
    uint32_t expected = expected_checksum(done);
    if (checksum != expected) {
        g_failed = true;
        char msg[128];
        std::snprintf(msg, sizeof msg, "checksum after %u rounds is %08X, not %08X", done, checksum, expected);
        state.SkipWithError(msg);
        return;
    }

    uint64_t cycles = slices * kSliceCycles;
    state.counters["Minsn"] = benchmark::Counter(double(instructions) * 1e-6, benchmark::Counter::kIsRate);
    state.counters["Mcycles"] = benchmark::Counter(double(cycles) * 1e-6, benchmark::Counter::kIsRate);
    state.counters["cyc/insn"] = double(cycles) / double(instructions ? instructions : 1);
    state.counters["rounds"] = done;
    g_last.valid = true;
    g_last.instructions = instructions;
    g_last.cycles = cycles;
    g_last.rounds = done;
    g_last.seconds = std::chrono::duration<double>(stop - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    // A few seconds by default for a stable figure; --benchmark_min_time overrides.
    static char default_min_time[] = "--benchmark_min_time=3";
    std::vector<char*> args(argv, argv + argc);
    bool has_min_time = false;
    for (char* a : args)
        if (std::string(a).rfind("--benchmark_min_time", 0) == 0) has_min_time = true;
    if (!has_min_time) args.insert(args.begin() + 1, default_min_time);
    int n = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&n, args.data());
    auto* bench = benchmark::RegisterBenchmark("BM_CpuWorkload", BM_CpuWorkload);
    bench->Unit(benchmark::kMillisecond)->UseRealTime();
    // ZOLM_BENCH_SLICES=N runs exactly N slices, so that an instruction-count
    // profile runs the same instructions however busy the host is.
    if (const char* slices = std::getenv("ZOLM_BENCH_SLICES")) bench->Iterations(std::atoi(slices));
    if (benchmark::ReportUnrecognizedArguments(n, args.data())) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_last.valid && g_last.seconds > 0) {
        std::printf(
            "cpu workload: %.1f M instructions/s (%llu instructions, %.1f emulated MHz, "
            "%.2f cycles per instruction, %u rounds, checksum good)\n",
            double(g_last.instructions) / g_last.seconds * 1e-6, static_cast<unsigned long long>(g_last.instructions),
            double(g_last.cycles) / g_last.seconds * 1e-6,
            double(g_last.cycles) / double(g_last.instructions ? g_last.instructions : 1), g_last.rounds);
        std::printf("instructions run in all: %llu\n", static_cast<unsigned long long>(g_all_instructions));
    }
    return g_failed ? 1 : 0;
}
