#pragma once
// The non-modal property panel: the file and format facts of the photo or
// audio file selected on a strip, with a photo's EXIF fields.

#include "zudialog.h"

#include <QString>

#include <array>

class QTextEdit;

class MediaInfoWidget : public ZuDialog
{
    Q_OBJECT
public:
    // What the panel describes; the values are the ones callers pass.
    enum fileType {
        AudioFile = 0,
        ImageFile = 1,
        NoFile = 2
    };

    explicit MediaInfoWidget(QWidget* parent = nullptr);

    // Keeps the values the type uses (image: 1-14, audio: 1-3 and 15-17)
    // and forgets the rest; setHtml() shows them.
    void setFileInfo(fileType type, const QString& s1 = QString(), const QString& s2 = QString(),
                     const QString& s3 = QString(), const QString& s4 = QString(), const QString& s5 = QString(),
                     const QString& s6 = QString(), const QString& s7 = QString(), const QString& s8 = QString(),
                     const QString& s9 = QString(), const QString& s10 = QString(), const QString& s11 = QString(),
                     const QString& s12 = QString(), const QString& s13 = QString(), const QString& s14 = QString(),
                     const QString& s15 = QString(), const QString& s16 = QString(), const QString& s17 = QString());
    void setHtml();
    // A line about the beat of the audio file shown (its tempo, or that it
    // has no steady beat); empty for none. setFileInfo() clears it.
    void setBeatNote(const QString& note);
    QString text() const;

public slots:
    void retranslate() override;

private:
    QTextEdit* m_text;
    int m_type = NoFile;
    std::array<QString, 17> m_values;
    QString m_beatNote;
};
