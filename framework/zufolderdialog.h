#pragma once
// The folder chooser of the program's dialogs. Tests install an answer hook
// that gets the folder the chooser would open at and answers for a person.

#include <QString>

#include <functional>

class QWidget;

class ZuFolderDialog
{
public:
    // A folder the user picked (folders only, links not resolved), starting
    // at `folder`; empty when cancelled.
    static QString getExistingDirectory(QWidget* parent, const QString& caption, const QString& folder);

    using AnswerHook = std::function<QString(const QString& folder)>;
    // Replaces the chooser while set; an empty function restores it.
    static void setAnswerHook(AnswerHook hook);
};
