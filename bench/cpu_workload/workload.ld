/*
 * Guest program of the processor benchmark, run from flat RAM.
 * The command line defines:
 *   __load_addr    load address of the image and its entry (_start first)
 *   __stack_top    initial supervisor stack pointer
 *   bench_result   three result longs below the image (rounds, checksum,
 *                  unexpected exception)
 */
OUTPUT_FORMAT("elf32-m68k")
OUTPUT_ARCH(m68k)
ENTRY(_start)

SECTIONS
{
  . = __load_addr;
  .text :
  {
    KEEP(*(.text.start))
    *(.text .text.*)
  }
  .rodata : { *(.rodata .rodata.*) }
  .data : { *(.data .data.*) }
  . = ALIGN(4);
  .bss (NOLOAD) :
  {
    __bss_start = .;
    *(.bss .bss.* COMMON)
    . = ALIGN(4);
    __bss_end = .;
  }
  /DISCARD/ : { *(.comment) *(.note .note.*) *(.eh_frame) }
}

ASSERT(_start == __load_addr, "workload: _start is not at the load address")
ASSERT(bench_result + 12 <= __load_addr, "workload: results overlap the image")
ASSERT(__bss_end <= __stack_top - 0x4000, "workload: no room for the stack")
