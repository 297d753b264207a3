// ".DIM" disk images: a 256-byte header (media type, one presence flag per
// track) followed by the present tracks; converted into a plain image.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "storage/disk_image.h"
#include "storage/drive_slots.h"

inline constexpr size_t DIM_HEADER_BYTES = 256;
inline constexpr size_t DIM_TRACK_FLAGS_OFFSET = 1;
inline constexpr int DIM_TRACKS = 170;
inline constexpr int DIM_TYPES = 4;
inline constexpr unsigned char DIM_ABSENT_FILL = DISK_ABSENT_FILL;

// Track size in bytes and the last track the plain image has at least, per type.
inline constexpr size_t DIM_TRACK_BYTES[DIM_TYPES] = {8192, 9216, 7680, 9216};
inline constexpr int DIM_LAST_TRACK_MIN[DIM_TYPES] = {153, 159, 159, 159};

// Folder of the temporary images: $TMPDIR when set and not empty, else /tmp.
std::string dim_temp_folder();

// Converts the ".DIM" file open in `in` into a new temporary plain image
// ("ZOLM$XXXXXX" in dim_temp_folder, made by mkstemp). On success answers 0,
// slot.path names the image and slot.media is FD_MEDIA_TEMPORARY | type.
// On failure answers 1 and leaves no temporary file; slot.path is untouched,
// and why (when given) says what was wrong.
int panel_convert_dim(std::FILE* in, FdMedia& slot, std::string* why = nullptr);

// Writes the temporary image of slot back as the ".DIM" file slot.name,
// whole or not at all: the old header's type and bytes 171-255 kept, and
// whatever the old file holds after its last track kept after the new; a
// track present when it was, when a disk call wrote it, or when a track of
// the converted image holds anything but the fill; at most 170 tracks. A
// temporary image shorter than the converted one or than its written
// tracks is not written back. Only regular files are read or written: the
// write-back never blocks on a FIFO or writes into a device put in place of
// either file; why (when given) says what went wrong.
enum class DimWriteBack { written, image_gone, image_short, failed };
DimWriteBack dim_write_back(const FdMedia& slot, std::string* why = nullptr);
