#pragma once
// The modal import dialog: runs an InfoParser over a file list, shows the
// file being read and a percentage, hands on what was parsed every 40 ms
// (photosParsed / clipsParsed; ImportFlow puts it into the album), and at
// the end lists the files that could not be used, each with its reason.

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

    // `parent` is the strip that shows the records: the photo strip when
    // `isImage`, the sound strip otherwise.
    ImportProgress(bool isImage, QWidget* parent);
    // Cancels a running import (see on_Cancel_clicked) and frees the parser.
    ~ImportProgress() override;

    // Starts parsing; the caller then runs exec() and reads `added`.
    void parseFileList(const QStringList& files);

    // The rich text the dialog shows at the end: each failed path beside its
    // reason, everything from the files escaped.
    static QString failureReport(const QList<InfoParser::Failure>& failures);

    // Set once any record has been handed on: the caller must then finish
    // the strip's adding.
    bool added = false;

signals:
    // The records parsed since the last call, in file order.
    void photosParsed(const QList<ImageInfo>& photos);
    void clipsParsed(const QList<AudioInfo>& clips);

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
