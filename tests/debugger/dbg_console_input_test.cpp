// The debugger's input lines: one line is one command whatever its length
// or its bytes; CR LF ends a line as LF does; a last line without its end
// is still a line; then the end of the input.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "debugger/dbg_console_input.h"

namespace {

using namespace std::string_literals;

TEST(DbgLineReader, WholeLinesThenTheEnd) {
    const std::string huge(3 << 20, 'x');
    const std::string input = "h 5\r\n"s + huge + "\n\nd\0b 0\n"s + "exi";
    FILE* f = std::tmpfile();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(input.data(), 1, input.size(), f), input.size());
    std::fflush(f);
    std::rewind(f);
    DbgLineReader reader(fileno(f));
    std::vector<std::string> lines;
    for (std::string line; reader.next(line);) lines.push_back(line);
    const std::vector<std::string> expected = {"h 5", huge, "", "d\0b 0"s, "exi"};
    EXPECT_EQ(lines, expected);
    std::string after;
    EXPECT_FALSE(reader.next(after));
    std::fclose(f);
}

TEST(DbgLineReader, AReadErrorEndsTheInput) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    close(fds[1]);
    DbgLineReader reader(fds[0]);  // closed: poll and read fail
    std::string line;
    EXPECT_FALSE(reader.next(line));
}

}  // namespace
