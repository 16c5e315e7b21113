#pragma once
// What the widget layer needs of the program that hosts it. The application implements it; the
// widgets reach it only through GetWidgetHost(), so nothing under widgets/ includes the
// application and the widget tests can run with no host at all (every call site checks for null)
// or with a fake one.

#include <string>

class AnimationCommand;
class AnimationWidget;
class SoundManager;
class SoundPlayer;
class TrackInterface;
class Widget;

// The answer of a script-command hook: the widget's own hook, then the host's, are offered each
// command before the interpreter runs it.
enum class CommandAnswer {
    kNotHandled = 0,  // the next hook, then the built-in command, runs it
    kStop = 1,        // handled; the script stops for this update
    kHandled = 2,     // handled; the script goes on with the next command
};

class WidgetHost {
public:
    virtual ~WidgetHost() = default;

    // Selects a cursor by the numbers of platform/CursorNumbers.h. Main thread.
    virtual void SetCursor(int number) = 0;
    virtual int GetCursor() const = 0;
    // Deletes the widget after the current frame; the caller has already removed it. Main thread.
    virtual void QueueWidgetDeletion(Widget* widget) = 0;
    // A plain one-shot sound at the effects volume (the buttons' sounds). Main thread.
    virtual void PlaySample(int soundId) = 0;
    // A one-shot through the sound player, not repeated within minTicks updates (-1: always).
    virtual void PlaySoundEffect(int soundId, int minTicks, double volume) = 0;
    // The clipboard's text, empty when it holds none.
    virtual std::string GetClipboard() = 0;
    virtual void CopyToClipboard(const std::string& text) = 0;
    // The design size in pixels that the root container covers.
    virtual int GetDesignWidth() const = 0;
    virtual int GetDesignHeight() const = 0;
    // True while widget updates are suspended (a loader holds the main thread back).
    virtual bool UpdatesSuspended() const = 0;
    // Shows an error to the player or logs it; false when neither could be done.
    virtual bool ShowErrorOrLog(const std::string& caption, const std::string& text) = 0;
    // The game's script-command hook, offered each command after the widget's own hook.
    virtual CommandAnswer HandleScriptCommand(const AnimationCommand& command,
                                              AnimationWidget* widget) = 0;

    // The application's audio services for the scripts' sound and music commands; null while the
    // host has none (no sound layer yet, or a test host). The host keeps ownership. Main thread.
    virtual SoundPlayer* GetSoundPlayer() { return nullptr; }
    virtual SoundManager* GetSoundManager() { return nullptr; }
    virtual TrackInterface* GetMusic() { return nullptr; }
    // The current player's name, which "[player]" in script texts stands for; empty when none.
    virtual std::string GetPlayerName() const { return std::string(); }
};

// The process's host, or null (widget tests without an application). Set by the application
// when it is constructed and cleared when it is destroyed; read on the main thread only.
WidgetHost* GetWidgetHost();
void SetWidgetHost(WidgetHost* host);
