#include "platform/RawPointerMotion.h"

void RawPointerMotion::SetWanted(bool wanted) {
    if (!wanted) {
        mConnection.reset();
        return;
    }
    if (mConnection == nullptr && !mRefused) {
        mConnection = mOpen();
        mRefused = mConnection == nullptr;
    }
}

bool RawPointerMotion::TakeDeviceMotion() {
    return mConnection != nullptr && mConnection->TakeDeviceMotion();
}
