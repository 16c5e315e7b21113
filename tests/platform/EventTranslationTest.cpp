// The one key table, typed characters, click counts and the window events, fed to the
// translator directly and, once, through the real SDL event queue of an offscreen window.

#include <SDL.h>
#include <gtest/gtest.h>

#include "RecordingSink.h"
#include "platform/KeyCodes.h"
#include "platform/SdlEventTranslator.h"
#include "platform/SdlPlatform.h"

namespace {

SDL_Event Button(Uint32 type, Uint8 button, Uint8 clicks, int x = 10, int y = 20) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.clicks = clicks;
    e.button.x = x;
    e.button.y = y;
    return e;
}

SDL_Event Key(Uint32 type, SDL_Keycode sym, Uint16 mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    return e;
}

SDL_Event Window(Uint8 which) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = which;
    return e;
}

}  // namespace

TEST(KeyTable, MapsKeysToVirtualKeyCodes) {
    EXPECT_EQ(TranslateKeyCode(SDLK_a), 0x41);
    EXPECT_EQ(TranslateKeyCode(SDLK_z), 0x5A);
    EXPECT_EQ(TranslateKeyCode(SDLK_0), 0x30);
    EXPECT_EQ(TranslateKeyCode(SDLK_9), 0x39);
    EXPECT_EQ(TranslateKeyCode(SDLK_F1), 0x70);
    EXPECT_EQ(TranslateKeyCode(SDLK_F12), 0x7B);
    EXPECT_EQ(TranslateKeyCode(SDLK_LSHIFT), 16);
    EXPECT_EQ(TranslateKeyCode(SDLK_RSHIFT), 16);
    EXPECT_EQ(TranslateKeyCode(SDLK_RCTRL), 17);
    EXPECT_EQ(TranslateKeyCode(SDLK_TAB), 9);
    EXPECT_EQ(TranslateKeyCode(SDLK_RETURN), 13);
    EXPECT_EQ(TranslateKeyCode(SDLK_KP_ENTER), 13);
    EXPECT_EQ(TranslateKeyCode(SDLK_ESCAPE), 27);
    EXPECT_EQ(TranslateKeyCode(SDLK_SPACE), 32);
    EXPECT_EQ(TranslateKeyCode(SDLK_LEFT), 0x25);
    EXPECT_EQ(TranslateKeyCode(SDLK_DOWN), 0x28);
    EXPECT_EQ(TranslateKeyCode(SDLK_DELETE), 0x2E);
    EXPECT_EQ(TranslateKeyCode(SDLK_KP_5), 0x65);
    EXPECT_EQ(TranslateKeyCode(SDLK_MINUS), 0xBD);
    EXPECT_EQ(TranslateKeyCode(SDLK_VOLUMEUP), 0);  // keys the game has no code for
}

TEST(KeyTable, ControlCharactersAndTypedText) {
    EXPECT_EQ(ControlCharForKey(SDLK_c, true), 3);
    EXPECT_EQ(ControlCharForKey(SDLK_v, true), 22);
    EXPECT_EQ(ControlCharForKey(SDLK_x, true), 24);
    EXPECT_EQ(ControlCharForKey(SDLK_z, true), 26);
    EXPECT_EQ(ControlCharForKey(SDLK_c, false), -1);
    EXPECT_EQ(ControlCharForKey(SDLK_a, true), -1);
    EXPECT_EQ(ControlCharForKey(SDLK_BACKSPACE, false), 8);
    EXPECT_EQ(ControlCharForKey(SDLK_RETURN, false), 13);
}

TEST(EventTranslator, ClickCountsWithDoublePresses) {
    SdlEventTranslator t;
    RecordingSink sink;
    t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 1), sink);
    t.Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1), sink);
    t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 2), sink);
    t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 3), sink);  // a new single press
    t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1), sink);
    t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 2), sink);
    t.Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 2), sink);
    t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 2), sink);
    t.Translate(Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1), sink);
    t.Translate(Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1), sink);  // ignored
    const std::vector<std::string> expected = {"down 10 20 1", "up 10 20 1",    "down 10 20 2",
                                               "down 10 20 1", "down 10 20 -1", "down 10 20 -2",
                                               "up 10 20 -1",  "down 10 20 0",  "up 10 20 0"};
    EXPECT_EQ(sink.calls, expected);
}

TEST(EventTranslator, KeysWheelFocusAndCaptureLoss) {
    SdlEventTranslator t;
    RecordingSink sink;
    t.Translate(Key(SDL_KEYDOWN, SDLK_c, KMOD_LCTRL), sink);
    t.Translate(Key(SDL_KEYUP, SDLK_c, KMOD_LCTRL), sink);
    t.Translate(Key(SDL_KEYDOWN, SDLK_BACKSPACE), sink);
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.y = -2;
    t.Translate(wheel, sink);
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    t.Translate(wheel, sink);
    t.Translate(Window(SDL_WINDOWEVENT_LEAVE), sink);
    t.Translate(Window(SDL_WINDOWEVENT_FOCUS_LOST), sink);  // not captured: no capture loss
    t.SetCaptured(true);
    t.Translate(Window(SDL_WINDOWEVENT_FOCUS_LOST), sink);
    EXPECT_FALSE(t.IsCaptured());
    t.Translate(Window(SDL_WINDOWEVENT_FOCUS_GAINED), sink);
    t.Translate(Window(SDL_WINDOWEVENT_CLOSE), sink);
    const std::vector<std::string> expected = {
        "keydown 67", "char 3",  "keyup 67",     "keydown 8", "char 8", "wheel -240", "wheel 240",
        "leave",      "unfocus", "capture-lost", "unfocus",   "focus",  "close"};
    EXPECT_EQ(sink.calls, expected);
}

// The real window under the offscreen driver: a GL 3.3 core context, and events pushed into
// SDL's queue come out of PumpEvents translated.
TEST(SdlPlatform, OffscreenWindowPumpsTranslatedEvents) {
    SdlPlatform platform;
    std::string error;
    ASSERT_TRUE(platform.OpenWindow("test", 1024, 768, true, false, &error)) << error;
    int major = 0;
    int profile = 0;
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &major);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_EQ(major, 3);
    EXPECT_EQ(profile, SDL_GL_CONTEXT_PROFILE_CORE);
    const PlatformRect view = platform.GetViewport();
    EXPECT_EQ(view.width, 1024);
    EXPECT_EQ(view.height, 768);

    RecordingSink drain;
    platform.PumpEvents(drain);  // window-creation events
    RecordingSink sink;
    SDL_Event down = Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 2, 5, 6);
    SDL_PushEvent(&down);
    SDL_Event key = Key(SDL_KEYDOWN, SDLK_v, KMOD_RCTRL);
    SDL_PushEvent(&key);
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    SDL_strlcpy(text.text.text, "\xC3\xBC", sizeof(text.text.text));  // ü
    SDL_PushEvent(&text);
    platform.PumpEvents(sink);
    // Typed text goes on as its UTF-8 bytes.
    const std::vector<std::string> expected = {"down 5 6 -2", "keydown 86", "char 22", "char 195",
                                               "char 188"};
    EXPECT_EQ(sink.calls, expected);

    platform.BeginFrame(true);
    EXPECT_TRUE(platform.Present(nullptr));
    platform.SetSystemCursor(1);
    platform.SetSystemCursor(11);
    const uint32_t pixels[4] = {0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFFFFFFFF};
    platform.SetCursorImage(pixels, 2, 2, 0, 0);
    EXPECT_TRUE(platform.SetCursorImage(nullptr, 0, 0, 0, 0));
    platform.CloseWindow();
    EXPECT_FALSE(platform.HasWindow());
}
