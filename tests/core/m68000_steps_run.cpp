// Loading the vectors and running one through the real run loop.
#include "m68000_steps.h"

#include <zlib.h>
#include <nlohmann/json.hpp>

#include <cstring>

#include "core/bus.h"
#include "core/cpu_regs.h"
#include "machine/memory_map.h"
#include "support/flat_bus.h"

namespace steps {

const char* field_name(int f) {
    static const char* const names[F_COUNT] = {"D0", "D1", "D2", "D3", "D4", "D5",  "D6",  "D7", "A0", "A1",
                                               "A2", "A3", "A4", "A5", "A6", "USP", "SSP", "SR", "PC"};
    return names[f];
}

bool read_gzip(const std::string& path, std::string& out) {
    gzFile f = gzopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[1 << 16];
    int n;
    while ((n = gzread(f, buf, sizeof buf)) > 0) out.append(buf, size_t(n));
    bool ok = n == 0;
    gzclose(f);
    return ok;
}

CpuState parse_state(const nlohmann::json& j) {
    static const char* const keys[F_COUNT] = {"d0", "d1", "d2", "d3", "d4", "d5",  "d6",  "d7", "a0", "a1",
                                              "a2", "a3", "a4", "a5", "a6", "usp", "ssp", "sr", "pc"};
    CpuState s{};
    for (int f = 0; f < F_COUNT; ++f) s.reg[f] = j.at(keys[f]).get<uint32_t>();
    const auto& pf = j.at("prefetch");
    s.prefetch[0] = uint16_t(pf.at(0).get<uint32_t>());
    s.prefetch[1] = uint16_t(pf.at(1).get<uint32_t>());
    for (const auto& e : j.at("ram"))
        s.ram.emplace_back(e.at(0).get<uint32_t>() & 0xFFFFFF, uint8_t(e.at(1).get<uint32_t>()));
    return s;
}

// The bus transactions are not needed and are dropped while parsing.
nlohmann::json parse_without_transactions(const std::string& text) {
    auto drop_transactions = [](int, nlohmann::json::parse_event_t ev, nlohmann::json& parsed) {
        return !(ev == nlohmann::json::parse_event_t::key && parsed == "transactions");
    };
    return nlohmann::json::parse(text, drop_transactions, false);
}

Vector parse_vector(const nlohmann::json& j) {
    Vector v;
    v.name = j.at("name").get<std::string>();
    v.initial = parse_state(j.at("initial"));
    v.final = parse_state(j.at("final"));
    v.length = j.at("length").get<uint32_t>();
    return v;
}

bool load_group(const std::string& path, std::vector<Vector>& out, std::string& error) {
    std::string text;
    if (!read_gzip(path, text)) {
        error = "cannot read " + path;
        return false;
    }
    nlohmann::json doc = parse_without_transactions(text);
    if (doc.is_discarded() || !doc.is_array()) {
        error = "not a JSON array: " + path;
        return false;
    }
    try {
        for (const auto& j : doc) out.push_back(parse_vector(j));
    } catch (const nlohmann::json::exception& e) {
        error = path + ": " + e.what();
        return false;
    }
    return true;
}

bool load_vector_lines(const std::string& path, std::vector<Vector>& out, std::string& error) {
    std::string text;
    if (!read_gzip(path, text)) {
        error = "cannot read " + path;
        return false;
    }  // reads plain files too
    size_t line_number = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        ++line_number;
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        nlohmann::json j = parse_without_transactions(line);
        std::string where = path + " line " + std::to_string(line_number);
        if (j.is_discarded() || !j.is_object()) {
            error = where + ": not a JSON object";
            return false;
        }
        try {
            out.push_back(parse_vector(j));
        } catch (const nlohmann::json::exception& e) {
            error = where + ": " + e.what();
            return false;
        }
    }
    return true;
}

std::string group_of(const std::string& name) {
    size_t open = name.find('[');
    if (open == std::string::npos) return "";
    size_t end = name.find_first_of(" ]", open + 1);
    return name.substr(open + 1, end == std::string::npos ? std::string::npos : end - open - 1);
}

// ------------------------------------------------------- write tracking
// The page write handlers are wrapped so that every byte the instruction
// writes is known: RAM is cleaned after each vector by zeroing only those
// bytes and the ones the vector set, and a write outside the vector's listed
// bytes is reported.

BusWriteFn s_plain_write_byte[128], s_plain_write_word[128], s_plain_write_long[128];
constexpr size_t kWriteLogSize = 4096;
uint32_t s_write_log[kWriteLogSize];
size_t s_write_count;
bool s_write_overflow;

void log_write(uint32_t addr, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
        if (s_write_count == kWriteLogSize) {
            s_write_overflow = true;
            return;
        }
        s_write_log[s_write_count++] = (addr + i) & 0xFFFFFF;
    }
}
// clang-format off
void logged_write_byte(uint32_t a, uint32_t v) { log_write(a, 1); s_plain_write_byte[bus_page(a)](a, v); }
void logged_write_word(uint32_t a, uint32_t v) { log_write(a, 2); s_plain_write_word[bus_page(a)](a, v); }
void logged_write_long(uint32_t a, uint32_t v) { log_write(a, 4); s_plain_write_long[bus_page(a)](a, v); }
// clang-format on

void install_bus() {
    flat_bus_install();
    for (int p = 0; p < 128; ++p) {
        s_plain_write_byte[p] = g_bus_write_byte_table[p];
        s_plain_write_word[p] = g_bus_write_word_table[p];
        s_plain_write_long[p] = g_bus_write_long_table[p];
        g_bus_write_byte_table[p] = logged_write_byte;
        g_bus_write_word_table[p] = logged_write_word;
        g_bus_write_long_table[p] = logged_write_long;
    }
    mem_map_set_direct(0, 128, flat_bus_memory(), nullptr);  // writes through the log
}

// ------------------------------------------------------------- outcome


// The byte a RAM list holds at addr.
bool listed_byte(const std::vector<std::pair<uint32_t, uint8_t>>& ram, uint32_t addr, uint8_t& value) {
    for (const auto& [a, b] : ram)
        if (a == (addr & 0xFFFFFF)) {
            value = b;
            return true;
        }
    return false;
}

void put_byte(uint8_t* mem, uint32_t addr, uint8_t value) { mem[addr & 0xFFFFFF] = value; }

void run_vector(const Vector& v, Outcome& o) {
    uint8_t* mem = flat_bus_memory();
    const CpuState& in = v.initial;

    // Memory: the two prefetch words at pc and pc + 2, then the listed bytes.
    uint32_t pc = in.reg[F_PC];
    put_byte(mem, pc, uint8_t(in.prefetch[0] >> 8));
    put_byte(mem, pc + 1, uint8_t(in.prefetch[0]));
    put_byte(mem, pc + 2, uint8_t(in.prefetch[1] >> 8));
    put_byte(mem, pc + 3, uint8_t(in.prefetch[1]));
    for (const auto& [a, b] : in.ram) put_byte(mem, a, b);

    // Registers: A7 is the stack pointer of the mode in SR, the other one
    // waits in its save slot.
    cpu_test_reset(pc, in.reg[F_SSP], in.reg[F_SR]);
    for (int n = 0; n < 8; ++n) cpu_d(n) = in.reg[F_D0 + n];
    for (int n = 0; n < 7; ++n) cpu_a(n) = in.reg[F_A0 + n];
    g_cpu_regs.sr = in.reg[F_SR];
    if (g_cpu_regs.sr & SR_S) {
        cpu_sp() = in.reg[F_SSP];
        g_cpu_regs.usp_save = in.reg[F_USP];
    } else {
        cpu_sp() = in.reg[F_USP];
        g_cpu_regs.ssp_save = in.reg[F_SSP];
    }
    g_cpu_regs.trace_delay = 0;
    g_cpu_regs.exception_busy = 0x100;
    s_write_count = 0;
    s_write_overflow = false;

    o.cycles = cpu_test_step();
    // A jump, return or exception to an odd address faults at the next
    // fetch, before anything of the next instruction runs; the chip reports
    // it as part of this instruction, so let the loop make that fetch.
    if ((g_cpu_regs.pc & 1) && g_cpu_regs.refetch) cpu_test_step();

    for (int n = 0; n < 8; ++n) o.got[F_D0 + n] = cpu_d(n);
    for (int n = 0; n < 7; ++n) o.got[F_A0 + n] = cpu_a(n);
    bool super = (g_cpu_regs.sr & SR_S) != 0;
    o.got[F_USP] = super ? g_cpu_regs.usp_save : cpu_sp();
    o.got[F_SSP] = super ? cpu_sp() : g_cpu_regs.ssp_save;
    o.got[F_SR] = g_cpu_regs.sr;
    o.got[F_PC] = g_cpu_regs.pc;
    for (int f = 0; f < F_COUNT; ++f) {
        o.want[f] = v.final.reg[f];
        if (o.want[f] != o.got[f]) o.diff_fields |= bit(f);
    }
    for (uint32_t i = 0; i < sizeof o.core_stack; ++i) o.core_stack[i] = mem[(o.got[F_SSP] + i) & 0xFFFFFF];
    for (const auto& [a, b] : v.final.ram)
        if (mem[a] != b) o.ram.push_back({a, b, mem[a]});
    for (size_t i = 0; i < s_write_count; ++i) {
        uint32_t a = s_write_log[i];
        uint8_t b;
        if (listed_byte(o.written, a, b)) continue;
        o.written.emplace_back(a, mem[a]);
        if (!listed_byte(v.final.ram, a, b)) o.stray.push_back(a);
    }

    // Clean up: every byte this vector set or wrote goes back to 0.
    for (uint32_t i = 0; i < 4; ++i) put_byte(mem, pc + i, 0);
    for (const auto& [a, b] : in.ram) put_byte(mem, a, 0);
    for (size_t i = 0; i < s_write_count; ++i) mem[s_write_log[i]] = 0;
    if (s_write_overflow) std::memset(mem, 0, 0x1000000);
}


}  // namespace steps
