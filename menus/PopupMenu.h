#pragma once
// A centred menu that opens and closes through scripted overlays ("popup_intro",
// "popup_outro"), with a backdrop widget behind it in the widget manager
// ("popup_background_intro", then "popup_background_outro" when it closes). Main thread only.

#include <cstdint>

#include "menus/Menu.h"

class PopupMenu : public Menu {
public:
    // Raised and centred on the background image (not owned).
    explicit PopupMenu(Image* background);

    // The intro overlay and the backdrop, when the popup animates.
    void AddedToManager(WidgetManager* manager) override;
    // The backdrop goes with the popup.
    void RemovedFromManager(WidgetManager* manager) override;
    // Starts the outro once (a visible, drawn popup in a manager); otherwise, or when the outro
    // runs already, the popup goes at once. The backdrop plays its outro either way.
    void MarkForRemoval() override;
    // The outro's end removes the popup; the backdrop's end forgets it.
    void AnimationEnded(uint32_t id) override;

    // The backdrop and the running outro overlay; null when there is none.
    AnimationWidget* GetBackground() const;
    Widget* GetOutroOverlay() const;

    bool mDoPopup = true;
    bool mWithBackground = true;

private:
    uint32_t mOutroLiveId = 0;
    uint32_t mOutroId = 0;
    uint32_t mBackgroundLiveId = 0;
    uint32_t mBackgroundId = 0;
};
