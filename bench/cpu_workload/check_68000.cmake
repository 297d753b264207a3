# Fails when the disassembly of a 68000 program holds an instruction or an
# addressing mode that only the 68010 and later have.
#   cmake -DOBJDUMP=... -DELF=... -P check_68000.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND "${OBJDUMP}" -d --no-show-raw-insn "${ELF}"
                OUTPUT_VARIABLE listing RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} failed on ${ELF}")
endif()

# Long multiply and divide, EXTB.L, 32-bit branch displacements, LINK.L,
# RTD, bit fields, CAS, CHK2/CMP2, TRAPcc, PACK/UNPK, MOVEC/MOVES, BKPT,
# CALLM/RTM, MOVE from CCR.
set(bad_mnemonic
  "^(mul[su]l|div[su]l|div[su]ll|extbl|b(ra|sr|hi|ls|cc|cs|ne|eq|vc|vs|pl|mi|ge|lt|gt|le)l|linkl|rtd|bf[a-z]+|cas2?[bwl]?|chk2[bwl]?|cmp2[bwl]?|trap(t|f|hi|ls|cc|cs|ne|eq|vc|vs|pl|mi|ge|lt|gt|le)[wl]?|pack|unpk|movec|moves[bwl]?|bkpt|callm|rtm)$")
string(REGEX MATCHALL "\n +[0-9a-f]+:\t[^\n]*" lines "${listing}")
set(faults "")
foreach(line IN LISTS lines)
  string(REGEX MATCH "^\n +([0-9a-f]+):\t([^ \t]*)[ \t]*(.*)$" unused "${line}")
  set(addr "${CMAKE_MATCH_1}")
  set(mnemonic "${CMAKE_MATCH_2}")
  set(operands "${CMAKE_MATCH_3}")
  # Jump tables sit in .text and disassemble as small ORI words.
  if(mnemonic MATCHES "${bad_mnemonic}"
     OR operands MATCHES ":[wl]:[248]"                  # scaled index
     OR operands MATCHES "@\\([^)]*\\)@"                # memory indirect
     OR operands MATCHES "%z(pc|[ad][0-7])"             # suppressed register
     OR (mnemonic STREQUAL "movew" AND operands MATCHES "^%ccr,"))
    string(APPEND faults "  ${addr}: ${mnemonic} ${operands}\n")
  endif()
endforeach()
if(faults)
  message(FATAL_ERROR "${ELF} is not 68000 code:\n${faults}")
endif()
list(LENGTH lines count)
if(count LESS 10)
  message(FATAL_ERROR "${ELF}: only ${count} instructions in the listing")
endif()
