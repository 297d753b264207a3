// Disassembler routines stored in the decode records.
#pragma once

#include <cstdint>

#include "core/decode.h"

// One listing line's instruction text.
struct DisLine {
    char text[128];
};

#define ZOLM_DIS_ROUTINES(X) \
    X(illegal) X(abcd) X(sbcd) X(add) X(sub) X(cmp) X(adda) X(suba) X(cmpa) X(addx) X(subx) \
    X(addi) X(subi) X(cmpi) X(addq) X(subq) X(and) X(or) X(eor) X(andi) X(ori) X(eori) \
    X(as) X(ls) X(rox) X(ro) X(bcc) X(bchg) X(bclr) X(bset) X(btst) X(chk) X(cmpm) X(dbcc) \
    X(divu) X(divs) X(exg) X(ext) X(jsr) X(jmp) X(lea) X(link) X(move) X(move_to_ccr) \
    X(move_to_sr) X(move_from_sr) X(move_usp) X(movea) X(movem) X(movep) X(moveq) X(mulu) \
    X(muls) X(nbcd) X(neg) X(negx) X(not) X(clr) X(tst) X(pea) X(reset) X(nop) X(stop) \
    X(rte) X(rts) X(rtr) X(scc) X(swap) X(tas) X(trap) X(trapv) X(unlk) X(dosfunc) X(fefunc)

#define ZOLM_DECLARE_DIS(name) uint32_t dis_##name(const DecodeRecord* rec, uint32_t pc, DisLine& out);
ZOLM_DIS_ROUTINES(ZOLM_DECLARE_DIS)
#undef ZOLM_DECLARE_DIS
