// The four floppy drive slots and the hard-disk LED, through which the disk
// calls find their image files and the disk panel shows them.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int FD_DRIVES = 4;

struct FdMedia {
    std::string name; // the image as chosen; saved as FD0-FD3
    std::string path; // the file the disk calls open (a converted ".DIM" image is a temporary file)
    int32_t state;    // 0 empty, 1 inserted, above 1 an access-LED countdown
    int32_t inserted; // set by an insertion, taken by the drive check
    int32_t tick;
    int32_t flags;    // drive-check bits: 3 write-protect, 6 eject inhibited, 7 blink
    int32_t media;    // bits 0-1 ".DIM" type, bit 7 path is a temporary image
    int32_t ejected;  // set by an eject, read by the drive check
};

extern FdMedia g_fd_media[FD_DRIVES];
extern FdMedia g_hd_media; // only its state: the hard-disk LED

// Every floppy slot marked inserted with flags and media cleared, the
// hard-disk LED off; names and paths stay.
void panel_reset_media();
