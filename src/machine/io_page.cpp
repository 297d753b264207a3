// The I/O page: its list of devices and the dispatchers.
#include "machine/io_page.h"

#include "core/bus.h"
#include "core/cpu_loop.h"
#include "core/cpu_regs.h"
#include "core/trace.h"
#include "input/ppi.h"
#include "input/printer.h"
#include "input/scc.h"
#include "machine/memory_map.h"
#include "machine/mfp.h"
#include "machine/rtc.h"
#include "machine/system_port.h"
#include "sound/adpcm.h"
#include "sound/opm.h"
#include "storage/dma.h"
#include "storage/fdc.h"
#include "storage/windrv.h"
#include "video/crtc.h"
#include "video/palette.h"

namespace {

// The devices of slots 0-15, in address order from $E80000.
constexpr BusDevice IO_DEVICES[IO_SLOTS] = {
    CRTC_BUS,         // $E80000
    PALETTE_BUS,      // $E82000 palette and video controller
    DMA_BUS,          // $E84000
    AREA_SET_BUS,     // $E86000
    MFP_BUS,          // $E88000
    RTC_BUS,          // $E8A000
    PRINTER_BUS,      // $E8C000
    SYSTEM_PORT_BUS,  // $E8E000
    OPM_BUS,          // $E90000
    ADPCM_BUS,        // $E92000
    FDC_BUS,          // $E94000
    IO_EMPTY_BUS,     // $E96000 SASI
    SCC_BUS,          // $E98000
    PPI_BUS,          // $E9A000
    IO_EMPTY_BUS,     // $E9C000
    WINDRV_IO_BUS,    // $E9E000 host-drive port
};

constexpr IoSlotTable slot_table_of(const BusDevice (&devices)[IO_SLOTS]) {
    IoSlotTable t{};
    for (uint32_t i = 0; i < IO_SLOTS; i++) {
        t.read_byte[i] = devices[i].read_byte;
        t.read_word[i] = devices[i].read_word;
        t.read_long[i] = devices[i].read_long;
        t.write_byte[i] = devices[i].write_byte;
        t.write_word[i] = devices[i].write_word;
        t.write_long[i] = devices[i].write_long;
        t.peek_byte[i] = devices[i].peek_byte;
    }
    return t;
}

}  // namespace

constexpr IoSlotTable g_io_slot_table = slot_table_of(IO_DEVICES);

uint32_t io_peek_byte(uint32_t addr) { return g_io_slot_table.peek_byte[io_slot(addr)](addr) & 0xFF; }

namespace {

using IoReadRow = BusReadFn (IoSlotTable::*)[IO_SLOTS];
using IoWriteRow = BusWriteFn (IoSlotTable::*)[IO_SLOTS];
using IoRecordFn = void (*)(uint32_t addr, uint32_t value, uint32_t pc);

// The slot's handler of one row, then the I/O access log. A device that
// raises a bus error leaves the access here, unlogged.
template <IoReadRow row, IoRecordFn record> ZOLM_ALWAYS_INLINE uint32_t io_read(uint32_t addr) {
    uint32_t value;
    {
        HostCallScope device;
        value = (g_io_slot_table.*row)[io_slot(addr)](addr);
    }
    record(addr, value, g_cpu_regs.op_addr);
    return value;
}
template <IoWriteRow row, IoRecordFn record> ZOLM_ALWAYS_INLINE void io_write(uint32_t addr, uint32_t value) {
    {
        HostCallScope device;
        (g_io_slot_table.*row)[io_slot(addr)](addr, value);
    }
    record(addr, value, g_cpu_regs.op_addr);
}

uint32_t io_read_byte(uint32_t addr) { return io_read<&IoSlotTable::read_byte, iotrace_record_read_byte>(addr); }
uint32_t io_read_word(uint32_t addr) { return io_read<&IoSlotTable::read_word, iotrace_record_read_word>(addr); }
uint32_t io_read_long(uint32_t addr) { return io_read<&IoSlotTable::read_long, iotrace_record_read_long>(addr); }
void io_write_byte(uint32_t addr, uint32_t value) {
    io_write<&IoSlotTable::write_byte, iotrace_record_write_byte>(addr, value);
}
void io_write_word(uint32_t addr, uint32_t value) {
    io_write<&IoSlotTable::write_word, iotrace_record_write_word>(addr, value);
}
void io_write_long(uint32_t addr, uint32_t value) {
    io_write<&IoSlotTable::write_long, iotrace_record_write_long>(addr, value);
}

}  // namespace

const BusDevice IO_PAGE_BUS = {io_read_byte,  io_read_word,  io_read_long, io_write_byte,
                               io_write_word, io_write_long, io_peek_byte};
