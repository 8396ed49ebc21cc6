#include "zumbitratecalc.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QTime>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kKbitPerMB = 8192.0;
constexpr int kMaxKbps = 200000;
} // namespace

ZumBitrateCalc::ZumBitrateCalc(QWidget* parent, int durationMs, double sizeMB, int audioKbps, int videoKbps)
    : ZuDialog(parent)
    , m_duration(new QTimeEdit)
    , m_size(new QDoubleSpinBox)
    , m_audio(new QSpinBox)
    , m_video(new QSpinBox)
    , m_note(new QLabel)
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel))
{
    setObjectName(QStringLiteral("ZumBitrateCalc"));
    setModal(true);
    m_duration->setObjectName(QStringLiteral("duration"));
    m_duration->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    m_duration->setMinimumTime(QTime(0, 0, 1));
    m_duration->setMaximumTime(QTime(23, 59, 59));
    m_duration->setTime(QTime(0, 0).addMSecs(std::clamp(durationMs, 1000, 86399000)));
    m_size->setObjectName(QStringLiteral("fileSize"));
    m_size->setDecimals(2);
    m_size->setRange(0.01, 1e6);
    m_size->setValue(std::max(sizeMB, 0.01));
    m_audio->setObjectName(QStringLiteral("audioBitrate"));
    m_audio->setRange(0, kMaxKbps);
    m_audio->setValue(std::clamp(audioKbps, 0, kMaxKbps));
    m_video->setObjectName(QStringLiteral("videoBitrate"));
    m_video->setRange(1, kMaxKbps);
    m_video->setValue(std::clamp(videoKbps, 1, kMaxKbps));
    for (QAbstractSpinBox* box : {static_cast<QAbstractSpinBox*>(m_duration), static_cast<QAbstractSpinBox*>(m_size),
                                  static_cast<QAbstractSpinBox*>(m_audio), static_cast<QAbstractSpinBox*>(m_video)})
        box->setMinimumWidth(140);
    m_note->setWordWrap(true);
    m_note->setForegroundRole(QPalette::PlaceholderText);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QWidget* fields[4] = {m_duration, m_size, m_audio, m_video};
    for (int i = 0; i < 4; ++i) {
        m_labels[i] = new QLabel;
        m_labels[i]->setBuddy(fields[i]);
        form->addRow(m_labels[i], fields[i]);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_note);
    layout->addStretch(1);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(m_duration, &QTimeEdit::timeChanged, this, &ZumBitrateCalc::updateSize);
    connect(m_audio, &QSpinBox::valueChanged, this, &ZumBitrateCalc::updateSize);
    connect(m_video, &QSpinBox::valueChanged, this, &ZumBitrateCalc::updateSize);
    connect(m_size, &QDoubleSpinBox::valueChanged, this, &ZumBitrateCalc::updateVideo);
    retranslate();
    setFixedSize(sizeHint().expandedTo(QSize(360, 0)));
}

double ZumBitrateCalc::sizeFor(double seconds, int audioKbps, int videoKbps)
{
    return (double(audioKbps) + double(videoKbps)) * seconds / kKbitPerMB;
}

int ZumBitrateCalc::videoBitrateFor(double seconds, double sizeMB, int audioKbps)
{
    if (seconds <= 0)
        return 1;
    const double video = sizeMB * kKbitPerMB / seconds - audioKbps;
    return int(std::clamp(std::floor(video), 1.0, double(kMaxKbps)));
}

int ZumBitrateCalc::videoBitrateInKBPS() const { return m_video->value(); }

int ZumBitrateCalc::audioBitrateInKBPS() const { return m_audio->value(); }

int ZumBitrateCalc::durationMs() const { return QTime(0, 0).msecsTo(m_duration->time()); }

double ZumBitrateCalc::fileSizeMB() const { return m_size->value(); }

void ZumBitrateCalc::updateSize()
{
    if (m_updating)
        return;
    m_updating = true;
    m_size->setValue(sizeFor(durationMs() / 1000.0, m_audio->value(), m_video->value()));
    m_updating = false;
}

void ZumBitrateCalc::updateVideo()
{
    if (m_updating)
        return;
    m_updating = true;
    m_video->setValue(videoBitrateFor(durationMs() / 1000.0, m_size->value(), m_audio->value()));
    m_updating = false;
}

void ZumBitrateCalc::retranslate()
{
    setAllWindowTitle(tr("Bit Rate Calculator"));
    m_labels[0]->setText(tr("&Duration:"));
    m_labels[1]->setText(tr("File &size:"));
    m_labels[2]->setText(tr("&Audio bit rate:"));
    m_labels[3]->setText(tr("&Video bit rate:"));
    m_size->setSuffix(tr(" MB"));
    m_audio->setSuffix(tr(" kbit/s"));
    m_video->setSuffix(tr(" kbit/s"));
    m_note->setText(tr("Change the duration or a bit rate to see the file size, or enter the file size you "
                       "want to get the video bit rate that fits it."));
}
