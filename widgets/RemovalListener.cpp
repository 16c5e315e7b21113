#include "widgets/RemovalListener.h"

#include "widgets/RemovalWidget.h"

void RemovalListener::ListenTo(RemovalWidget* widget) {
    if (widget != nullptr) {
        widget->mRemovalListener.Set(this);
    }
}
