// The host drive's units: the folders given by --host-drive, the n-th as
// unit n.
#pragma once

#include <string>
#include <vector>

// The folders of the units; at most 26.
void windrv_set_roots(std::vector<std::string> roots);
const std::vector<std::string>& windrv_roots();
// Opens the folders as units after the settings are read (a folder that
// does not open stays a unit whose commands fail). WINFD has no effect:
// there are no host drive letters.
void windrv_scan_drives();
unsigned windrv_unit_count();
