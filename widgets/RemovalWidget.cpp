#include "widgets/RemovalWidget.h"

void RemovalWidget::ReportRemoval(uint32_t id) {
    RemovalListener* listener = mRemovalListener.Get();
    // Unlinked first: the listener may delete itself or relink from its handler.
    mRemovalListener.Clear();
    if (listener != nullptr) {
        listener->OnChildRemoved(id);
    }
}
