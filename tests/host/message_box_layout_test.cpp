// The message boxes' layout with the UI font, and their keys: the text as
// drawn, the box within the screen, the buttons Enter, Space and Esc press.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/imgui_fonts.h"
#include "host/message_box_layout.h"

namespace {

constexpr int SCREEN_W = 1280, SCREEN_H = 1024;

BoxSpec no_rom_box() {
    BoxSpec s;
    s.caption = "ZOLM initialize 1";
    s.icon = BoxIcon::information;
    s.text = "iplrom.dat または boot.rom が見つかりません\nドキュメントを参照してください\n";
    s.buttons = {"OK"};
    s.cancel_button = 0;
    return s;
}

BoxSpec virus_box() {
    BoxSpec s;
    s.caption = "X68000用Virusの警告";
    s.framed = "フロッピーディスクのIPL領域の書き換えを検出しました";
    s.text = "ユーザーの意図する動作でない場合には\nウイルスの疑いがあります。\nこの書き込みを許可しますか？";
    s.centred = true;
    s.buttons = {"許可する", "許可しない"};
    s.cancel_button = 1;
    s.check = "ZOLMの再起動まで 警告の必要は無い(許可する時)";
    return s;
}

bool inside(const BoxRect& r, const BoxLayout& lay) {
    return r.x >= 0 && r.y >= 0 && r.x + r.w <= lay.width && r.y + r.h <= lay.height;
}

class BoxLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        context_ = ImGui::CreateContext();
        ImGui::SetCurrentContext(context_);
    }
    void TearDown() override { ImGui::DestroyContext(context_); }
    // The layout with a font made for the box's own texts, as a box makes it.
    BoxLayout lay_out(const BoxSpec& s, int max_w = SCREEN_W, int max_h = SCREEN_H) {
        ImFontAtlas& atlas = *ImGui::GetIO().Fonts;
        atlas.Clear();
        std::vector<std::string> texts = {s.caption, s.framed, s.text, s.check};
        texts.insert(texts.end(), s.buttons.begin(), s.buttons.end());
        imgui_load_ui_font_for(texts, ranges_);
        atlas.Build();
        return box_layout(s, *atlas.Fonts[0], max_w, max_h);
    }
    ImGuiContext* context_ = nullptr;
    ImVector<ImWchar> ranges_;
};

TEST_F(BoxLayoutTest, TheBoxesHoldTheirTextAndFitTheScreen) {
    const BoxLayout no_rom = lay_out(no_rom_box());
    EXPECT_EQ(no_rom.lines, (std::vector<std::string>{"iplrom.dat または boot.rom が見つかりません",
                                                      "ドキュメントを参照してください"}));
    EXPECT_GT(no_rom.icon.w, 0);
    ASSERT_EQ(no_rom.buttons.size(), 1u);

    const BoxLayout virus = lay_out(virus_box());
    EXPECT_EQ(virus.lines, (std::vector<std::string>{"ユーザーの意図する動作でない場合には",
                                                     "ウイルスの疑いがあります。", "この書き込みを許可しますか？"}));
    EXPECT_EQ(virus.icon.w, 0) << "the question has no icon";
    ASSERT_EQ(virus.buttons.size(), 2u);
    EXPECT_LT(virus.buttons[0].x + virus.buttons[0].w, virus.buttons[1].x) << "side by side";

    for (const BoxLayout* lay : {&no_rom, &virus}) {
        // A box about as wide as its longest line: far from the screen's width.
        EXPECT_LE(lay->width, SCREEN_W / 2);
        EXPECT_GE(lay->width, 200);
        EXPECT_FALSE(lay->text_scrolls);
        for (int w : lay->line_widths) EXPECT_LE(w, lay->text.w);
        for (const BoxRect* r : {&lay->icon, &lay->framed, &lay->text, &lay->check}) EXPECT_TRUE(inside(*r, *lay));
        for (const BoxRect& b : lay->buttons) {
            EXPECT_TRUE(inside(b, *lay));
            EXPECT_GE(b.y, lay->text.y + lay->text.h) << "the buttons below the text";
        }
    }
    EXPECT_GE(virus.check.y, virus.buttons[0].y + virus.buttons[0].h) << "the check box below the buttons";
    EXPECT_LE(virus.framed.y + virus.framed.h, virus.text.y) << "the frame above the text";
}

TEST_F(BoxLayoutTest, LongLinesWrapAndTallTextScrollsOnASmallScreen) {
    BoxSpec s = no_rom_box();
    s.text =
        "cannot be put in drive 1: no .DIM image: the header is shorter than 256 bytes; "
        "見つかりません見つかりません見つかりません見つかりません見つかりません";
    const BoxLayout lay = lay_out(s, 300, SCREEN_H);
    EXPECT_LE(lay.width, 300);
    ASSERT_GT(lay.lines.size(), 3u);
    ASSERT_TRUE(s.text.starts_with(lay.lines[0]));
    EXPECT_EQ(s.text[lay.lines[0].size()], ' ') << "wrapped at a space: " << lay.lines[0];
    std::string joined;
    for (size_t i = 0; i < lay.lines.size(); i++) {
        EXPECT_LE(lay.line_widths[i], lay.text.w) << lay.lines[i];
        joined += lay.lines[i];
    }
    EXPECT_NE(joined.find("見つかりません見つかりません"), std::string::npos) << "Japanese breaks between characters";
    for (const BoxRect& b : lay.buttons) EXPECT_TRUE(inside(b, lay));

    std::string many;
    for (int i = 0; i < 200; i++) many += "line " + std::to_string(i) + "\n";
    s.text = many;
    const BoxLayout tall = lay_out(s, SCREEN_W, 400);
    EXPECT_LE(tall.height, 400);
    EXPECT_TRUE(tall.text_scrolls);
    EXPECT_EQ(tall.lines.size(), 200u);
    for (const BoxRect& b : tall.buttons) EXPECT_TRUE(inside(b, tall));
}

TEST(BoxKeys, EnterSpaceAndEscPressTheButtonsAUserExpects) {
    using K = BoxKey;
    struct Case {
        const char* what;
        BoxSpec spec;
        std::vector<BoxKey> keys;
        int pressed;
        bool checked;
    };
    BoxSpec notice;
    notice.text = "wait";
    BoxSpec question;
    question.buttons = {"Yes", "No"};
    question.cancel_button = 1;
    BoxSpec no_cancel = question;
    no_cancel.cancel_button = -1;
    const Case cases[] = {
        {"Enter: the default", no_rom_box(), {K::enter}, 0, false},
        {"Esc on an OK box: OK", no_rom_box(), {K::escape}, 0, false},
        {"Esc: the cancel button", question, {K::escape}, 1, false},
        {"Esc without a cancel button: nothing", no_cancel, {K::escape}, -1, false},
        {"Tab, then Enter", question, {K::next, K::enter}, 1, false},
        {"Space presses the focused button", question, {K::previous, K::space}, 1, false},
        {"around the ring", question, {K::next, K::next, K::enter}, 0, false},
        {"Space ticks the check box, Enter allows", virus_box(), {K::next, K::next, K::space, K::enter}, 0, true},
        {"ticked, then refused with Esc", virus_box(), {K::previous, K::space, K::escape}, 1, true},
        {"a notice takes no key", notice, {K::enter, K::escape, K::space}, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        BoxInput in = box_input_start(c.spec);
        for (BoxKey k : c.keys) box_key(c.spec, in, k);
        EXPECT_EQ(in.pressed, c.pressed);
        EXPECT_EQ(in.checked, c.checked);
    }
}

}  // namespace
