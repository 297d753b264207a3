/*
 * Test IPL ROM: 128 KB at $FE0000-$FFFFFF, unused bytes 0xFF.
 *
 *   .rom.low       $FE0000-$FEFFFF  optional data or code
 *   .vectors       $FF0000          reset SSP and PC (read at reset), then
 *   .text .rodata                   code and constants
 *
 * A ROM has no writable data: .data and .bss must be empty. A C ROM that
 * needs them copies them to RAM from its own start code.
 */
OUTPUT_FORMAT("elf32-m68k")
OUTPUT_ARCH(m68k)
ENTRY(__rom_reset)

MEMORY
{
  ROM (rx)  : ORIGIN = 0xFE0000, LENGTH = 128K
  RAM (rw)  : ORIGIN = 0x000000, LENGTH = 0xC00000
}

SECTIONS
{
  .rom 0xFE0000 :
  {
    KEEP(*(.rom.low .rom.low.*))
    . = 0x10000;
    __rom_reset = .;
    KEEP(*(.vectors))
    __rom_vectors_end = .;
    *(.text .text.*)
    *(.rodata .rodata.*)
    . = 0x20000;
  } > ROM =0xFFFFFFFF

  .ram (NOLOAD) :
  {
    __ram_start = .;
    *(.data .data.*)
    *(.bss .bss.* COMMON)
    __ram_end = .;
  } > RAM

  /DISCARD/ : { *(.comment) *(.note .note.*) *(.eh_frame) }
}

ASSERT(__rom_vectors_end - __rom_reset >= 8, "test ROM: no reset SSP and PC in .vectors")
ASSERT(__ram_end == __ram_start, "test ROM: .data/.bss not supported")
