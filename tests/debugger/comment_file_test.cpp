// "comment.lst": lookups by address and by value, and reading files that
// end early, run long or hold no entries.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <string>

#include "debugger/comment_file.h"
#include "debugger/disasm.h"

namespace {

class CommentFile : public ::testing::Test {
protected:
    void SetUp() override {
        dis_free_comments();
        dis_comment_clear();
        g_dis_history_mode = 0;
    }
    void TearDown() override {
        dis_free_comments();
        if (!path_.empty()) std::remove(path_.c_str());
    }
    // Writes text as the file and loads it.
    void load(const std::string& text) {
        if (path_.empty()) {
            char name[] = "/tmp/zolm_comment_XXXXXX";
            const int fd = mkstemp(name);
            ASSERT_GE(fd, 0);
            close(fd);
            path_ = name;
        }
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
        ASSERT_TRUE(dis_load_comments_from(path_.c_str()));
    }
    static std::string address_comment(uint32_t a) {
        dis_comment_clear();
        dis_comment_for_address(a);
        return g_dis_comment_out;
    }
    static std::string value_comment(uint32_t v) {
        dis_comment_clear();
        dis_comment_for_value(v);
        return g_dis_comment_out;
    }
    std::string path_;
};

TEST_F(CommentFile, LooksUpAddressesAndValuesBySection) {
    load(
        "[fe0000 fe03ff] ;RANGE\n"
        "[fe0100] ;INSIDE_RANGE\n"
        "plain text between entries\n"
        "[E8E00D]   ;  SysPort  more words\n"
        "[e88001] ;GPIP\r\n"
        "[ 10  20] ;SPACED\n"
        "[123456789] ;TOO_BIG\n"
        "[30 40] no semicolon\n"
        "#\n"
        "[23] ;B_LOCATE\n"
        "[ff] ;LAST\n"
        "#\n"
        "[24] ;AFTER_SECTION_2\n");
    const struct {
        uint32_t address;
        const char* comment;
    } addresses[] = {
        {0xFE0100, "RANGE"},                                           // the first entry that holds it wins
        {0xFE03FF, "RANGE"}, {0xFE0400, ""},   {0xE8E00D, "SysPort"},  // first word only, upper-case digits
        {0xE88001, "GPIP"},                                            // the CR before the LF is white space
        {0x10, "SPACED"},    {0x20, "SPACED"}, {0x21, ""},
        {0x23456789, ""},  // a number past 32 bits makes no entry
        {0x35, ""},        // no comment, no entry
        {0x23, ""},        // section 2 holds values, not addresses
    };
    for (const auto& c : addresses) EXPECT_EQ(address_comment(c.address), c.comment) << std::hex << c.address;
    // clang-format off
    const struct { uint32_t value; const char* comment; } values[] = {
        {0x23, "B_LOCATE"}, {0xFF, "LAST"}, {0x24, ""}, {0xE88001, ""},
        // clang-format on
    };
    for (const auto& c : values) EXPECT_EQ(value_comment(c.value), c.comment) << std::hex << c.value;
}

TEST_F(CommentFile, FirstLineHashStartsSectionTwoOnThatLine) {
    load("#[21] ;B_PRINT\n[22] ;B_COLOR\n#\n");
    EXPECT_EQ(address_comment(0x21), "");
    EXPECT_EQ(value_comment(0x21), "B_PRINT");
    EXPECT_EQ(value_comment(0x22), "B_COLOR");
}

TEST_F(CommentFile, FileEndingWithoutLineFeedOrClosingHash) {
    load("[10 1f] ;LOW\n[e88001] ;GPIP");
    EXPECT_EQ(address_comment(0xE88001), "GPIP");
    EXPECT_EQ(value_comment(0x10), "");  // no section 2 at all
    load("[10] ;LOW\n#\n[21] ;B_PRINT");
    EXPECT_EQ(value_comment(0x21), "B_PRINT");
    EXPECT_EQ(value_comment(0x22), "");
    load("");
    EXPECT_EQ(address_comment(0), "");
    EXPECT_EQ(value_comment(0), "");
}

TEST_F(CommentFile, OverlongLinesAndWordsAreCut) {
    const std::string word(300, 'x');
    load("[" + std::string(290, '0') +
         "1] ;PAST_THE_LINE_BUFFER\n"  // cut inside the number: no entry
         "[e88001] ;" +
         word +
         "\n"
         "[e88003] ;NEXT\n");
    EXPECT_EQ(address_comment(1), "");
    EXPECT_EQ(address_comment(0xE88001), std::string(DIS_COMMENT_WORD_SIZE - 1, 'x'));
    EXPECT_EQ(address_comment(0xE88003), "NEXT");  // the scan goes on after a long line
}

TEST_F(CommentFile, LineCommentsJoinWithCommasAndStayInTheirBuffer) {
    load("[100] ;FIRST\n[200] ;SECOND\n#\n[5] ;VALUE\n#\n");
    dis_comment_clear();
    dis_comment_for_address(0x100);
    dis_comment_for_address(0x200);
    dis_comment_for_value(5);
    EXPECT_STREQ(g_dis_comment_out, "FIRST,SECOND,VALUE");

    dis_comment_clear();
    for (int i = 0; i < 30; i++) dis_comment_append("ABCDEFGH");
    const std::string out = g_dis_comment_out;
    EXPECT_EQ(out.size(), 14u * 9 - 1);  // whole words only: a 15th would not fit
    EXPECT_EQ(out.substr(out.size() - 9), ",ABCDEFGH");
}

TEST_F(CommentFile, HistoryFormSkipsOnlyTheAddressLookup) {
    load("[100] ;FIRST\n#\n");
    g_dis_history_mode = 1;
    EXPECT_EQ(address_comment(0x100), "");
    dis_comment_for_access(0x100);
    EXPECT_STREQ(g_dis_comment_out, "FIRST");
}

TEST_F(CommentFile, FailedLoadKeepsTheTextAndFreeDropsIt) {
    load("[100] ;FIRST\n#\n");
    EXPECT_FALSE(dis_load_comments_from("/nonexistent/comment.lst"));
    EXPECT_EQ(address_comment(0x100), "FIRST");
    dis_free_comments();
    EXPECT_FALSE(dis_comments_loaded());
    EXPECT_EQ(address_comment(0x100), "");
}

}  // namespace
