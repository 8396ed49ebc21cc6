#pragma once
// The preferences dialog: the default output folder and whether, and how
// often, the program looks for updates. Values are saved only when they are
// usable; until then the form holds them.

#include "zudialog.h"

#include <memory>

class QAbstractButton;

namespace Ui {
class PreferencesClass;
}

class Preferences : public ZuDialog
{
    Q_OBJECT

public:
    explicit Preferences(QWidget* parent = nullptr);
    ~Preferences() override;

    // Combo box row of a stored interval in days (1, 7, 30; anything else is
    // a week), and the interval of a row.
    static int indexOfInterval(int days);
    static int intervalOfIndex(int index);

    // Enables Apply. Connected in the constructor; a plain member rather
    // than a slot so the form's connect-by-name does not look for an object
    // called "Settings".
    void on_Settings_Changed();

public slots:
    void on_browse_clicked();
    void on_open_clicked();
    void on_buttonBox_clicked(QAbstractButton* button);
    void retranslate() override;

private:
    bool save();
    void refuse(const QString& message);

    std::unique_ptr<Ui::PreferencesClass> ui;
};
