#include "debugger/dbg_parse.h"

#include <algorithm>

#include "debugger/text_scan.h"

namespace {

uint32_t address(uint32_t v) { return v & DBG_ADDRESS_MASK; }

// "hex" or "hex,hex" after the command's letters, then the end.
bool scan_range(DbgScan& s, uint32_t& first, uint32_t& second, bool& has_second) {
    if (!s.hex(first)) return false;
    has_second = false;
    if (s.end()) return true;
    has_second = s.lit(",") && s.hex(second) && s.end();
    return has_second;
}

}  // namespace

void DbgScan::skip_space() {
    while (pos_ < text_.size() && text_is_space(text_[pos_])) pos_++;
}

bool DbgScan::lit(std::string_view s) {
    if (text_.substr(pos_, s.size()) != s) return false;
    pos_ += s.size();
    return true;
}

bool DbgScan::space() {
    size_t before = pos_;
    skip_space();
    return pos_ > before;
}

bool DbgScan::hex(uint32_t& value) {
    skip_space();
    size_t p = pos_;
    if (text_.substr(p, 2) == "0x" && p + 2 < text_.size() && text_hex_digit(text_[p + 2]) >= 0) p += 2;
    if (p >= text_.size() || text_hex_digit(text_[p]) < 0) return false;
    uint64_t v = 0;
    for (; p < text_.size() && text_hex_digit(text_[p]) >= 0; p++)
        v = std::min<uint64_t>(v * 16 + uint64_t(text_hex_digit(text_[p])), UINT32_MAX);
    value = uint32_t(v);
    pos_ = p;
    return true;
}

bool DbgScan::dec(int32_t& value) {
    skip_space();
    size_t p = pos_;
    bool negative = false;
    if (p < text_.size() && (text_[p] == '-' || text_[p] == '+')) negative = text_[p++] == '-';
    if (p >= text_.size() || text_[p] < '0' || text_[p] > '9') return false;
    int64_t v = 0;
    for (; p < text_.size() && text_[p] >= '0' && text_[p] <= '9'; p++)
        v = std::min<int64_t>(v * 10 + (text_[p] - '0'), int64_t(INT32_MAX) + 1);
    if (negative) v = -v;
    value = int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    pos_ = p;
    return true;
}

bool DbgScan::any(char& c) {
    if (pos_ >= text_.size()) return false;
    c = text_[pos_++];
    return true;
}

bool DbgScan::end() const {
    size_t p = pos_;
    while (p < text_.size() && text_is_space(text_[p])) p++;
    return p == text_.size();
}

std::optional<DumpArgs> dbg_parse_dump(std::string_view line) {
    DbgScan s(line);
    DumpArgs a{0, false, false, 0, 0};
    if (!s.lit("d")) return std::nullopt;
    if (s.end()) return a;
    if (line[1] >= 'a' && line[1] <= 'z') {
        // Sizes other than w and l are bytes ("ds" of the help too).
        a.size = line[1] == 'w' || line[1] == 'l' ? line[1] : 'b';
        char letter;
        s.any(letter);
        if (s.end()) return a;
        if (!s.space()) return std::nullopt;
    } else if (!s.space()) {
        return std::nullopt;
    }
    if (!scan_range(s, a.start, a.end, a.has_end)) return std::nullopt;
    a.has_start = true;
    a.start = address(a.start);
    a.end = address(a.end);
    return a;
}

WatchArgs dbg_parse_watch(std::string_view line) {
    WatchArgs a{false, false, 'a', 0, 0};
    if (line.size() >= 2 && line[1] == 'c') {
        a.clear = true;
        return a;
    }
    DbgScan s(line);
    if (!s.lit("b")) return a;
    char kind = 'a';
    if (s.lit("a") || s.lit("r") || s.lit("w")) kind = line[1];
    else if (!s.space()) return a;
    uint32_t first = 0, second = 0;
    bool has_second = false;
    if (!scan_range(s, first, second, has_second)) return a;
    a.set = true;
    a.kind = kind;
    a.start = address(first);
    a.last = address(has_second ? second : first);
    return a;
}

RegArgs dbg_parse_register(std::string_view line) {
    DbgScan s(line);
    RegArgs a{RegTarget::Toggle, 0, 0};
    if (!s.lit("r")) return a;
    s.space();
    RegTarget target = RegTarget::Toggle;
    int32_t number = 0;
    if (s.lit("pc")) target = RegTarget::Pc;
    else if (s.lit("a")) target = RegTarget::Address;
    else if (s.lit("d")) target = RegTarget::Data;
    else return a;
    if (target != RegTarget::Pc && !s.dec(number)) return a;
    uint32_t value = 0;
    if (!(s.lit(",") && s.hex(value) && s.end())) return a;
    if (number < 0 || number > 7) return {RegTarget::Nothing, 0, 0};
    return {target, uint32_t(number), target == RegTarget::Pc ? address(value) : value};
}

std::optional<StepArgs> dbg_parse_step(std::string_view line) {
    if (line.starts_with(" ")) return StepArgs{false, 0};
    DbgScan s(line);
    if (!s.lit("s")) return std::nullopt;
    if (s.end()) return StepArgs{false, 0};
    uint32_t addr = 0;
    if (s.hex(addr) && s.end()) return StepArgs{true, address(addr)};
    return std::nullopt;
}

std::optional<uint32_t> dbg_parse_until(std::string_view line) {
    DbgScan s(line);
    uint32_t addr = 0;
    if (s.lit("u") && s.hex(addr) && s.end()) return address(addr);
    return std::nullopt;
}

std::optional<ListArgs> dbg_parse_list(std::string_view line) {
    DbgScan s(line);
    ListArgs a{false, 0, DBG_LIST_DEFAULT};
    if (!s.lit("l")) return std::nullopt;
    if (s.end()) return a;
    bool has_count = false;
    uint32_t count = 0;
    if (!scan_range(s, a.start, count, has_count)) return std::nullopt;
    a.has_start = true;
    a.start = address(a.start);
    if (has_count) a.count = std::min(count, DBG_LIST_MAX);
    return a;
}

std::optional<int32_t> dbg_parse_history(std::string_view line) {
    DbgScan s(line);
    int32_t count = 0;
    if (!s.lit("h")) return std::nullopt;
    if (s.end()) return -1;
    if (s.dec(count) && s.end()) return std::clamp(count, 0, DBG_LOG_ENTRIES);
    return std::nullopt;
}

std::optional<IoArgs> dbg_parse_io(std::string_view line) {
    DbgScan s(line);
    IoArgs a{IoForm::Bare, 0, 0, 0, DBG_PAGE_DEFAULT};
    if (s.lit("is")) {
        if (!(s.hex(a.start) && s.lit(",") && s.hex(a.end) && s.end())) return std::nullopt;
        a.form = IoForm::Window;
        a.start = address(a.start);
        a.end = address(a.end);
        return a;
    }
    if (!s.lit("i")) return std::nullopt;
    if (s.end()) return a;
    if (!s.dec(a.count)) return std::nullopt;
    a.count = std::clamp(a.count, 1, DBG_LOG_ENTRIES);
    if (s.end()) {
        a.form = IoForm::Count;
        return a;
    }
    if (!(s.lit(",") && s.dec(a.page) && s.end())) return std::nullopt;
    if (a.page <= 0) a.page = DBG_PAGE_DEFAULT;
    a.form = IoForm::CountAndPage;
    return a;
}
