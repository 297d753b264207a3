// Directory searches: search-first lists the folder once and keeps the
// matches for the newest searches, search-next walks them.
#include <cstring>
#include <deque>

#include "core/bus.h"
#include "host/sjis_text.h"
#include "storage/windrv_dir.h"
#include "storage/windrv_internal.h"
#include "storage/windrv_names.h"
#include "storage/windrv_scan.h"

namespace {

// Search buffer.
constexpr uint32_t FILES_SIZE = 53;
constexpr uint32_t FILES_STATUS = 1;
constexpr uint32_t FILES_MARK = 2;   // 0, 0, 0, $A1, 0, $0F
constexpr uint32_t FILES_MATCH = 8;  // 32 x the number of the match
constexpr uint32_t FILES_ATTRIBUTE = 21;
constexpr uint32_t FILES_TIME = 22;
constexpr uint32_t FILES_DATE = 24;
constexpr uint32_t FILES_SIZE_FIELD = 26;
constexpr uint32_t FILES_NAME = 30;
constexpr uint32_t FILES_NAME_SIZE = 23;
constexpr uint8_t FILES_MARK_BYTES[6] = {0, 0, 0, 0xA1, 0, 0x0F};
constexpr uint32_t FILES_MATCH_STEP = 32;
constexpr uint8_t VOLUME_QUERY_MASK = 0x38;

// Listings kept: the newest searches' matches, within a memory bound.
constexpr size_t KEPT_LISTINGS = 16;
constexpr uint64_t KEPT_BYTES = uint64_t(64) << 20;

struct Kept {
    uint32_t slot;
    uint64_t bytes;
    std::vector<HostEntry> matches;
};
std::deque<Kept> s_kept;  // oldest first

void forget(uint32_t slot) {
    for (auto it = s_kept.begin(); it != s_kept.end(); ++it)
        if (it->slot == slot) {
            s_kept.erase(it);
            return;
        }
}

void keep(uint32_t slot, std::vector<HostEntry>&& matches) {
    uint64_t bytes = sizeof(Kept);
    for (HostEntry& e : matches) {
        e.host = std::string();
        bytes += sizeof e + e.sjis.capacity();
    }
    if (bytes > KEPT_BYTES) return;
    s_kept.push_back({slot, bytes, std::move(matches)});
    uint64_t total = 0;
    for (const Kept& k : s_kept) total += k.bytes;
    while (s_kept.size() > KEPT_LISTINGS || total > KEPT_BYTES) {
        total -= s_kept.front().bytes;
        s_kept.pop_front();
    }
}

const std::vector<HostEntry>* kept(uint32_t slot) {
    for (const Kept& k : s_kept)
        if (k.slot == slot) return &k.matches;
    return nullptr;
}

// The entries a search with this attribute reports: folders when it asks
// for them, other entries when it asks for files, never a name the
// emulated system cannot take.
bool listing_for(const WinDrvSearch& s, std::vector<HostEntry>& matches) {
    GuestName name;
    if (!windrv_namests_path(s.namests, true, name)) return false;
    std::string ignored;
    if (!windrv_component_to_host(name.name, true, ignored)) return false;
    HostDir dir;
    const ConfinedRoot& root = windrv_root(s.unit);
    if (!windrv_resolve_dir(root, name.dirs, dir)) return false;
    std::vector<HostEntry> all;
    if (!windrv_list_dir(root, dir, name.name, all)) return false;
    matches.clear();
    for (HostEntry& e : all) {
        bool is_dir = e.attribute & DOS_ATTR_DIRECTORY;
        uint8_t wanted = is_dir ? DOS_ATTR_DIRECTORY : DOS_ATTR_ARCHIVE;
        if ((s.attribute & wanted) && windrv_name_is_legal(e.sjis)) matches.push_back(std::move(e));
    }
    return true;
}

void copy_name(uint8_t* field, std::string_view name) {
    std::memset(field, 0, FILES_NAME_SIZE);
    std::memcpy(field, name.data(), sjis_cut(name, FILES_NAME_SIZE));
}

// Match number n of the list into the search buffer, or the end mark.
int32_t report(uint32_t buffer, const std::vector<HostEntry>* matches, uint32_t n) {
    uint8_t b[FILES_SIZE];
    windrv_guest_read(buffer, b, FILES_SIZE);
    if (!matches || n >= matches->size()) {
        b[FILES_STATUS] = 0;
        windrv_guest_write(buffer, b, FILES_SIZE);
        return WINDRV_NOT_FOUND;
    }
    const HostEntry& e = (*matches)[n];
    std::memcpy(b + FILES_MARK, FILES_MARK_BYTES, sizeof FILES_MARK_BYTES);
    be_write16(b + FILES_MATCH, FILES_MATCH_STEP * n);
    b[FILES_ATTRIBUTE] = e.attribute;
    be_write16(b + FILES_TIME, e.time.time);
    be_write16(b + FILES_DATE, e.time.date);
    be_write32(b + FILES_SIZE_FIELD, e.size);
    copy_name(b + FILES_NAME, e.sjis);
    windrv_guest_write(buffer, b, FILES_SIZE);
    return WINDRV_OK;
}

// The volume label: the unit folder's own name.
int32_t volume_label(const WinDrvRequest& r) {
    std::string label;
    if (!utf8_to_sjis(windrv_root(r.unit).name(), label)) label.clear();
    uint8_t field[FILES_NAME_SIZE];
    copy_name(field, label);
    windrv_guest_write(r.arg2 + FILES_NAME, field, FILES_NAME_SIZE);
    return field[0] ? WINDRV_OK : WINDRV_FAIL;
}

}  // namespace

void windrv_drop_snapshots() { s_kept.clear(); }

int32_t windrv_cmd_files(const WinDrvRequest& r) {
    if (!windrv_reachable(r.arg1, WINDRV_NAMESTS_SIZE) || !windrv_reachable(r.arg2, FILES_SIZE)) return WINDRV_FAIL;
    uint32_t slot = g_windrv.ring_index;
    g_windrv.ring_index = (slot + 1) % WINDRV_SEARCHES;
    WinDrvSearch& s = g_windrv.searches[slot];
    s = WinDrvSearch{};
    s.buffer = r.arg2;
    s.attribute = r.byte13;
    s.unit = r.unit;
    s.used = 1;
    windrv_guest_read(r.arg1, s.namests, WINDRV_NAMESTS_SIZE);
    forget(slot);
    if ((s.attribute & VOLUME_QUERY_MASK) == DOS_ATTR_VOLUME) return volume_label(r);
    std::vector<HostEntry> matches;
    if (!listing_for(s, matches)) return report(r.arg2, nullptr, 0);
    int32_t result = report(r.arg2, &matches, 0);
    keep(slot, std::move(matches));
    return result;
}

int32_t windrv_cmd_nfiles(const WinDrvRequest& r) {
    if (!windrv_reachable(r.arg2, FILES_SIZE)) return WINDRV_NOT_FOUND;
    for (uint32_t back = 1; back <= WINDRV_SEARCHES; back++) {
        uint32_t slot = (g_windrv.ring_index + WINDRV_SEARCHES - back) % WINDRV_SEARCHES;
        WinDrvSearch& s = g_windrv.searches[slot];
        if (!s.used || s.buffer != r.arg2) continue;
        s.match++;
        if (const std::vector<HostEntry>* list = kept(slot)) return report(r.arg2, list, s.match);
        std::vector<HostEntry> matches;
        bool listed = s.unit < windrv_unit_count() && windrv_root(s.unit).is_open() && listing_for(s, matches);
        return report(r.arg2, listed ? &matches : nullptr, s.match);
    }
    return WINDRV_NOT_FOUND;
}
