#include "host/sjis_text.h"

#include <iconv.h>
#include <cerrno>

namespace {

constexpr char CODE_SJIS[] = "CP932";
constexpr char CODE_UTF8[] = "UTF-8";

// One iconv descriptor per direction and thread, opened on first use.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool run(std::string_view in, std::string& out) {
        out.clear();
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return false;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t src_left = in.size();
        char buffer[256];
        while (src_left > 0) {
            char* dst = buffer;
            size_t dst_left = sizeof buffer;
            size_t r = iconv(cd_, &src, &src_left, &dst, &dst_left);
            out.append(buffer, size_t(dst - buffer));
            if (r == size_t(-1) && errno != E2BIG) return false;
        }
        char* dst = buffer;
        size_t dst_left = sizeof buffer;
        if (iconv(cd_, nullptr, nullptr, &dst, &dst_left) == size_t(-1)) return false;
        out.append(buffer, size_t(dst - buffer));
        return true;
    }

private:
    iconv_t cd_;
};

}  // namespace

bool sjis_to_utf8(std::string_view sjis, std::string& utf8) {
    thread_local Converter conv(CODE_UTF8, CODE_SJIS);
    return conv.run(sjis, utf8);
}

bool utf8_to_sjis(std::string_view utf8, std::string& sjis) {
    thread_local Converter conv(CODE_SJIS, CODE_UTF8);
    return conv.run(utf8, sjis);
}

size_t sjis_cut(std::string_view s, size_t max) {
    size_t i = 0;
    while (i < s.size()) {
        size_t n = sjis_char_length(s, i);
        if (i + n > max) break;
        i += n;
    }
    return i;
}
