// The four floppy drive slots and the hard-disk LED, through which the disk
// calls find their image files and the disk panel shows them: insert, eject
// and the change state. An insert or an eject sets the drive's bit in the
// interface notice (g_ui_notice.media_changed).
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr int FD_DRIVES = 4;
inline constexpr const char* FD_NO_DISK = "no disk";

// FdMedia::state
inline constexpr int32_t FD_STATE_EMPTY = 0;
inline constexpr int32_t FD_STATE_INSERTED = 1;  // above 1: an access-LED countdown
// FdMedia::flags (drive-check status bits)
inline constexpr int32_t FD_FLAG_WRITE_PROTECT = 0x08;      // bit 3: the chooser's read-only box
inline constexpr int32_t FD_FLAG_EJECT_INHIBIT = 0x40;      // bit 6: set by the drive-check call
inline constexpr int32_t FD_FLAG_BLINK_EMPTY = 0x80;        // bit 7: LED blinks while empty
inline constexpr int32_t FD_FLAGS_CLEARED_BY_EJECT = 0x0B;  // bits 0, 1 and 3
// FdMedia::media: bits 0-1 the ".DIM" type, bit 7 path is a temporary image to delete.
inline constexpr int32_t FD_MEDIA_DIM_TYPE = 0x03;
inline constexpr int32_t FD_MEDIA_TEMPORARY = 0x80;
inline constexpr int32_t FD_MEDIA_WRITTEN = 0x40;    // bit 6: a disk call wrote the temporary image
inline constexpr int32_t FD_MEDIA_READ_ONLY = 0x20;  // bit 5: the ".DIM" behind it cannot be written
// Tracks a slot keeps marks for: more than cylinders 0-80 of two heads.
inline constexpr int FD_TRACK_MARKS = 256;

struct FdMedia {
    std::string name;  // the image as chosen; saved as FD0-FD3; "no disk" after an eject
    std::string path;  // the file the disk calls open (a converted ".DIM" image is a temporary file)
    int32_t state;
    int32_t inserted;  // set by an insertion, taken by panel_take_media_changed
    int32_t tick;      // counted down by panel_tick_leds
    int32_t flags;
    int32_t media;
    int32_t ejected;                           // set by an eject, read by the drive check
    int32_t tracks = 0;                        // tracks of the converted temporary image when made
    std::bitset<FD_TRACK_MARKS> written = {};  // tracks a disk call wrote since the insertion
    uint32_t insertions = 0;                   // counted up by every insertion
};

extern FdMedia g_fd_media[FD_DRIVES];
extern FdMedia g_hd_media;  // only its state: the hard-disk LED

// Ejects drive: deletes its temporary image (written back into its ".DIM"
// first when a disk call wrote it), names it "no disk".
void panel_eject(int drive);
// Inserts file_name into drive (0-3). An empty name does nothing; a file
// that is not a regular file or does not open leaves the drive ejected. A
// name holding ".DIM" (any case) is converted to a plain temporary image
// first; a failed conversion leaves the drive ejected and no temporary
// file; one that could not be written back goes in write-protected (see
// panel_take_insert_notice). Answers why the image was not inserted, empty when it was (or the
// name was empty).
std::string panel_insert_image(std::string_view file_name, int drive);
// The same, but a file that cannot be inserted changes nothing: the drive
// keeps what it held. Answers why it was refused ("no file named" for an
// empty name).
std::string panel_replace_image(std::string_view file_name, int drive);
// "NAME: cannot be put in drive N: why", the words of every refusal.
std::string panel_refusal_text(std::string_view file_name, int drive, std::string_view why);
// Inserts the names of the four slots into their drives; answers each
// drive's panel_insert_image.
std::array<std::string, FD_DRIVES> panel_insert_all();
// 1 once after an insertion (the inserted flag cleared), else 0.
int panel_take_media_changed(int drive);
// Counts each floppy slot's tick down by one where it is nonzero.
void panel_tick_leds();
// Every floppy slot marked inserted with tick, flags and media cleared, the
// hard-disk LED off; names and paths stay.
void panel_reset_media();
// At exit: deletes every temporary converted image, written back first
// when a disk call wrote it.
void panel_close_media();
// What the last insertion said, once: a ".DIM" that could not be written
// back (a read-only file, or a folder that takes no new file in its place)
// goes in write-protected, "NAME: put in drive N write-protected: it
// cannot be written back (why)", also told on stderr and in the log.
std::string panel_take_insert_notice();
// True once a written ".DIM" could not be written back (its temporary
// image is kept); for the exit status.
bool panel_write_back_failed();
