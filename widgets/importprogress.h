#pragma once
// The modal import dialog: runs an InfoParser over a file list, shows the
// file being read and a percentage, hands what was parsed to the strip that
// is its parent every 40 ms, and at the end lists the files that could not
// be used, each with its reason.

#include "infoparser.h"
#include "zudialog.h"

#include <QStringList>
#include <QTimer>

#include <memory>

namespace Ui {
class ImportProgressClass;
}

class ImportProgress : public ZuDialog
{
    Q_OBJECT

public:
    static constexpr int ProgressIntervalMs = 40;
    // Lines of files the report lists before it only counts the rest.
    static constexpr int MaxReportedFiles = 30;

    // `parent` is the strip that receives the records: a PhotoListWidget
    // when `isImage`, an AudioListWidget otherwise.
    ImportProgress(bool isImage, QWidget* parent);
    // Cancels a running import (see on_Cancel_clicked) and frees the parser.
    ~ImportProgress() override;

    // Starts parsing; the caller then runs exec() and reads `added`.
    void parseFileList(const QStringList& files);

    // The rich text the dialog shows at the end: each failed path beside its
    // reason, everything from the files escaped.
    static QString failureReport(const QList<InfoParser::Failure>& failures);

    // Set once any record has been handed to the strip: the caller must
    // then finish the strip's adding.
    bool added = false;

public slots:
    void updateProgress();
    void on_Cancel_clicked();
    void retranslate() override;
    void reject() override;

private:
    void showFile(int index);
    void cancel();

    std::unique_ptr<Ui::ImportProgressClass> ui;
    bool isImage;
    std::unique_ptr<InfoParser> parser;
    QStringList files;
    QTimer timer;
    bool finished = false;
};
