#pragma once
// Base of every dialog: a QDialog that retranslates itself on a language
// change and has the window helpers at hand.

#include "zuwidgethelper.h"

#include <QDialog>

class ZuDialog : public QDialog, public ZuWidgetHelper
{
    Q_OBJECT
public:
    explicit ZuDialog(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

public slots:
    virtual void retranslate();

protected:
    void changeEvent(QEvent* event) override;
};
