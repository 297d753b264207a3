// FLOAT2.X FE-calls ($FE00-$FEFF) served on the host while FPU is on: the
// low byte of the opcode selects the routine. Operands and results lie in
// D0-D3 (a double as high long, low long) or on the stack at A7, which the
// call does not move; the result takes the first operand's place.
#pragma once

#include <array>

#include "core/boundary.h"  // FirmwareRoutine, fe_call_routine

// Where a routine's operands lie.
enum FeForm : uint8_t {
    FE_REG,    // a in D0 (D0:D1), b in D1 (D2:D3)
    FE_STACK,  // a at (A7), b at (A7+4) (a double's at (A7+8))
};
// The first operand's format.
enum FeType : uint8_t { FE_LONG, FE_FLOAT, FE_DOUBLE };
// The operations.
enum FeKind : uint8_t {
    // clang-format off
    FE_LMUL, FE_LDIV, FE_LMOD, FE_UMUL, FE_UDIV, FE_UMOD, FE_IMUL64, FE_IDIVMOD,
    FE_TO_DOUBLE, FE_TO_LONG, FE_TO_FLOAT, FE_LTOF,
    FE_TST, FE_CMP, FE_NEG, FE_ADD, FE_SUB, FE_MUL, FE_DIV, FE_MOD, FE_ABS, FE_CEIL, FE_SGN,
    FE_SIN, FE_COS, FE_TAN, FE_ATAN, FE_LOG, FE_EXP, FE_SQR, FE_POW, FE_ADDONE, FE_SUBONE, FE_DIVTWO,
    // clang-format on
};

// Low byte, routine, form, operation, first operand's format.
// clang-format off
#define ZOLM_FE_CALLS(X) \
    X(0x00, fpu_lmul, FE_REG, FE_LMUL, FE_LONG)          X(0x01, fpu_ldiv, FE_REG, FE_LDIV, FE_LONG) \
    X(0x02, fpu_lmod, FE_REG, FE_LMOD, FE_LONG)          X(0x03, fpu_umul, FE_REG, FE_UMUL, FE_LONG) \
    X(0x06, fpu_umod, FE_REG, FE_UMOD, FE_LONG)          X(0x08, fpu_imul, FE_REG, FE_IMUL64, FE_LONG) \
    X(0x09, fpu_idiv, FE_REG, FE_IDIVMOD, FE_LONG)       X(0x1A, fpu_ltod, FE_REG, FE_TO_DOUBLE, FE_LONG) \
    X(0x1B, fpu_dtol, FE_REG, FE_TO_LONG, FE_DOUBLE)     X(0x1C, fpu_ltof, FE_REG, FE_LTOF, FE_LONG)     \
    X(0x1D, fpu_ftol, FE_REG, FE_TO_LONG, FE_FLOAT)      X(0x1E, fpu_ftod, FE_REG, FE_TO_DOUBLE, FE_FLOAT) \
    X(0x1F, fpu_dtof, FE_REG, FE_TO_FLOAT, FE_DOUBLE) \
    X(0x28, fpu_dtst, FE_REG, FE_TST, FE_DOUBLE)         X(0x58, fpu_ftst, FE_REG, FE_TST, FE_FLOAT) \
    X(0x29, fpu_dcmp, FE_REG, FE_CMP, FE_DOUBLE)         X(0x59, fpu_fcmp, FE_REG, FE_CMP, FE_FLOAT) \
    X(0x2A, fpu_dneg, FE_REG, FE_NEG, FE_DOUBLE)         X(0x5A, fpu_fneg, FE_REG, FE_NEG, FE_FLOAT) \
    X(0x2B, fpu_dadd, FE_REG, FE_ADD, FE_DOUBLE)         X(0x5B, fpu_fadd, FE_REG, FE_ADD, FE_FLOAT) \
    X(0x2C, fpu_dsub, FE_REG, FE_SUB, FE_DOUBLE)         X(0x5C, fpu_fsub, FE_REG, FE_SUB, FE_FLOAT) \
    X(0x2D, fpu_dmul, FE_REG, FE_MUL, FE_DOUBLE)         X(0x5D, fpu_fmul, FE_REG, FE_MUL, FE_FLOAT) \
    X(0x2E, fpu_ddiv, FE_REG, FE_DIV, FE_DOUBLE)         X(0x5E, fpu_fdiv, FE_REG, FE_DIV, FE_FLOAT) \
    X(0x2F, fpu_dmod, FE_REG, FE_MOD, FE_DOUBLE)         X(0x5F, fpu_fmod, FE_REG, FE_MOD, FE_FLOAT) \
    X(0x30, fpu_dabs, FE_REG, FE_ABS, FE_DOUBLE)         X(0x60, fpu_fabs, FE_REG, FE_ABS, FE_FLOAT) \
    X(0x31, fpu_dceil, FE_REG, FE_CEIL, FE_DOUBLE)       X(0x61, fpu_fceil, FE_REG, FE_CEIL, FE_FLOAT) \
    X(0x35, fpu_dsgn, FE_REG, FE_SGN, FE_DOUBLE)         X(0x65, fpu_fsgn, FE_REG, FE_SGN, FE_FLOAT) \
    X(0x36, fpu_dsin, FE_REG, FE_SIN, FE_DOUBLE)         X(0x66, fpu_fsin, FE_REG, FE_SIN, FE_FLOAT) \
    X(0x37, fpu_dcos, FE_REG, FE_COS, FE_DOUBLE)         X(0x67, fpu_fcos, FE_REG, FE_COS, FE_FLOAT) \
    X(0x38, fpu_dtan, FE_REG, FE_TAN, FE_DOUBLE)         X(0x68, fpu_ftan, FE_REG, FE_TAN, FE_FLOAT) \
    X(0x39, fpu_datan, FE_REG, FE_ATAN, FE_DOUBLE)       X(0x69, fpu_fatan, FE_REG, FE_ATAN, FE_FLOAT) \
    X(0x3A, fpu_dlog, FE_REG, FE_LOG, FE_DOUBLE)         X(0x6A, fpu_flog, FE_REG, FE_LOG, FE_FLOAT) \
    X(0x3B, fpu_dexp, FE_REG, FE_EXP, FE_DOUBLE)         X(0x6B, fpu_fexp, FE_REG, FE_EXP, FE_FLOAT) \
    X(0x3C, fpu_dsqr, FE_REG, FE_SQR, FE_DOUBLE)         X(0x6C, fpu_fsqr, FE_REG, FE_SQR, FE_FLOAT) \
    X(0x3F, fpu_dpower, FE_REG, FE_POW, FE_DOUBLE)       X(0x6F, fpu_fpower, FE_REG, FE_POW, FE_FLOAT) \
    X(0x4B, fpu_daddone, FE_REG, FE_ADDONE, FE_DOUBLE)   X(0x7B, fpu_faddone, FE_REG, FE_ADDONE, FE_FLOAT) \
    X(0x4C, fpu_dsubone, FE_REG, FE_SUBONE, FE_DOUBLE)   X(0x7C, fpu_fsubone, FE_REG, FE_SUBONE, FE_FLOAT) \
    X(0x4D, fpu_ddivtwo, FE_REG, FE_DIVTWO, FE_DOUBLE)   X(0x7D, fpu_fdivtwo, FE_REG, FE_DIVTWO, FE_FLOAT) \
    X(0xE0, fpu_clmul, FE_STACK, FE_LMUL, FE_LONG)       X(0xE1, fpu_cldiv, FE_STACK, FE_LDIV, FE_LONG) \
    X(0xE2, fpu_clmod, FE_STACK, FE_LMOD, FE_LONG)       X(0xE3, fpu_cumul, FE_STACK, FE_UMUL, FE_LONG) \
    X(0xE4, fpu_cudiv, FE_STACK, FE_UDIV, FE_LONG)       X(0xE5, fpu_cumod, FE_STACK, FE_UMOD, FE_LONG) \
    X(0xE6, fpu_cltod, FE_STACK, FE_TO_DOUBLE, FE_LONG)  X(0xE7, fpu_cdtol, FE_STACK, FE_TO_LONG, FE_DOUBLE) \
    X(0xE8, fpu_cltof, FE_STACK, FE_LTOF, FE_LONG)       X(0xE9, fpu_cftol, FE_STACK, FE_TO_LONG, FE_FLOAT) \
    X(0xEA, fpu_cftod, FE_STACK, FE_TO_DOUBLE, FE_FLOAT) X(0xEB, fpu_cdtof, FE_STACK, FE_TO_FLOAT, FE_DOUBLE) \
    X(0xEC, fpu_cdcmp, FE_STACK, FE_CMP, FE_DOUBLE)      X(0xED, fpu_cdadd, FE_STACK, FE_ADD, FE_DOUBLE) \
    X(0xEE, fpu_cdsub, FE_STACK, FE_SUB, FE_DOUBLE)      X(0xEF, fpu_cdmul, FE_STACK, FE_MUL, FE_DOUBLE) \
    X(0xF0, fpu_cddiv, FE_STACK, FE_DIV, FE_DOUBLE)      X(0xF1, fpu_cdmod, FE_STACK, FE_MOD, FE_DOUBLE) \
    X(0xF2, fpu_cfcmp, FE_STACK, FE_CMP, FE_FLOAT)       X(0xF3, fpu_cfadd, FE_STACK, FE_ADD, FE_FLOAT) \
    X(0xF4, fpu_cfsub, FE_STACK, FE_SUB, FE_FLOAT)       X(0xF5, fpu_cfmul, FE_STACK, FE_MUL, FE_FLOAT) \
    X(0xF6, fpu_cfdiv, FE_STACK, FE_DIV, FE_FLOAT)       X(0xF7, fpu_cfmod, FE_STACK, FE_MOD, FE_FLOAT) \
    X(0xF8, fpu_cdtst, FE_STACK, FE_TST, FE_DOUBLE)      X(0xF9, fpu_cftst, FE_STACK, FE_TST, FE_FLOAT) \
    X(0xFA, fpu_cdinc, FE_STACK, FE_ADDONE, FE_DOUBLE)   X(0xFB, fpu_cfinc, FE_STACK, FE_ADDONE, FE_FLOAT) \
    X(0xFC, fpu_cddec, FE_STACK, FE_SUBONE, FE_DOUBLE)   X(0xFD, fpu_cfdec, FE_STACK, FE_SUBONE, FE_FLOAT)
// clang-format on

#define ZOLM_DECLARE_FE_CALL(index, name, form, kind, type) void name();
ZOLM_FE_CALLS(ZOLM_DECLARE_FE_CALL)
#undef ZOLM_DECLARE_FE_CALL

// Routines by the opcode's low byte; empty slots take the line-F exception.
extern const std::array<FirmwareRoutine, 256> g_fe_call_table;

// The one body of every routine.
void fe_run(FeForm form, FeKind kind, FeType type);
