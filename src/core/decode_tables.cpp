// Opcode table, record pool and the order in which the families are built.
#include "core/decode.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/boundary.h"
#include "core/cpu_regs.h"
#include "core/exceptions.h"
#include "core/trace.h"

OpcodeIndexed<const DecodeRecord*> g_opcode_table;
DecodeRecord g_decode_pool[DECODE_POOL_SIZE];
uint32_t g_decode_pool_next;

const uint8_t g_ea_time_bw[12] = {0, 0, 4, 4, 6, 8, 10, 8, 12, 8, 10, 4};
const uint8_t g_ea_time_l[12] = {0, 0, 8, 8, 10, 12, 14, 12, 16, 12, 14, 8};

//                                    Dn An () ()+ -() d16 d8 .W .L PC PCX #
const uint8_t g_ea_valid_data[16] = {1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
const uint8_t g_ea_valid_all[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
const uint8_t g_ea_valid_alterable[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0};
const uint8_t g_ea_valid_control[16] = {0, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1, 0};
const uint8_t g_ea_valid_mem_alterable[16] = {0, 0, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0};
const uint8_t g_ea_valid_data_alterable[16] = {1, 0, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0};

void cpu_reset_tables() {
    std::memset(g_decode_pool, 0, sizeof g_decode_pool);
    for (DecodeRecord& rec : g_decode_pool) rec.cycles = 0;
    for (uint32_t& c : g_opcode_counts) c = 0;
    g_decode_pool[0].exec = cpu_op_illegal;
    g_decode_pool[0].dis = dis_illegal;
    for (auto& entry : g_opcode_table) entry = &g_decode_pool[0];
    g_decode_pool_next = 1;
}

DecodeRecord* cpu_new_ind(uint32_t opcode) {
    opcode &= 0xFFFF;
    if (g_opcode_table[opcode] != &g_decode_pool[0]) dbg_write("new_ind overlap _tta[%X]!\n", opcode);
    if (g_decode_pool_next >= DECODE_POOL_SIZE) {
        // The pool is sized for the whole build; running out is a build fault.
        std::fprintf(stderr, "over new_ind tbl\n");
        std::abort();
    }
    DecodeRecord* rec = &g_decode_pool[g_decode_pool_next++];
    if (rec->exec) dbg_write("new_ind overlap _t[%X]!\n", opcode);
    g_opcode_table[opcode] = rec;
    return rec;
}

uint32_t* cpu_reg_slot(uint32_t is_address, uint32_t n) { return &g_cpu_regs.r[(is_address ? 8 : 0) + (n & 7)]; }

uint32_t cpu_ea_mode_index(uint32_t mode, uint32_t reg) { return mode < 7 ? mode : 7 + reg; }

void cpu_build_tables() {
    g_decode_pool_next = 0;
    cpu_reset_tables();
    cpu_build_abcd_sbcd();
    cpu_build_add_sub_cmp();
    cpu_build_adda_suba_cmpa();
    cpu_build_addx_subx();
    cpu_build_addi_subi_cmpi();
    cpu_build_addq_subq();
    cpu_build_and_or();
    cpu_build_andi_ori();
    cpu_build_shifts();
    cpu_build_branches();
    cpu_build_bchg_bclr_bset();
    cpu_build_btst();
    cpu_build_chk();
    cpu_build_cmpm();
    cpu_build_dbcc();
    cpu_build_div();
    cpu_build_eor();
    cpu_build_eori();
    cpu_build_exg();
    cpu_build_ext();
    cpu_build_jmp_jsr();
    cpu_build_lea();
    cpu_build_link();
    cpu_build_move();
    cpu_build_move_to_ccr_sr();
    cpu_build_move_from_sr();
    cpu_build_move_usp();
    cpu_build_movea();
    cpu_build_movem();
    cpu_build_movep();
    cpu_build_moveq();
    cpu_build_mul();
    cpu_build_nbcd();
    cpu_build_neg_negx();
    cpu_build_clr_not_tst();
    cpu_build_pea();
    cpu_build_reset_nop_stop();
    cpu_build_returns();
    cpu_build_scc();
    cpu_build_swap();
    cpu_build_tas();
    cpu_build_trap();
    cpu_build_trapv();
    cpu_build_unlk();
    cpu_build_dos_calls();
    cpu_build_fe_calls();
}

void init_build_cpu_tables() { cpu_build_tables(); }
