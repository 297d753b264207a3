// The console debugger's command lines: each command's arguments from its
// lower-cased line. Numbers read as the monitor has always read them (hex
// for addresses and values, decimal for counts), but a line must end after
// its last argument: one that fits no form of its command comes back as
// "nothing", and the command then changes nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

inline constexpr uint32_t DBG_ADDRESS_MASK = 0xFFFFFF;  // addresses are 24-bit
inline constexpr uint32_t DBG_ADDRESS_END = 0x1000000;  // one past the last address
inline constexpr int32_t DBG_LOG_ENTRIES = 8192;        // history and I/O log sizes
inline constexpr uint32_t DBG_LIST_MAX = 20;            // instructions per "l st,num"
inline constexpr uint32_t DBG_LIST_DEFAULT = 8;
inline constexpr int32_t DBG_PAGE_DEFAULT = 20;

// A reader over one line, in the manner of sscanf: white space before a
// number is skipped; a number too large for its type stops at its largest
// value.
class DbgScan {
public:
    explicit DbgScan(std::string_view text) : text_(text) {}
    bool lit(std::string_view s);  // exactly s
    bool space();                  // one or more white-space characters
    bool hex(uint32_t& value);     // hex digits, "0x" allowed
    bool dec(int32_t& value);      // optional sign and decimal digits
    bool any(char& c);             // the next character, whatever it is
    bool end() const;              // only white space is left (nothing is taken)
private:
    void skip_space();
    std::string_view text_;
    size_t pos_ = 0;
};

// "d", "dX", "dX st", "dX st,ed" (X = b, w, l; any other letter is b),
// also "d st" and "d st,ed" with the last size. size 0 keeps the last size.
struct DumpArgs {
    char size;
    bool has_start, has_end;
    uint32_t start, end;  // 24-bit
};
std::optional<DumpArgs> dbg_parse_dump(std::string_view line);

// "bc"; "b"; "bK st,ed", "b st,ed", "bK adr", "b adr" (K = a, r, w; none
// is a). set is false for a bare "b" and for lines of no form.
struct WatchArgs {
    bool clear;
    bool set;
    char kind;
    uint32_t start, last;  // 24-bit, both inside the watch
};
WatchArgs dbg_parse_watch(std::string_view line);

// "r dN,hex", "r aN,hex", "r pc,hex"; any other line after "r" toggles the
// display; a register number outside 0-7 is nothing.
enum class RegTarget { Nothing, Toggle, Data, Address, Pc };
struct RegArgs {
    RegTarget target;
    uint32_t number;
    uint32_t value;  // the PC's cut to 24 bits
};
RegArgs dbg_parse_register(std::string_view line);

// "s" (no address), "s hex"; a line beginning with a space is a step too.
// nothing for any other "s" line.
struct StepArgs {
    bool has_address;
    uint32_t address;
};
std::optional<StepArgs> dbg_parse_step(std::string_view line);

// "u hex".
std::optional<uint32_t> dbg_parse_until(std::string_view line);

// "l", "l hex", "l hex,hex" (the count limited to 20).
struct ListArgs {
    bool has_start;
    uint32_t start, count;
};
std::optional<ListArgs> dbg_parse_list(std::string_view line);

// "h" (count -1: the remembered one), "h dec" (limited to 0-8192).
std::optional<int32_t> dbg_parse_history(std::string_view line);

// "is hex,hex", "i dec,dec", "i dec", "i".
enum class IoForm { Window, CountAndPage, Count, Bare };
struct IoArgs {
    IoForm form;
    uint32_t start, end;  // the recording window, 24-bit
    int32_t count;        // 1-8192
    int32_t page;         // 20 when not positive
};
std::optional<IoArgs> dbg_parse_io(std::string_view line);
