#include "widgets/WidgetHost.h"

namespace {
WidgetHost* gHost = nullptr;
}

WidgetHost* GetWidgetHost() {
    return gHost;
}

void SetWidgetHost(WidgetHost* host) {
    gHost = host;
}
