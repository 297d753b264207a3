// Per-opcode decode records, the opcode table and the record pool.
#pragma once

#include <cstdint>

#include "core/inline.h"
#include "core/opcode_indexed.h"

struct DecodeRecord;
struct DisLine;

// Cycles as the run loop counts them: below 4 or from 160 on, 256.
constexpr uint32_t cpu_counted_cycles(uint32_t c) { return (c < 4 || c >= 160) ? 256 : c; }

// A record's cycle count, stored as counted (a record that never gets one
// counts 256, as 0 would).
class RecordCycles {
public:
    RecordCycles& operator=(uint32_t c) {
        counted_ = cpu_counted_cycles(c);
        return *this;
    }
    operator uint32_t() const { return counted_; }
private:
    uint32_t counted_;
};

// An instruction handler takes its record and the PC of the word after the
// opcode; it gives back the cycles, as counted, and the PC of the next
// instruction. A count the handler computes is turned into a counted one
// here, where a constant folds; a record's count already is one.
// The PC sits in its own eightbyte, so that it comes back in a register of
// its own: the next opcode fetch then does not wait for the cycle count.
struct OpResult {
    ZOLM_ALWAYS_INLINE constexpr OpResult(uint32_t c, uint32_t next_pc) : cycles(cpu_counted_cycles(c)), pc(next_pc) {}
    ZOLM_ALWAYS_INLINE OpResult(RecordCycles c, uint32_t next_pc) : cycles(c), pc(next_pc) {}
    uint32_t cycles;
    alignas(8) uint32_t pc;
};
using OpHandler = OpResult (*)(const DecodeRecord* rec, uint32_t pc);

// Operand routines. Read, peek and address routines share one shape: they
// take the register slot and the PC of the next extension word and give a
// value (or an address) and the PC past what they consumed (a peek gives
// the PC back unchanged).
// As OpResult: the PC does not wait for the value (a bus read).
struct EaResult {
    uint32_t value;
    alignas(8) uint32_t pc;
};
using EaRead = EaResult (*)(uint32_t* slot, uint32_t pc);
using EaWrite = uint32_t (*)(uint32_t* slot, uint32_t value, uint32_t pc);

using CondRoutine = uint32_t (*)();

// Disassembles the instruction at pc (its opcode word) into out; returns
// the address after the instruction.
using DisRoutine = uint32_t (*)(const DecodeRecord* rec, uint32_t pc, uint32_t opcode, DisLine& out);

// One record per opcode. Each family uses the fields it needs:
//  ea     the EA register slot (MOVE: the source's)
//  reg    the second register: Dq, Aq, Dc, Dr; MOVE: the destination's EA slot
//  src    read, peek or address routine
//  dst    write routine
//  cond   condition routine (Bcc word form, DBcc, Scc)
//  cycles the cycle count the handler returns
//  value  quick value, shift count, displacement, vector offset, MOVEQ value
//  aux    MOVEQ CCR bits
struct DecodeRecord {
    OpHandler exec;
    DisRoutine dis;
    uint32_t* ea;
    uint32_t* reg;
    EaRead src;
    EaWrite dst;
    CondRoutine cond;
    RecordCycles cycles;
    int32_t value;
    uint32_t aux;
};

inline constexpr uint32_t DECODE_POOL_SIZE = 49152;  // records; a full build uses 46,331

extern OpcodeIndexed<const DecodeRecord*> g_opcode_table;
extern DecodeRecord g_decode_pool[DECODE_POOL_SIZE];
extern uint32_t g_decode_pool_next;

// Record 0 is the illegal-instruction record.
inline const DecodeRecord* cpu_illegal_record() { return &g_decode_pool[0]; }

void init_build_cpu_tables();
void cpu_build_tables();
void cpu_reset_tables();
// Allocates the record of an opcode and points the opcode table at it.
DecodeRecord* cpu_new_ind(uint32_t opcode);
uint32_t* cpu_reg_slot(uint32_t is_address, uint32_t n);
uint32_t cpu_ea_mode_index(uint32_t mode, uint32_t reg);

// Calls fn(mode, reg, mode index) for every mode and register field of
// opcode bits 5-0 that the validity row admits, in opcode order.
template <typename Fn> inline void cpu_for_each_ea(const uint8_t* valid, Fn fn) {
    for (uint32_t mode = 0; mode < 8; mode++)
        for (uint32_t reg = 0; reg < 8; reg++) {
            uint32_t m = cpu_ea_mode_index(mode, reg);
            if (valid[m]) fn(mode, reg, m);
        }
}

// Mode indexes.
enum EaMode : uint32_t {
    EA_DN,
    EA_AN,
    EA_IND,
    EA_POSTINC,
    EA_PREDEC,
    EA_DISP,
    EA_INDEX,
    EA_ABSW,
    EA_ABSL,
    EA_PCDISP,
    EA_PCINDEX,
    EA_IMM,
};

// Effective-address calculation times by mode index.
extern const uint8_t g_ea_time_bw[12];
extern const uint8_t g_ea_time_l[12];
inline uint32_t cpu_ea_time(uint32_t size, uint32_t m) { return size == 2 ? g_ea_time_l[m] : g_ea_time_bw[m]; }

// Validity rows by mode index (16 entries; 12-15 are 0).
extern const uint8_t g_ea_valid_data[16];
extern const uint8_t g_ea_valid_all[16];
extern const uint8_t g_ea_valid_alterable[16];
extern const uint8_t g_ea_valid_control[16];
extern const uint8_t g_ea_valid_mem_alterable[16];
extern const uint8_t g_ea_valid_data_alterable[16];

// Records of a byte read-modify-write on every data-alterable mode (NBCD,
// TAS): the operand peeked and written back by the mode's routines; cycles
// reg_cycles on Dn, else the mode's time plus mem_extra.
void cpu_build_byte_rmw(uint32_t base, OpHandler exec, DisRoutine dis, uint32_t reg_cycles, uint32_t mem_extra);

// Family builders, called by cpu_build_tables in this order.
// ops_arith.cpp
void cpu_build_abcd_sbcd();       // 1
void cpu_build_add_sub_cmp();     // 2
void cpu_build_adda_suba_cmpa();  // 3
void cpu_build_addx_subx();       // 4
void cpu_build_addi_subi_cmpi();  // 5
void cpu_build_addq_subq();       // 6
void cpu_build_cmpm();            // 14
void cpu_build_nbcd();            // 33
void cpu_build_neg_negx();        // 34
// ops_logic.cpp
void cpu_build_and_or();    // 7
void cpu_build_andi_ori();  // 8
void cpu_build_eor();       // 17
void cpu_build_eori();      // 18
// ops_shift.cpp
void cpu_build_shifts();  // 9
// ops_flow.cpp
void cpu_build_branches();  // 10
void cpu_build_dbcc();      // 15
void cpu_build_jmp_jsr();   // 21
void cpu_build_returns();   // 38
// ops_bit.cpp
void cpu_build_bchg_bclr_bset();  // 11
void cpu_build_btst();            // 12
// ops_system.cpp
void cpu_build_chk();             // 13
void cpu_build_exg();             // 19
void cpu_build_ext();             // 20
void cpu_build_lea();             // 22
void cpu_build_link();            // 23
void cpu_build_clr_not_tst();     // 35
void cpu_build_pea();             // 36
void cpu_build_reset_nop_stop();  // 37
void cpu_build_scc();             // 39
void cpu_build_swap();            // 40
void cpu_build_tas();             // 41
void cpu_build_trap();            // 42
void cpu_build_trapv();           // 43
void cpu_build_unlk();            // 44
// ops_muldiv.cpp
void cpu_build_div();  // 16
void cpu_build_mul();  // 32
// ops_move.cpp
void cpu_build_move();            // 24
void cpu_build_move_to_ccr_sr();  // 25
void cpu_build_move_from_sr();    // 26
void cpu_build_move_usp();        // 27
void cpu_build_movea();           // 28
void cpu_build_movem();           // 29
void cpu_build_movep();           // 30
void cpu_build_moveq();           // 31
// exceptions.cpp
void cpu_build_dos_calls();  // 45
void cpu_build_fe_calls();   // 46
