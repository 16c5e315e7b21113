#include "game/screens/MyBoard.h"

#include "game/data/PlayerState.h"
#include "game/screens/ScreenFlow.h"

void MyBoard::ShowMainMenu() {
    OpenMainMenu();
}

void MyBoard::StartPlay() {
    PlayerState* state = GetCurrentPlayerState();
    if (state == nullptr) {
        return;
    }
    std::vector<SetProgress>& story = state->mProgress[0];
    // A new player reads the opening letter first, and the first real set opens with it.
    if (state->mCurrentCountry == 0 && state->mMode == 0 && !story.empty() &&
        !story[0].mIntroduced) {
        if (story.size() > 1) {
            story[1].mUnlock = 1;
        }
        OpenStoryIntro();
        return;
    }
    if (state->mMode == 0) {
        const int setCount = static_cast<int>(story.size());
        const int completed = state->CountCompletedSets(0);
        // With no story sets at all there is no set to point at; set 0 is as good as any.
        const int last = setCount > 0 ? setCount - 1 : 0;
        state->mCurrentCountry = completed <= last ? completed : last;
        if (setCount > 0 && completed > last) {
            OpenMap(state->mCurrentGameName, true);
            return;
        }
    }
    OpenSetLoading(-1);
}

bool MyBoard::HasScheduledWork() const {
    return ChildrenHaveScheduledWork();
}
