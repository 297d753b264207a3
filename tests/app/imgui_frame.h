// An ImGui context without a window: display size set, fonts built.
#pragma once

#include <gtest/gtest.h>

#include <imgui.h>

class ImGuiFrames : public ::testing::Test {
protected:
    ImGuiContext* context = nullptr;
    void SetUp() override {
        context = ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(800, 600);
        io.DeltaTime = 1.0f / 60;
        io.IniFilename = nullptr;
        unsigned char* pixels;
        int w, h;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    }
    void TearDown() override { ImGui::DestroyContext(context); }
    // n frames, each drawing with draw().
    template <typename F> void frames(int n, F draw) {
        for (int i = 0; i < n; ++i) {
            ImGui::NewFrame();
            draw();
            ImGui::Render();
        }
    }
};
