#pragma once
// The cursor numbers that widgets and the application pass to SetCursor; the platform maps
// each to a system cursor (or hides it for kNone).

namespace cursor {
constexpr int kArrow = 0;
constexpr int kHand = 1;
constexpr int kGrab = 2;  // the slider's grab cursor
constexpr int kText = 3;
constexpr int kNone = 11;
}  // namespace cursor
