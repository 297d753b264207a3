// The handlers chosen per addressing mode against their family's handler,
// which reaches the operand through the record's routines: the same
// registers, CCR, memory, cycles, next PC and history entry, for every mode
// of every size, with an even and with an odd address register (the odd one
// takes the address error inside the instruction).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/cpu_regs.h"
#include "core/decode.h"
#include "core/ops_arith.h"
#include "core/ops_logic.h"
#include "core/ops_move.h"
#include "core/ops_system.h"
#include "core/trace.h"
#include "support/flat_bus.h"

namespace {

constexpr uint32_t kPc = 0x1000, kSsp = 0x1F000, kHandler = 0x4000;
constexpr uint32_t kWindow = 0x80000;  // every address the cases can reach
constexpr uint32_t kVecAddressError = 0x0C;

struct Family {
    const char* name;
    uint16_t base[3];  // opcode of .B, .W, .L with register and mode fields 0; 0 = no such size
    bool has_q;        // bits 9-11 hold a register or quick value
    OpHandler by_record[3];
    uint16_t other_modes = 0;  // modes (bit n: mode index n, #imm is 11) that encode another instruction
};

const Family kFamilies[] = {
    {"ADD <ea>,Dn", {0xD000, 0xD040, 0xD080}, true, {cpu_op_add_ea_dn_b, cpu_op_add_ea_dn_w, cpu_op_add_ea_dn_l}},
    {"ADD Dn,<ea>", {0xD100, 0xD140, 0xD180}, true, {cpu_op_add_dn_ea_b, cpu_op_add_dn_ea_w, cpu_op_add_dn_ea_l}, 0x03},
    {"SUB <ea>,Dn", {0x9000, 0x9040, 0x9080}, true, {cpu_op_sub_ea_dn_b, cpu_op_sub_ea_dn_w, cpu_op_sub_ea_dn_l}},
    {"SUB Dn,<ea>", {0x9100, 0x9140, 0x9180}, true, {cpu_op_sub_dn_ea_b, cpu_op_sub_dn_ea_w, cpu_op_sub_dn_ea_l}, 0x03},
    {"CMP", {0xB000, 0xB040, 0xB080}, true, {cpu_op_cmp_b, cpu_op_cmp_w, cpu_op_cmp_l}},
    {"EOR", {0xB100, 0xB140, 0xB180}, true, {cpu_op_eor_b, cpu_op_eor_w, cpu_op_eor_l}, 0x02},
    {"AND <ea>,Dn", {0xC000, 0xC040, 0xC080}, true, {cpu_op_and_ea_dn_b, cpu_op_and_ea_dn_w, cpu_op_and_ea_dn_l}},
    {"AND Dn,<ea>", {0xC100, 0xC140, 0xC180}, true, {cpu_op_and_dn_ea_b, cpu_op_and_dn_ea_w, cpu_op_and_dn_ea_l}, 0x03},
    {"OR <ea>,Dn", {0x8000, 0x8040, 0x8080}, true, {cpu_op_or_ea_dn_b, cpu_op_or_ea_dn_w, cpu_op_or_ea_dn_l}},
    {"OR Dn,<ea>", {0x8100, 0x8140, 0x8180}, true, {cpu_op_or_dn_ea_b, cpu_op_or_dn_ea_w, cpu_op_or_dn_ea_l}, 0x03},
    {"ADDA", {0, 0xD0C0, 0xD1C0}, true, {nullptr, cpu_op_adda_w, cpu_op_adda_l}},
    {"SUBA", {0, 0x90C0, 0x91C0}, true, {nullptr, cpu_op_suba_w, cpu_op_suba_l}},
    {"CMPA", {0, 0xB0C0, 0xB1C0}, true, {nullptr, cpu_op_cmpa_w, cpu_op_cmpa_l}},
    {"ADDI", {0x0600, 0x0640, 0x0680}, false, {cpu_op_addi_b, cpu_op_addi_w, cpu_op_addi_l}},
    {"SUBI", {0x0400, 0x0440, 0x0480}, false, {cpu_op_subi_b, cpu_op_subi_w, cpu_op_subi_l}},
    {"CMPI", {0x0C00, 0x0C40, 0x0C80}, false, {cpu_op_cmpi_b, cpu_op_cmpi_w, cpu_op_cmpi_l}},
    {"ANDI", {0x0200, 0x0240, 0x0280}, false, {cpu_op_andi_b, cpu_op_andi_w, cpu_op_andi_l}, 0x800},
    {"ORI", {0x0000, 0x0040, 0x0080}, false, {cpu_op_ori_b, cpu_op_ori_w, cpu_op_ori_l}, 0x800},
    {"EORI", {0x0A00, 0x0A40, 0x0A80}, false, {cpu_op_eori_b, cpu_op_eori_w, cpu_op_eori_l}, 0x800},
    {"ADDQ", {0x5000, 0x5040, 0x5080}, true, {cpu_op_addq_b, cpu_op_addq_w, cpu_op_addq_l}, 0x02},
    {"SUBQ", {0x5100, 0x5140, 0x5180}, true, {cpu_op_subq_b, cpu_op_subq_w, cpu_op_subq_l}, 0x02},
    {"TST", {0x4A00, 0x4A40, 0x4A80}, false, {cpu_op_tst_b, cpu_op_tst_w, cpu_op_tst_l}},
    {"CLR", {0x4200, 0x4240, 0x4280}, false, {cpu_op_clr, cpu_op_clr, cpu_op_clr}},
    {"MOVEA", {0, 0x3040, 0x2040}, true, {nullptr, cpu_op_movea_w, cpu_op_movea_l}},
    {"LEA", {0, 0, 0x41C0}, true, {nullptr, nullptr, cpu_op_lea}},
    {"MOVE <ea>,Dn", {0x1000, 0x3000, 0x2000}, true, {cpu_op_move_b, cpu_op_move_w, cpu_op_move_l}},
};

// Extension words after the opcode: displacements, index words (D0.L + d8),
// short and long addresses and immediates that all stay in the window.
constexpr uint16_t kExtension[] = {0x0002, 0x0A06, 0x0002, 0x0A06, 0x0002, 0x0A06};

struct Outcome {
    uint32_t regs[16];
    uint32_t sr, pc, cycles;
    uint8_t kind;
    uint32_t value, addr;
    std::vector<uint8_t> memory;
};

class ModeHandlers : public ::testing::Test {
protected:
    void SetUp() override {
        flat_bus_install();
        pristine_.resize(kWindow);
        for (uint32_t a = 0; a < kWindow; a++) pristine_[a] = uint8_t(a * 37u + (a >> 8) * 11u + 5u);
    }

    // Runs opcode once from the same start, with the given handler in its record.
    Outcome run(uint16_t opcode, OpHandler exec, bool odd) {
        std::memcpy(flat_bus_memory(), pristine_.data(), kWindow);
        flat_write_long(kVecAddressError, kHandler);
        flat_write_words(kPc, {opcode});
        for (uint32_t i = 0; i < std::size(kExtension); i++) flat_write_word(kPc + 2 + 2 * i, kExtension[i]);
        cpu_test_reset(kPc, kSsp, 0x2700 | 0x15);
        const uint32_t d[8] = {4, 0x80000001, 0x0000FFFE, 0x7FFFFFFF, 0x12345678, 0xFFFFFF80, 0x00010000, 0};
        for (uint32_t n = 0; n < 8; n++) cpu_d(n) = d[n];
        for (uint32_t n = 0; n < 7; n++) cpu_a(n) = 0x11000 + n * 0x1000 + (odd ? 1 : 0);
        init_clear_trace_buffers();

        const DecodeRecord* saved = g_opcode_table[opcode];
        DecodeRecord copy = *saved;
        copy.exec = exec;
        g_opcode_table[opcode] = &copy;
        Outcome o;
        o.cycles = cpu_test_step();
        g_opcode_table[opcode] = saved;

        std::memcpy(o.regs, g_cpu_regs.r, sizeof o.regs);
        o.sr = g_cpu_regs.sr;
        o.pc = g_cpu_regs.pc;
        // The entry of the instruction: the exception entry comes after it.
        uint32_t e = 0;
        while (e < TRACE_SIZE && g_trace_pc[e] != kPc) e++;
        o.kind = e < TRACE_SIZE ? g_trace_kind[e] : 0;
        o.value = e < TRACE_SIZE ? g_trace_value[e] : 0;
        o.addr = e < TRACE_SIZE ? g_trace_addr[e] : 0;
        o.memory.assign(flat_bus_memory(), flat_bus_memory() + kWindow);
        return o;
    }

    std::vector<uint8_t> pristine_;
};

TEST_F(ModeHandlers, AgreeWithTheFamilyHandlers) {
    uint32_t compared = 0;
    for (const Family& f : kFamilies)
        for (uint32_t s = 0; s < 3; s++) {
            if (!f.by_record[s]) continue;
            for (uint32_t mode = 0; mode < 8; mode++) {
                for (uint32_t reg = 0; reg < (mode == 7 ? 5u : 1u); reg++) {
                    if (f.other_modes >> (mode < 7 ? mode : 7 + reg) & 1) continue;
                    const uint16_t opcode =
                        uint16_t(f.base[s] | (f.has_q ? 1u << 9 : 0) | mode << 3 | (mode == 7 ? reg : 2));
                    const DecodeRecord* rec = g_opcode_table[opcode];
                    if (rec == cpu_illegal_record() || rec->exec == f.by_record[s]) continue;
                    for (bool odd : {false, true}) {
                        SCOPED_TRACE(testing::Message() << f.name << " size " << s << " opcode $" << std::hex << opcode
                                                        << (odd ? " odd An" : ""));
                        const Outcome a = run(opcode, rec->exec, odd);
                        const Outcome b = run(opcode, f.by_record[s], odd);
                        for (uint32_t n = 0; n < 16; n++) EXPECT_EQ(a.regs[n], b.regs[n]) << "register " << n;
                        EXPECT_EQ(a.sr, b.sr);
                        EXPECT_EQ(a.pc, b.pc);
                        EXPECT_EQ(a.cycles, b.cycles);
                        EXPECT_EQ(a.kind, b.kind);
                        EXPECT_EQ(a.value, b.value);
                        EXPECT_EQ(a.addr, b.addr);
                        EXPECT_TRUE(a.memory == b.memory);
                        compared++;
                    }
                }
            }
        }
    // Every family has per-mode handlers to compare.
    EXPECT_GT(compared, 400u);
}

}  // namespace
