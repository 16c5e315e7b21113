#pragma once
// What the layers below the menus need of a menu. The menus stand above the application, so the
// scripted widgets (which find their owning menu through their update owner) and the
// application's dialog table and pause count reach a menu only through this interface, which
// every Menu implements. Main thread only.

#include <string>

class Widget;

class MenuInterface {
public:
    virtual ~MenuInterface() = default;

    // Whether the dialog table pushes the menu as a base layer of the widget manager (modal).
    virtual bool WantsBaseLayer() const = 0;
    // Called when the menu becomes or stops being the application's active menu, and with
    // (pause count == 0) on the active menu whenever the pause count changes.
    virtual void SetActive(bool active) = 0;
    // Whether the menu suspends itself while it is not the active menu; returns the previous
    // value.
    virtual bool SetPausesWhenInactive(bool pauses) = 0;
    // Looping sounds counted in the menu (muted while it is suspended, released when it goes).
    // Rates are level changes per update; 0 starts or stops at once.
    virtual void StartLoopingSound(int soundId, float fadeInRate) = 0;
    // Only a sound this menu started and still counts is stopped.
    virtual void StopLoopingSound(int soundId, float fadeOutRate) = 0;
    // Opens a notice dialog for the localized key over the screen and returns it (owned by the
    // application's dialog table), or null when none could be opened.
    virtual Widget* OpenNotice(const std::string& key) = 0;
};
