#include "components/core/Diagnostics.h"

Q_LOGGING_CATEGORY(lcNetwork, "brindlet.network", QtInfoMsg)
Q_LOGGING_CATEGORY(lcEvents, "brindlet.events", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDesktop, "brindlet.desktop", QtInfoMsg)
