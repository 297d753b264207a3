| Points the bus-error and address-error vectors at an odd address, then
| jumps to an odd address. The address error of the jump's fetch finds its
| handler at an odd address, so its first fetch faults while the exception
| is processed: a double fault, which halts, and the machine resets into the
| same code. Its run must still count frames and end.
        .include "iplrom.inc"

        reset_vectors 0x00002000, start

        .equ    BUS_ERROR_VECTOR, 0x08
        .equ    ADDRESS_ERROR_VECTOR, 0x0C
        .equ    ODD_HANDLER, 0x00001235
        .equ    ODD_TARGET, 0x00001001

        .text
start:
        move.l  #ODD_HANDLER, BUS_ERROR_VECTOR
        move.l  #ODD_HANDLER, ADDRESS_ERROR_VECTOR
        jmp     ODD_TARGET
