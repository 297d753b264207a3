// Lines from the console debugger's input: whole lines whatever their
// length, the idle hook every 100 ms while none is there.
#pragma once

#include <string>

class DbgLineReader {
public:
    explicit DbgLineReader(int fd) : fd_(fd), ended_(fd < 0) {}
    // The next line without its line end (and without a CR before it);
    // false at the end of the input or on a read error.
    bool next(std::string& line);
private:
    int fd_;
    std::string pending_;
    size_t scanned_ = 0;  // bytes of pending_ known to hold no line end
    bool ended_;
};

inline constexpr int DBG_IDLE_PERIOD_MS = 100;
