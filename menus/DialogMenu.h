#pragma once
// A popup that can instead cross-fade with the screen it covers: with a fade target, the dialog
// opens over a picture of the target that fades out while a picture of the dialog fades in, and
// closes the reverse way; the target is hidden meanwhile and drawn again when the dialog has
// gone. "close" cancels it. Main thread only.

#include <cstdint>
#include <string>

#include "menus/PopupMenu.h"

class DynamicWidget;

class DialogMenu : public PopupMenu {
public:
    // Fade states.
    static constexpr int kNoFade = 0;
    static constexpr int kFadingIn = 1;
    static constexpr int kFaded = 2;  // pending before the dialog is added, then shown
    static constexpr int kFadingOut = 3;

    // The background is the asset "Dialog". fadeTarget (not owned, may be null) is followed
    // weakly: a target that goes first is simply no longer shown again.
    explicit DialogMenu(Widget* fadeTarget);
    // Gives the target back its drawing when the dialog goes before its fade-out ended.
    ~DialogMenu() override;

    // Closes the dialog: at once (with the popup outro) without a fade, else by fading out.
    virtual void OnCancel();

    int GetFadeState() const { return mFadeState; }
    Widget* GetFadeTarget() const;
    DynamicWidget* GetTargetSnapshot() const;
    DynamicWidget* GetDialogSnapshot() const;

    void Update() override;
    // Busy while fading in or out; otherwise as a menu of its exact type answers.
    bool HasScheduledWork() const override;
    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void OnEvent(const std::string& name, const std::string& parameter, int object) override;

private:
    // A picture of w's subtree at its place on a design-sized surface, shown by a new widget that
    // owns it; w is drawn only through the picture from then on.
    DynamicWidget* MakeSnapshotWidget(Widget* w);
    void RestoreTargetDrawing();

    int mFadeState = kNoFade;
    uint32_t mFadeTargetLiveId = 0;
    uint32_t mTargetSnapshotLiveId = 0;
    uint32_t mDialogSnapshotLiveId = 0;
};
