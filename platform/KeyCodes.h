#pragma once
// Key codes as the widgets expect them: the virtual-key numbering of the original desktop
// platform (letters and digits are their upper-case ASCII codes). The one table that maps the
// window system's keys onto them lives in KeyCodes.cpp.

#include <cstdint>

namespace vk {
constexpr int kBack = 0x08;
constexpr int kTab = 0x09;
constexpr int kReturn = 0x0D;
constexpr int kShift = 0x10;
constexpr int kControl = 0x11;
constexpr int kMenu = 0x12;  // Alt
constexpr int kPause = 0x13;
constexpr int kCapital = 0x14;
constexpr int kEscape = 0x1B;
constexpr int kSpace = 0x20;
constexpr int kPrior = 0x21;
constexpr int kNext = 0x22;
constexpr int kEnd = 0x23;
constexpr int kHome = 0x24;
constexpr int kLeft = 0x25;
constexpr int kUp = 0x26;
constexpr int kRight = 0x27;
constexpr int kDown = 0x28;
constexpr int kSnapshot = 0x2C;
constexpr int kInsert = 0x2D;
constexpr int kDelete = 0x2E;
constexpr int k0 = 0x30;
constexpr int kA = 0x41;
constexpr int kLWin = 0x5B;
constexpr int kRWin = 0x5C;
constexpr int kApps = 0x5D;
constexpr int kNumpad0 = 0x60;
constexpr int kMultiply = 0x6A;
constexpr int kAdd = 0x6B;
constexpr int kSubtract = 0x6D;
constexpr int kDecimal = 0x6E;
constexpr int kDivide = 0x6F;
constexpr int kF1 = 0x70;
constexpr int kNumLock = 0x90;
constexpr int kScroll = 0x91;
constexpr int kOem1 = 0xBA;  // ;
constexpr int kOemPlus = 0xBB;
constexpr int kOemComma = 0xBC;
constexpr int kOemMinus = 0xBD;
constexpr int kOemPeriod = 0xBE;
constexpr int kOem2 = 0xBF;  // /
constexpr int kOem3 = 0xC0;  // `
constexpr int kOem4 = 0xDB;  // [
constexpr int kOem5 = 0xDC;  // backslash
constexpr int kOem6 = 0xDD;  // ]
constexpr int kOem7 = 0xDE;  // '
}  // namespace vk

// The virtual-key code of a window-system key code (an SDL_Keycode); 0 for keys the game has no
// code for. Left and right modifier keys give the same code, as the widgets expect.
int TranslateKeyCode(int32_t sdlKeycode);

// The control character that a key typed with Ctrl (ctrlHeld) or on its own produces, as the
// text widgets expect it through KeyChar: Backspace 8, Tab 9, Enter 13, Escape 27, and with Ctrl
// held C 3, V 22, X 24, Z 26. -1 when the key types no control character.
int ControlCharForKey(int32_t sdlKeycode, bool ctrlHeld);
