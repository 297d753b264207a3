// Word multiply and divide: MULU, MULS, DIVU, DIVS <ea>,Dn.
#pragma once

#include <cstdint>

#include "core/decode.h"

OpResult cpu_op_mulu(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_muls(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_divu(const DecodeRecord* rec, uint32_t pc);
OpResult cpu_op_divs(const DecodeRecord* rec, uint32_t pc);
