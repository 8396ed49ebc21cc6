#pragma once
// The bit-rate calculator: a modal dialog with the playing time, the file
// size and the audio and video bit rates, each worked out from the others
// (1 MB = 8192 kbit). Changing the time or a bit rate gives the size;
// changing the size gives the video bit rate that fits it.

#include "zudialog.h"

class QDoubleSpinBox;
class QLabel;
class QSpinBox;
class QTimeEdit;
class QDialogButtonBox;

class ZumBitrateCalc : public ZuDialog
{
    Q_OBJECT

public:
    ZumBitrateCalc(QWidget* parent, int durationMs, double sizeMB, int audioKbps, int videoKbps);

    int videoBitrateInKBPS() const;
    int audioBitrateInKBPS() const;
    int durationMs() const;
    double fileSizeMB() const;

    // Size in MB of `seconds` at the two bit rates, and the video bit rate
    // that fills `sizeMB` (never below 1).
    static double sizeFor(double seconds, int audioKbps, int videoKbps);
    static int videoBitrateFor(double seconds, double sizeMB, int audioKbps);

public slots:
    void retranslate() override;

private:
    void updateSize();
    void updateVideo();

    QTimeEdit* m_duration;
    QDoubleSpinBox* m_size;
    QSpinBox* m_audio;
    QSpinBox* m_video;
    QLabel* m_labels[4];
    QLabel* m_note;
    QDialogButtonBox* m_buttons;
    bool m_updating = false;
};
