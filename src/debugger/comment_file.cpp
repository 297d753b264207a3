#include "debugger/comment_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "debugger/disasm.h"
#include "debugger/text_scan.h"
#include "host/paths.h"

char g_dis_comment_out[DIS_COMMENT_OUT_SIZE];

namespace {

// The file as read, each line feed replaced by a terminator, plus one
// terminator after the last byte; null when none is loaded.
char* g_dis_comment_text;
size_t g_dis_comment_size;

// A line of the text: [begin, end).
struct TextLine {
    const char* begin;
    const char* end;
};

const char* text_end() { return g_dis_comment_text + g_dis_comment_size; }

TextLine line_at(const char* p) {
    const char* e = static_cast<const char*>(std::memchr(p, '\0', size_t(text_end() - p)));
    return {p, e ? e : text_end()};
}

// The line after l, false at the end of the text.
bool next_line(TextLine& l) {
    if (l.end >= text_end()) return false;
    l = line_at(l.end + 1);
    return true;
}

// Reads an entry line the way "[%x %x] ;%s" and "[%x] ;%s" do: a space of
// the format is any run of white space, a number may have white space and
// "0x" before it, the comment is the first word after ";".
class EntryScanner {
public:
    explicit EntryScanner(TextLine l) {
        size_t n = size_t(l.end - l.begin);
        if (n > DIS_COMMENT_LINE_SIZE - 1) n = DIS_COMMENT_LINE_SIZE - 1;
        std::memcpy(buf_, l.begin, n);
        buf_[n] = '\0';
    }
    // Two numbers (a range), or one with last = first.
    bool range(uint32_t& first, uint32_t& last, char* word) {
        p_ = buf_;
        if (!literal('[') || !number(first)) return false;
        const char* after_first = p_;
        skip_space();
        if (number(last) && literal(']') && comment(word)) return true;
        p_ = after_first;
        last = first;
        return literal(']') && comment(word);
    }
    bool single(uint32_t& value, char* word) {
        p_ = buf_;
        return literal('[') && number(value) && literal(']') && comment(word);
    }

private:
    void skip_space() {
        while (text_is_space(*p_)) ++p_;
    }
    bool literal(char c) {
        if (*p_ != c) return false;
        ++p_;
        return true;
    }
    bool number(uint32_t& v) {
        skip_space();
        if (p_[0] == '0' && (p_[1] == 'x' || p_[1] == 'X') && text_hex_digit(p_[2]) >= 0) p_ += 2;
        if (text_hex_digit(*p_) < 0) return false;
        uint64_t acc = 0;
        for (int d; (d = text_hex_digit(*p_)) >= 0; ++p_) {
            acc = acc << 4 | uint32_t(d);
            if (acc > 0xFFFFFFFFu) return false;  // not a 32-bit number: the line is no entry
        }
        v = uint32_t(acc);
        return true;
    }
    bool comment(char* word) {
        skip_space();
        if (!literal(';')) return false;
        skip_space();
        if (*p_ == '\0') return false;
        size_t n = 0;
        for (; *p_ && !text_is_space(*p_); ++p_)
            if (n < DIS_COMMENT_WORD_SIZE - 1) word[n++] = *p_;
        word[n] = '\0';
        return true;
    }

    char buf_[DIS_COMMENT_LINE_SIZE];
    const char* p_ = buf_;
};

void section1_lookup(uint32_t address) {
    if (!g_dis_comment_text) return;
    TextLine l = line_at(g_dis_comment_text);
    do {
        if (l.begin < l.end && *l.begin == '#') return;
        uint32_t first, last;
        char word[DIS_COMMENT_WORD_SIZE];
        if (EntryScanner(l).range(first, last, word) && first <= address && address <= last) {
            dis_comment_append(word);
            return;
        }
    } while (next_line(l));
}

}  // namespace

void dis_comment_clear() { g_dis_comment_out[0] = '\0'; }

void dis_comment_append(const char* word) {
    size_t used = std::strlen(g_dis_comment_out);
    size_t sep = used ? 1 : 0;
    size_t n = std::strlen(word);
    if (n == 0 || used + sep + n >= DIS_COMMENT_OUT_SIZE) return;
    if (sep) g_dis_comment_out[used++] = ',';
    std::memcpy(g_dis_comment_out + used, word, n + 1);
}

bool dis_load_comments_from(const char* path) {
    std::FILE* f = fopen_regular(path);
    if (!f) return false;
    long size = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0) {
        std::fclose(f);
        return false;
    }
    char* text = static_cast<char*>(std::malloc(size_t(size) + 1));
    if (!text) {
        std::fclose(f);
        dis_free_comments();  // no memory: no comments
        return false;
    }
    size_t got = std::fread(text, 1, size_t(size), f);
    std::fclose(f);
    if (got != size_t(size)) {
        std::free(text);
        return false;
    }
    for (size_t i = 0; i < got; ++i)
        if (text[i] == '\n') text[i] = '\0';
    text[got] = '\0';
    dis_free_comments();
    g_dis_comment_text = text;
    g_dis_comment_size = got;
    return true;
}

void dis_load_comments() { dis_load_comments_from("comment.lst"); }

void dis_free_comments() {
    std::free(g_dis_comment_text);
    g_dis_comment_text = nullptr;
    g_dis_comment_size = 0;
}

bool dis_comments_loaded() { return g_dis_comment_text != nullptr; }

void dis_comment_for_address(uint32_t address) {
    if (!g_dis_history_mode) section1_lookup(address);
}

void dis_comment_for_access(uint32_t address) { section1_lookup(address); }

void dis_comment_for_value(uint32_t value) {
    if (!g_dis_comment_text) return;
    TextLine l = line_at(g_dis_comment_text);
    while (!(l.begin < l.end && *l.begin == '#')) {
        if (!next_line(l)) return;
    }
    // Section 2 begins with the rest of the "#" line.
    l.begin += 1;
    do {
        if (l.begin < l.end && *l.begin == '#') return;
        uint32_t v;
        char word[DIS_COMMENT_WORD_SIZE];
        if (EntryScanner(l).single(v, word) && v == value) {
            dis_comment_append(word);
            return;
        }
    } while (next_line(l));
}
