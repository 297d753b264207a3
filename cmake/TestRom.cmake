# Test IPL ROM images, built from 68000 sources with GNU m68k binutils.
#
# zolm_test_rom(NAME SOURCE...)
#
# Each source (relative to the calling folder) is assembled (.S, .s) or
# compiled (.c); the objects are linked with tests/roms/iplrom.ld into a
# 128 KB image of $FE0000-$FFFFFF, unused bytes 0xFF, written to
# ${ZOLM_TEST_ROM_DIR}/NAME.rom. Image offset 0x10000 ($FF0000) holds the
# reset SSP, 0x10004 the reset PC. Every image joins target test_rom_images;
# one image alone builds with target rom_NAME.

set(ZOLM_TEST_ROM_DIR "${CMAKE_BINARY_DIR}/roms")
set(ZOLM_IPLROM_BASE 0xFE0000)
set(ZOLM_IPLROM_SIZE 131072)
set(ZOLM_IPLROM_SUPPORT_DIR "${PROJECT_SOURCE_DIR}/tests/roms")

find_program(ZOLM_M68K_AS m68k-linux-gnu-as REQUIRED)
find_program(ZOLM_M68K_LD m68k-linux-gnu-ld REQUIRED)
find_program(ZOLM_M68K_OBJCOPY m68k-linux-gnu-objcopy REQUIRED)
find_program(ZOLM_M68K_GCC m68k-linux-gnu-gcc)

set(ZOLM_M68K_ASFLAGS -m68000 --register-prefix-optional)
# Debian's cross gcc has libgcc for 68020 only, so none is linked: a C ROM
# brings its own helpers for 32-bit multiply, divide and the like.
set(ZOLM_M68K_CFLAGS -m68000 -O2 -ffreestanding -fno-builtin -fno-pic -fno-pie
                     -fno-asynchronous-unwind-tables -Wall -Wextra)
if(ZOLM_WERROR)
  list(APPEND ZOLM_M68K_CFLAGS -Werror)
endif()

add_custom_target(test_rom_images ALL)

function(zolm_test_rom name)
  if(NOT ARGN)
    message(FATAL_ERROR "zolm_test_rom(${name}): no sources")
  endif()
  set(objdir "${CMAKE_CURRENT_BINARY_DIR}/rom_${name}")
  set(incs -I "${ZOLM_IPLROM_SUPPORT_DIR}" -I "${CMAKE_CURRENT_SOURCE_DIR}")
  set(objs)
  foreach(src IN LISTS ARGN)
    cmake_path(ABSOLUTE_PATH src BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}"
               OUTPUT_VARIABLE src_abs)
    cmake_path(GET src FILENAME src_name)
    cmake_path(GET src EXTENSION LAST_ONLY ext)
    set(obj "${objdir}/${src_name}.o")
    if(ext STREQUAL ".S" OR ext STREQUAL ".s")
      add_custom_command(OUTPUT "${obj}"
        COMMAND ${ZOLM_M68K_AS} ${ZOLM_M68K_ASFLAGS} ${incs}
                --MD "${obj}.d" -o "${obj}" "${src_abs}"
        DEPENDS "${src_abs}"
        DEPFILE "${obj}.d"
        COMMENT "Assembling 68000 ${src}"
        VERBATIM)
    elseif(ext STREQUAL ".c")
      if(NOT ZOLM_M68K_GCC)
        message(FATAL_ERROR "zolm_test_rom(${name}): ${src} needs m68k-linux-gnu-gcc")
      endif()
      add_custom_command(OUTPUT "${obj}"
        COMMAND ${ZOLM_M68K_GCC} ${ZOLM_M68K_CFLAGS} ${incs}
                -MD -MF "${obj}.d" -c -o "${obj}" "${src_abs}"
        DEPENDS "${src_abs}"
        DEPFILE "${obj}.d"
        COMMENT "Compiling 68000 ${src}"
        VERBATIM)
    else()
      message(FATAL_ERROR "zolm_test_rom(${name}): ${src}: not .S, .s or .c")
    endif()
    list(APPEND objs "${obj}")
  endforeach()

  set(script "${ZOLM_IPLROM_SUPPORT_DIR}/iplrom.ld")
  set(elf "${objdir}/${name}.elf")
  set(rom "${ZOLM_TEST_ROM_DIR}/${name}.rom")
  add_custom_command(OUTPUT "${elf}"
    COMMAND ${ZOLM_M68K_LD} -nostdlib -z noexecstack -T "${script}" -Map "${objdir}/${name}.map"
            -o "${elf}" ${objs}
    DEPENDS ${objs} "${script}"
    COMMENT "Linking test ROM ${name}"
    VERBATIM)
  math(EXPR rom_end "${ZOLM_IPLROM_BASE} + ${ZOLM_IPLROM_SIZE}" OUTPUT_FORMAT HEXADECIMAL)
  add_custom_command(OUTPUT "${rom}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${ZOLM_TEST_ROM_DIR}"
    COMMAND ${ZOLM_M68K_OBJCOPY} -O binary --gap-fill 0xff --pad-to ${rom_end}
            "${elf}" "${rom}"
    COMMAND ${CMAKE_COMMAND} -DROM=${rom} -DSIZE=${ZOLM_IPLROM_SIZE}
            -P "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/RomSize.cmake"
    DEPENDS "${elf}" "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/RomSize.cmake"
    COMMENT "Writing ${name}.rom"
    VERBATIM)
  add_custom_target(rom_${name} DEPENDS "${rom}")
  add_dependencies(test_rom_images rom_${name})
endfunction()
