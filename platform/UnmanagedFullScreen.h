#pragma once
// Full screen on an X server without a window manager (Xvfb, a bare kiosk session). SDL asks the
// window manager to make the window cover the screen and then reports the screen's size as the
// window's, whether or not anybody answered; with no window manager the window keeps its
// windowed place and size, so the picture is drawn for a screen-sized window into a smaller one
// and comes out cut off. Where nobody takes the request, the window is placed by hand.

struct SDL_Window;

// True when window is an X11 window and no window manager on its screen announces full-screen
// support (_NET_SUPPORTING_WM_CHECK and _NET_WM_STATE_FULLSCREEN in _NET_SUPPORTED); false under
// every other video driver, in a build without Xlib, or when a window manager takes the request.
// Main thread.
bool LacksFullScreenManager(SDL_Window* window);

// Moves and sizes the X window to the rectangle (root-window pixels, as SDL_GetDisplayBounds
// gives it), raises it and waits until the server has done so. False when window is not an X11
// window. Main thread; meant only for windows no window manager looks after.
bool PlaceUnmanagedWindow(SDL_Window* window, int x, int y, int width, int height);
