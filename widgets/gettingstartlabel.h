#pragma once
// The picture the empty album shows: a skin image in the interface
// language, centred near the top of the label.

#include <QImage>
#include <QLabel>
#include <QString>

class ZuLangItemModel;

class GettingStartLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(QString gettingStart READ gettingStart WRITE setGettingStart)
public:
    explicit GettingStartLabel(QWidget* parent = nullptr, Qt::WindowFlags f = Qt::WindowFlags());

    // Path of the English picture; set by the skin's style sheet. Writing
    // only stores it: retranslate() loads.
    QString gettingStart() const { return m_gettingStart; }
    void setGettingStart(const QString& path) { m_gettingStart = path; }

    // The languages to follow; the application's own when not set.
    void setLangModel(ZuLangItemModel* model) { m_langModel = model; }
    // The picture that retranslate() chose; null when it could not be read.
    QImage image() const { return m_image; }

public slots:
    void retranslate();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_gettingStart;
    QImage m_image;
    ZuLangItemModel* m_langModel = nullptr;
};
