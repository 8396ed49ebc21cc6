#pragma once
// The modal dialog that runs one compile: builds the encoder argument list
// and output name from the profile, drives the compile loop with the main
// window's renderer, shows progress with pause, resume and stop, writes the
// thumbnail some devices want, and carries out the post-task action.

#include "avwritermanager.h"
#include "zudialog.h"
#include "zumprofiledata.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class StoryBoardRender;

namespace Ui {
class CompileProgressClass;
}

class CompileProgress : public ZuDialog
{
    Q_OBJECT

public:
    explicit CompileProgress(QWidget* parent = nullptr);
    ~CompileProgress() override;

    // Prepares and starts the compile. A compile that cannot start is shown
    // as failed in the dialog, with the reason, so this returns true.
    bool init(StoryBoardRender* render, const ZumProfileData& profile, const QString& baseName);

    // The profile's part of the argument list for the renderer's geometry.
    QStringList paramsFromProfile(const ZumProfileData& profile) const;

    QString outputFile() const { return m_outputFile; }
    QStringList arguments() const { return m_arguments; }
    bool isFinished() const { return m_finished; }
    bool succeeded() const { return m_succeeded; }
    QString failureReason() const { return m_failureReason; }
    AVWriterManager& compileLoop() { return m_loop; }

    // Handlers of the compile loop's signals.
    void on_progressChanged(double frames);
    void on_compileEnd();

public slots:
    void on_pause_resume_clicked();
    void on_stop_clicked();
    void on_open_clicked();
    void on_close_clicked();
    void reject() override;
    // Stops the compile loop and the renderer's sound thread and finishes
    // the writer's file; ends a running thumbnail.
    void release();
    void afterProgress(bool success);
    void retranslate() override;

signals:
    // The end of the compile has been shown (and the thumbnail written).
    void finished(bool success);

private:
    void fail(const QString& reason);
    void startThumbnail();
    void showResult();

    std::unique_ptr<Ui::CompileProgressClass> ui;
    StoryBoardRender* m_render = nullptr;
    AVWriterManager m_loop;
    QString m_outputFile;
    bool m_paused = false;
    bool m_finished = false;
    bool m_deviceThumbnail = false;
    int m_totalFrames = 1000;
    double m_duration = 40.0;

    QStringList m_arguments;
    bool m_loopEnded = false;
    bool m_succeeded = false;
    QString m_failureReason;
    std::unique_ptr<QProcess> m_thumbnail;
    QTimer m_thumbnailTimeout;
};
