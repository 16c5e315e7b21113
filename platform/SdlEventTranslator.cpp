#include "platform/SdlEventTranslator.h"

#include "platform/KeyCodes.h"

namespace {
constexpr int kNoButton = -100;
}  // namespace

int SdlEventTranslator::PressClickCount(uint8_t button, uint8_t clicks) {
    const bool isDouble = clicks >= 2 && clicks % 2 == 0;
    switch (button) {
        case SDL_BUTTON_LEFT:
            return isDouble ? 2 : 1;
        case SDL_BUTTON_RIGHT:
            return isDouble ? -2 : -1;
        case SDL_BUTTON_MIDDLE:
            return 0;
        default:
            return kNoButton;
    }
}

int SdlEventTranslator::ReleaseClickCount(uint8_t button) {
    switch (button) {
        case SDL_BUTTON_LEFT:
            return 1;
        case SDL_BUTTON_RIGHT:
            return -1;
        case SDL_BUTTON_MIDDLE:
            return 0;
        default:
            return kNoButton;
    }
}

void SdlEventTranslator::Translate(const SDL_Event& event, PlatformEventSink& sink) {
    switch (event.type) {
        case SDL_QUIT:
            sink.OnCloseRequested();
            break;
        case SDL_MOUSEMOTION:
            sink.OnMouseMove(event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN: {
            const int count = PressClickCount(event.button.button, event.button.clicks);
            if (count != kNoButton) {
                sink.OnMouseDown(event.button.x, event.button.y, count);
            }
            break;
        }
        case SDL_MOUSEBUTTONUP: {
            const int count = ReleaseClickCount(event.button.button);
            if (count != kNoButton) {
                sink.OnMouseUp(event.button.x, event.button.y, count);
            }
            break;
        }
        case SDL_MOUSEWHEEL: {
            int steps = event.wheel.y;
            if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
                steps = -steps;
            }
            if (steps != 0) {
                sink.OnMouseWheel(steps * PlatformEventSink::kWheelUnit);
            }
            break;
        }
        case SDL_KEYDOWN: {
            const SDL_Keycode key = event.key.keysym.sym;
            const int code = TranslateKeyCode(key);
            if (code != 0) {
                sink.OnKeyDown(code);
            }
            const bool ctrl = (event.key.keysym.mod & KMOD_CTRL) != 0;
            const int c = ControlCharForKey(key, ctrl);
            if (c >= 0) {
                sink.OnKeyChar(static_cast<char>(c));
            }
            break;
        }
        case SDL_KEYUP: {
            const int code = TranslateKeyCode(event.key.keysym.sym);
            if (code != 0) {
                sink.OnKeyUp(code);
            }
            break;
        }
        case SDL_TEXTINPUT: {
            // Text typed with Ctrl held is a shortcut, delivered above as a control character.
            if ((SDL_GetModState() & KMOD_CTRL) != 0) {
                break;
            }
            // The game's text is UTF-8: the bytes go on as they come, one call each; a text
            // field puts a character's bytes back together.
            for (const char* c = event.text.text; *c != '\0'; ++c) {
                sink.OnKeyChar(*c);
            }
            break;
        }
        case SDL_WINDOWEVENT:
            switch (event.window.event) {
                case SDL_WINDOWEVENT_FOCUS_GAINED:
                    sink.OnFocusGained();
                    break;
                case SDL_WINDOWEVENT_FOCUS_LOST:
                    if (mCaptured) {
                        mCaptured = false;
                        sink.OnCaptureLost();
                    }
                    sink.OnFocusLost();
                    break;
                case SDL_WINDOWEVENT_MINIMIZED:
                    sink.OnMinimized(true);
                    break;
                case SDL_WINDOWEVENT_RESTORED:
                case SDL_WINDOWEVENT_MAXIMIZED:
                    sink.OnMinimized(false);
                    break;
                case SDL_WINDOWEVENT_LEAVE:
                    sink.OnMouseLeave();
                    break;
                case SDL_WINDOWEVENT_CLOSE:
                    sink.OnCloseRequested();
                    break;
                case SDL_WINDOWEVENT_SIZE_CHANGED:
                    sink.OnWindowResized();
                    break;
                default:
                    break;
            }
            break;
        default:
            break;
    }
}
