#pragma once
// The program's modal message boxes. Tests install an answer hook that sees
// the fully built box and answers it instead of a person.

#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

class ZuMessageBox
{
public:
    // Information box with one OK button. An empty title shows the product
    // name when `productTitle` is set.
    static void info(const QString& text, const QString& title = QString(), QWidget* parent = nullptr,
                     bool productTitle = true);
    // Warning box with one OK button.
    static void alert(const QString& text, const QString& title = QString(), QWidget* parent = nullptr,
                      bool productTitle = true);
    // Question box; returns the button pressed (Escape gives the escape
    // button Qt chooses among `buttons`).
    static QMessageBox::StandardButton
    question(const QString& text, const QString& title = QString(),
             QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No, QWidget* parent = nullptr,
             QMessageBox::StandardButton defaultButton = QMessageBox::NoButton, bool productTitle = true);

    // Runs a box the caller built (an informative text, buttons of its own)
    // the way the boxes above run, through the answer hook while one is set.
    static QMessageBox::StandardButton exec(QMessageBox& box);

    // Replaces exec() of every box while set; an empty function restores
    // the normal modal boxes.
    using AnswerHook = std::function<QMessageBox::StandardButton(QMessageBox& box)>;
    static void setAnswerHook(AnswerHook hook);

private:
    static QMessageBox::StandardButton run(QMessageBox::Icon icon, const QString& text, const QString& title,
                                           QMessageBox::StandardButtons buttons, QWidget* parent,
                                           QMessageBox::StandardButton defaultButton, bool productTitle);
};
