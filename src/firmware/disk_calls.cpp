#include "firmware/disk_calls.h"

#include "core/boundary.h"
#include "core/cpu_regs.h"
#include "machine/settings.h"
#include "machine/ui_notice.h"
#include "storage/disk_image.h"
#include "storage/disk_iocs.h"
#include "storage/drive_slots.h"

namespace {

constexpr uint32_t DSKINI_STATUS = 0x20000000, WRITED_STATUS = 0x08000000, BADFMT_STATUS = 0xFFFFFFFF;
constexpr uint32_t EJECT_STATUS = 0xFFFFFFFF;
constexpr uint32_t SEEK_CYCLES = 400, TRANSFER_CYCLES = 1000, FORMAT_CYCLES = 8000;

// The floppy slot of a floppy unit word, nullptr for drives above 3 and
// for every other unit word.
FdMedia* floppy_slot() {
    const uint32_t unit = cpu_d(1) & 0xFFFF;
    if (disk_unit_kind(unit) != DiskUnitKind::floppy || disk_unit_number(unit) >= FD_DRIVES) return nullptr;
    return &g_fd_media[disk_unit_number(unit)];
}

template <uint32_t (*Worker)(), uint32_t Cycles, bool Led> void call() {
    if (Led) trap_disk_access_led();
    cpu_d(0) = Worker();
    g_cpu_regs.cycles += Cycles;
}

template <uint32_t Status, bool Led> void fixed() {
    if (Led) trap_disk_access_led();
    cpu_d(0) = Status;
}

// The panel shows the lit LED at once, not at its next refresh.
void refresh_panel_now() { g_ui_notice.access_lit = true; }

}  // namespace

void trap_disk_access_led() {
    const DiskUnitKind kind = disk_unit_kind(cpu_d(1) & 0xFFFF);
    if (kind == DiskUnitKind::none) return;  // a unit word naming no drive lights nothing
    if (kind == DiskUnitKind::floppy) {
        FdMedia* slot = floppy_slot();
        if (!slot || slot->state == FD_STATE_EMPTY) return;
        const int32_t before = slot->state;
        slot->state = FD_ACCESS_LED;
        if (before == FD_STATE_INSERTED) refresh_panel_now();
        return;
    }
    const int32_t before = g_hd_media.state;
    g_hd_media.state = HD_ACCESS_LED;
    if (before <= FD_STATE_INSERTED) refresh_panel_now();
}

void trap_b_seek() { call<disk_iocs_b_seek, SEEK_CYCLES, true>(); }
void trap_b_verify() { call<disk_iocs_b_verify, TRANSFER_CYCLES, true>(); }
void trap_b_readdi() { call<disk_iocs_b_readdi, 0, true>(); }
void trap_b_dskini() { fixed<DSKINI_STATUS, true>(); }
void trap_b_drvsns() { call<disk_iocs_b_drvsns, 0, false>(); }
void trap_b_write() { call<disk_iocs_b_write, TRANSFER_CYCLES, true>(); }
void trap_b_read() { call<disk_iocs_b_read, TRANSFER_CYCLES, true>(); }
void trap_b_recali() { call<disk_iocs_b_recali, 0, true>(); }
void trap_b_assign() { fixed<0, false>(); }
void trap_b_writed() { fixed<WRITED_STATUS, true>(); }
void trap_b_readid() { call<disk_iocs_b_readid, 0, true>(); }
void trap_b_badfmt() { fixed<BADFMT_STATUS, true>(); }
void trap_b_readdl() { call<disk_iocs_b_readdl, 0, true>(); }
void trap_b_format() { call<disk_iocs_b_format, FORMAT_CYCLES, true>(); }

void trap_b_drvchk() {
    FdMedia* slot = floppy_slot();
    if (slot) {
        switch (cpu_d(2) & 15) {
        case DRVCHK_EJECT:
            if (!(slot->flags & FD_FLAG_EJECT_INHIBIT) && g_settings.eject) panel_eject(int(slot - g_fd_media));
            break;
        case DRVCHK_INHIBIT: slot->flags |= FD_FLAG_EJECT_INHIBIT; break;
        case DRVCHK_ALLOW: slot->flags &= ~FD_FLAG_EJECT_INHIBIT; break;
        case DRVCHK_BLINK:
            if (slot->state == FD_STATE_EMPTY) slot->flags |= FD_FLAG_BLINK_EMPTY;
            else slot->flags &= ~FD_FLAG_BLINK_EMPTY;
            break;
        default: break;
        }
    }
    cpu_d(0) = disk_iocs_b_drvchk();
}

void trap_b_eject() {
    if (FdMedia* slot = floppy_slot(); slot && g_settings.eject) panel_eject(int(slot - g_fd_media));
    cpu_d(0) = EJECT_STATUS;
}

void trap_install_disk_calls() {
    constexpr FirmwareRoutine routines[IOCS_DISK_LAST - IOCS_DISK_FIRST + 1] = {
        trap_b_seek,   trap_b_verify, trap_b_readdi, trap_b_dskini, trap_b_drvsns, trap_b_write,
        trap_b_read,   trap_b_recali, trap_b_assign, trap_b_writed, trap_b_readid, trap_b_badfmt,
        trap_b_readdl, trap_b_format, trap_b_drvchk, trap_b_eject,
    };
    for (uint32_t call = IOCS_DISK_FIRST; call <= IOCS_DISK_LAST; ++call)
        g_iocs_native_table[call] = routines[call - IOCS_DISK_FIRST];
}
