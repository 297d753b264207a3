// The repeat count of the message boxes, on a clock the test moves.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "host/message_box.h"
#include "host/virus_question.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

Clock::time_point g_now;
Clock::time_point test_clock() { return g_now; }

std::vector<std::string> g_shown;  // "caption: text" of each box the back end showed
milliseconds g_answer_takes{0};    // how long the back end waits for the answer
MessageBoxAnswer record(const char* text, const char* caption, MessageBoxKind kind) {
    g_shown.push_back(std::string(caption) + ": " + text);
    g_now += g_answer_takes;
    return kind == MB_QUESTION ? MB_ANSWER_NO : MB_ANSWER_OK;
}

class MessageBoxRepeats : public ::testing::Test {
protected:
    void SetUp() override {
        saved_backend_ = g_message_box_backend;
        saved_clock_ = g_message_box_clock;
        g_message_box_backend = record;
        g_message_box_clock = test_clock;
        host_message_box_flush();
        g_shown.clear();
        g_answer_takes = milliseconds(0);
    }
    void TearDown() override {
        host_message_box_flush();
        g_message_box_backend = saved_backend_;
        g_message_box_clock = saved_clock_;
    }
    // Shows a box after the clock moved by after.
    static MessageBoxAnswer box(const char* text, milliseconds after = milliseconds(1),
                                const char* caption = "MPU HALT", MessageBoxKind kind = MB_INFO) {
        g_now += after;
        return host_message_box(text, caption, kind);
    }
    MessageBoxBackend saved_backend_ = nullptr;
    MessageBoxClock saved_clock_ = nullptr;
};

TEST_F(MessageBoxRepeats, ATightLoopShowsOneBoxAndItsCountAtTheFlush) {
    for (int i = 0; i < 100000; i++) box("double buss halt\nPC=FF0008");
    EXPECT_EQ(g_shown, std::vector<std::string>{"MPU HALT: double buss halt\nPC=FF0008"});
    host_message_box_flush();
    EXPECT_EQ(g_shown.back(), "MPU HALT: double buss halt (repeated 99999 times)");
    EXPECT_EQ(g_shown.size(), 2u);
    // The flush forgot the box: the same again is shown.
    box("double buss halt\nPC=FF0008");
    EXPECT_EQ(g_shown.size(), 3u);
}

TEST_F(MessageBoxRepeats, CountEndsAtADifferentBoxOrAfterTheSpan) {
    const milliseconds span = MESSAGE_REPEAT_SPAN, near = span - milliseconds(1), soon{1};
    // clang-format off
    struct Step { const char* text; milliseconds after; const char* caption; MessageBoxKind kind; };
    struct Case { const char* what; std::vector<Step> steps; std::vector<std::string> shown; };
    // clang-format on
    const Case cases[] = {
        {"a different text",
         {{"A", near, "C", MB_INFO}, {"A", near, "C", MB_INFO}, {"B", near, "C", MB_INFO}},
         {"C: A", "C: A (repeated 1 time)", "C: B"}},
        {"a different caption", {{"A", near, "C", MB_INFO}, {"A", near, "D", MB_INFO}}, {"C: A", "D: A"}},
        {"a different kind", {{"A", near, "C", MB_INFO}, {"A", near, "C", MB_ERROR}}, {"C: A", "C: A"}},
        {"gaps under the span, however long in all",
         {{"A", near, "C", MB_INFO}, {"A", near, "C", MB_INFO}, {"A", near, "C", MB_INFO}, {"A", near, "C", MB_INFO}},
         {"C: A"}},
        {"two boxes that take turns, then another",
         {{"A", soon, "C", MB_INFO},
          {"B", soon, "C", MB_INFO},
          {"A", soon, "C", MB_INFO},
          {"B", soon, "C", MB_INFO},
          {"D", soon, "C", MB_INFO}},
         {"C: A", "C: B", "C: A (repeated 1 time)", "C: B (repeated 1 time)", "C: D"}},
        {"a gap of the span",
         {{"A", near, "C", MB_INFO}, {"A", near, "C", MB_INFO}, {"A", near, "C", MB_INFO}, {"A", span, "C", MB_INFO}},
         {"C: A", "C: A (repeated 2 times)", "C: A"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host_message_box_flush();
        g_shown.clear();
        for (const Step& s : c.steps) box(s.text, s.after, s.caption, s.kind);
        EXPECT_EQ(g_shown, c.shown);
    }
}

TEST_F(MessageBoxRepeats, BoxesThatTakeTurnsAreCountedEach) {
    // Two halts at two PCs, over and over.
    for (int i = 0; i < 100000; i++) box(i % 2 ? "halt\nPC=1000" : "halt\nPC=2000");
    host_message_box_flush();
    EXPECT_EQ(g_shown, (std::vector<std::string>{"MPU HALT: halt\nPC=2000", "MPU HALT: halt\nPC=1000",
                                                 "MPU HALT: halt (repeated 49999 times)",
                                                 "MPU HALT: halt (repeated 49999 times)"}));
    // Only the last few different boxes are told apart: nine in turn show each time.
    g_shown.clear();
    const char* nine[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    for (int round = 0; round < 3; round++)
        for (const char* text : nine) box(text, MESSAGE_REPEAT_SPAN / 10);
    EXPECT_EQ(g_shown.size(), 27u);
}

TEST_F(MessageBoxRepeats, AStormOfDifferentBoxesIsCutShort) {
    for (int i = 0; i < 1000; i++) box(("halt\nPC=" + std::to_string(i)).c_str());
    ASSERT_EQ(g_shown.size(), 16u);
    EXPECT_EQ(g_shown.back(), "MPU HALT: halt\nPC=15");
    // A question is shown all the same, the number held back first.
    EXPECT_EQ(box("Go on?", milliseconds(1), "Q", MB_QUESTION), MB_ANSWER_NO);
    ASSERT_EQ(g_shown.size(), 18u);
    EXPECT_EQ(g_shown[16], "MPU HALT: 984 more boxes were not shown");
    EXPECT_EQ(g_shown[17], "Q: Go on?");
    // Held back till the span is over; then new boxes are shown again.
    box("halt\nPC=x");
    box("halt\nPC=again", MESSAGE_REPEAT_SPAN);
    host_message_box_flush();
    EXPECT_EQ(std::vector<std::string>(g_shown.begin() + 18, g_shown.end()),
              (std::vector<std::string>{"MPU HALT: 1 more box was not shown", "MPU HALT: halt\nPC=again"}));
}

TEST_F(MessageBoxRepeats, RepeatsGetTheAnswerOfTheShownBox) {
    EXPECT_EQ(box("Write the boot setting?", milliseconds(1), "Virus", MB_QUESTION), MB_ANSWER_NO);
    EXPECT_EQ(box("Write the boot setting?", milliseconds(1), "Virus", MB_QUESTION), MB_ANSWER_NO);
    EXPECT_EQ(g_shown.size(), 1u);
}

TEST_F(MessageBoxRepeats, HeadlessVirusQuestionIsWrittenOnceThenCounted) {
    // A guest that rewrites the boot sector at every write: one question,
    // then its count; every write is allowed.
    const VirusQuestionText text{"Virus", "boot sector", "Allow?", "allow", "refuse", "quiet"};
    for (int i = 0; i < 1000; i++) EXPECT_EQ(host_virus_question_headless(text), VirusAnswer::no_dialog);
    host_message_box_flush();
    EXPECT_EQ(g_shown,
              (std::vector<std::string>{"Virus: boot sector\nAllow?", "Virus: boot sector (repeated 999 times)"}));
}

TEST_F(MessageBoxRepeats, SpanIsMeasuredFromTheAnswer) {
    // The user took longer than the span over the box; the next one is still a repeat.
    g_answer_takes = MESSAGE_REPEAT_SPAN * 5;
    box("A");
    box("A");
    EXPECT_EQ(g_shown.size(), 1u);
}

}  // namespace
