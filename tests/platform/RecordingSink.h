#pragma once
// Records every call of the platform's event sink as a short text, for comparing sequences.

#include <string>
#include <vector>

#include "platform/PlatformEventSink.h"

class RecordingSink : public PlatformEventSink {
public:
    std::vector<std::string> calls;

    void OnMouseMove(int x, int y) override { Add("move " + Num(x) + " " + Num(y)); }
    void OnMouseDown(int x, int y, int c) override {
        Add("down " + Num(x) + " " + Num(y) + " " + Num(c));
    }
    void OnMouseUp(int x, int y, int c) override {
        Add("up " + Num(x) + " " + Num(y) + " " + Num(c));
    }
    void OnMouseWheel(int delta) override { Add("wheel " + Num(delta)); }
    void OnMouseLeave() override { Add("leave"); }
    void OnCaptureLost() override { Add("capture-lost"); }
    void OnKeyDown(int k) override { Add("keydown " + Num(k)); }
    void OnKeyUp(int k) override { Add("keyup " + Num(k)); }
    void OnKeyChar(char c) override { Add("char " + Num(static_cast<unsigned char>(c))); }
    void OnFocusGained() override { Add("focus"); }
    void OnFocusLost() override { Add("unfocus"); }
    void OnMinimized(bool minimized) override { Add(minimized ? "minimized" : "restored"); }
    void OnCloseRequested() override { Add("close"); }
    void OnWindowResized() override { Add("resized"); }

private:
    static std::string Num(int v) { return std::to_string(v); }
    void Add(std::string s) { calls.push_back(std::move(s)); }
};
