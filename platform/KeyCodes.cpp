#include "platform/KeyCodes.h"

#include <SDL.h>

#include <iterator>

namespace {

struct KeyEntry {
    SDL_Keycode key;
    int virtualKey;
};

// The one translation table: every key the game can see, window-system code to virtual-key code.
constexpr KeyEntry kKeyTable[] = {
    {SDLK_BACKSPACE, vk::kBack},
    {SDLK_TAB, vk::kTab},
    {SDLK_RETURN, vk::kReturn},
    {SDLK_KP_ENTER, vk::kReturn},
    {SDLK_LSHIFT, vk::kShift},
    {SDLK_RSHIFT, vk::kShift},
    {SDLK_LCTRL, vk::kControl},
    {SDLK_RCTRL, vk::kControl},
    {SDLK_LALT, vk::kMenu},
    {SDLK_RALT, vk::kMenu},
    {SDLK_PAUSE, vk::kPause},
    {SDLK_CAPSLOCK, vk::kCapital},
    {SDLK_ESCAPE, vk::kEscape},
    {SDLK_SPACE, vk::kSpace},
    {SDLK_PAGEUP, vk::kPrior},
    {SDLK_PAGEDOWN, vk::kNext},
    {SDLK_END, vk::kEnd},
    {SDLK_HOME, vk::kHome},
    {SDLK_LEFT, vk::kLeft},
    {SDLK_UP, vk::kUp},
    {SDLK_RIGHT, vk::kRight},
    {SDLK_DOWN, vk::kDown},
    {SDLK_PRINTSCREEN, vk::kSnapshot},
    {SDLK_INSERT, vk::kInsert},
    {SDLK_DELETE, vk::kDelete},
    {SDLK_0, vk::k0 + 0},
    {SDLK_1, vk::k0 + 1},
    {SDLK_2, vk::k0 + 2},
    {SDLK_3, vk::k0 + 3},
    {SDLK_4, vk::k0 + 4},
    {SDLK_5, vk::k0 + 5},
    {SDLK_6, vk::k0 + 6},
    {SDLK_7, vk::k0 + 7},
    {SDLK_8, vk::k0 + 8},
    {SDLK_9, vk::k0 + 9},
    {SDLK_a, vk::kA + 0},
    {SDLK_b, vk::kA + 1},
    {SDLK_c, vk::kA + 2},
    {SDLK_d, vk::kA + 3},
    {SDLK_e, vk::kA + 4},
    {SDLK_f, vk::kA + 5},
    {SDLK_g, vk::kA + 6},
    {SDLK_h, vk::kA + 7},
    {SDLK_i, vk::kA + 8},
    {SDLK_j, vk::kA + 9},
    {SDLK_k, vk::kA + 10},
    {SDLK_l, vk::kA + 11},
    {SDLK_m, vk::kA + 12},
    {SDLK_n, vk::kA + 13},
    {SDLK_o, vk::kA + 14},
    {SDLK_p, vk::kA + 15},
    {SDLK_q, vk::kA + 16},
    {SDLK_r, vk::kA + 17},
    {SDLK_s, vk::kA + 18},
    {SDLK_t, vk::kA + 19},
    {SDLK_u, vk::kA + 20},
    {SDLK_v, vk::kA + 21},
    {SDLK_w, vk::kA + 22},
    {SDLK_x, vk::kA + 23},
    {SDLK_y, vk::kA + 24},
    {SDLK_z, vk::kA + 25},
    {SDLK_LGUI, vk::kLWin},
    {SDLK_RGUI, vk::kRWin},
    {SDLK_APPLICATION, vk::kApps},
    {SDLK_KP_0, vk::kNumpad0 + 0},
    {SDLK_KP_1, vk::kNumpad0 + 1},
    {SDLK_KP_2, vk::kNumpad0 + 2},
    {SDLK_KP_3, vk::kNumpad0 + 3},
    {SDLK_KP_4, vk::kNumpad0 + 4},
    {SDLK_KP_5, vk::kNumpad0 + 5},
    {SDLK_KP_6, vk::kNumpad0 + 6},
    {SDLK_KP_7, vk::kNumpad0 + 7},
    {SDLK_KP_8, vk::kNumpad0 + 8},
    {SDLK_KP_9, vk::kNumpad0 + 9},
    {SDLK_KP_MULTIPLY, vk::kMultiply},
    {SDLK_KP_PLUS, vk::kAdd},
    {SDLK_KP_MINUS, vk::kSubtract},
    {SDLK_KP_PERIOD, vk::kDecimal},
    {SDLK_KP_DIVIDE, vk::kDivide},
    {SDLK_F1, vk::kF1 + 0},
    {SDLK_F2, vk::kF1 + 1},
    {SDLK_F3, vk::kF1 + 2},
    {SDLK_F4, vk::kF1 + 3},
    {SDLK_F5, vk::kF1 + 4},
    {SDLK_F6, vk::kF1 + 5},
    {SDLK_F7, vk::kF1 + 6},
    {SDLK_F8, vk::kF1 + 7},
    {SDLK_F9, vk::kF1 + 8},
    {SDLK_F10, vk::kF1 + 9},
    {SDLK_F11, vk::kF1 + 10},
    {SDLK_F12, vk::kF1 + 11},
    {SDLK_NUMLOCKCLEAR, vk::kNumLock},
    {SDLK_SCROLLLOCK, vk::kScroll},
    {SDLK_SEMICOLON, vk::kOem1},
    {SDLK_EQUALS, vk::kOemPlus},
    {SDLK_COMMA, vk::kOemComma},
    {SDLK_MINUS, vk::kOemMinus},
    {SDLK_PERIOD, vk::kOemPeriod},
    {SDLK_SLASH, vk::kOem2},
    {SDLK_BACKQUOTE, vk::kOem3},
    {SDLK_LEFTBRACKET, vk::kOem4},
    {SDLK_BACKSLASH, vk::kOem5},
    {SDLK_RIGHTBRACKET, vk::kOem6},
    {SDLK_QUOTE, vk::kOem7},
};

}  // namespace

int TranslateKeyCode(int32_t sdlKeycode) {
    for (const KeyEntry& entry : kKeyTable) {
        if (entry.key == sdlKeycode) {
            return entry.virtualKey;
        }
    }
    return 0;
}

int ControlCharForKey(int32_t sdlKeycode, bool ctrlHeld) {
    switch (sdlKeycode) {
        case SDLK_BACKSPACE:
            return 8;
        case SDLK_TAB:
            return 9;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return 13;
        case SDLK_ESCAPE:
            return 27;
        default:
            break;
    }
    if (ctrlHeld) {
        switch (sdlKeycode) {
            case SDLK_c:
                return 3;
            case SDLK_v:
                return 22;
            case SDLK_x:
                return 24;
            case SDLK_z:
                return 26;
            default:
                break;
        }
    }
    return -1;
}
