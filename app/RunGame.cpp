#include "app/RunGame.h"

#include "app/QuorAppBase.h"

int RunGame(QuorAppBase* app) {
    int status = 1;
    if (app->Init()) {
        app->SetIdleWaiting(true);
        app->SetQuitMayLeaveLoader(true);
        app->Start();
        status = 0;
    } else {
        status = app->GetExitCode() != 0 ? app->GetExitCode() : 1;
    }
    delete app;
    return status;
}
