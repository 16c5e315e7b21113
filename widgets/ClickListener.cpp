#include "widgets/ClickListener.h"

#include "widgets/WidgetManager.h"

ClickListener::~ClickListener() {
    if (mTrackedBy != nullptr) {
        mTrackedBy->RemoveTrackedWidget(this);
    }
}
