#pragma once
// The program's logging categories, one per subsystem. Debug messages are off
// unless a rule turns them on, e.g.
//     QT_LOGGING_RULES="reelwright.render.debug=true"
// so a plain run prints only what is worth a user's attention.

#include <QLoggingCategory>

// Preview and compile drawing, the preview player's sound.
Q_DECLARE_LOGGING_CATEGORY(lcRender)
// The compile loop, the writer and the converter tool's arguments.
Q_DECLARE_LOGGING_CATEGORY(lcEncode)
// Reading photos and sound files into the album.
Q_DECLARE_LOGGING_CATEGORY(lcImport)
// The update wizard.
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)
// Windows, strips and dialogs.
Q_DECLARE_LOGGING_CATEGORY(lcUi)
