// A board view stand-in for frame tests: an empty widget that allows every
// command, runs none, and records the full-screen states handed to it.
#pragma once

#include <QRect>
#include <QWidget>

#include <string>
#include <vector>

#include "shell/frame_view.h"

namespace gz::testing {

class NullFrameView : public FrameView {
public:
    QWidget* widget() override { return &w; }
    bool commandEnabled(int) override { return true; }
    bool commandChecked(int) override { return false; }
    void runCommand(int) override {}
    void setZoomState(int state, const QRect& r) override
    {
        states.push_back(state);
        rects.push_back(r);
    }
    void setPicturePath(const std::string&) override {}
    void viewClosing() override {}
    QWidget* companionWindow() override { return companion; }

    QWidget w;
    std::vector<int> states;
    std::vector<QRect> rects;
    QWidget* companion = nullptr;   // a game master's window, when a test sets one
};

}  // namespace gz::testing
