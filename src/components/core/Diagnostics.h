#pragma once

#include <QLoggingCategory>

// Failures that are not the user's business, for whoever looks into a
// problem: silent unless switched on, for example with
// QT_LOGGING_RULES="brindlet.*.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcNetwork)  // brindlet.network: dials, lookups, listeners, connections
Q_DECLARE_LOGGING_CATEGORY(lcEvents)   // brindlet.events: failures an error trap handled
Q_DECLARE_LOGGING_CATEGORY(lcDesktop)  // brindlet.desktop: the desktop services' answers
