#include "logcategories.h"

// Registered at info level: Qt enables a new category's debug messages
// otherwise.
Q_LOGGING_CATEGORY(lcRender, "reelwright.render", QtInfoMsg)
Q_LOGGING_CATEGORY(lcEncode, "reelwright.encode", QtInfoMsg)
Q_LOGGING_CATEGORY(lcImport, "reelwright.import", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUpdate, "reelwright.update", QtInfoMsg)
Q_LOGGING_CATEGORY(lcUi, "reelwright.ui", QtInfoMsg)
