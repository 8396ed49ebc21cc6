#pragma once
// The interface languages the installation offers: English plus one per
// translations/reelwright_<lang>.qm file, and which one is current.

#include <QAbstractListModel>
#include <QList>
#include <QString>

class ZuLang
{
public:
    ZuLang(const QString& name, const QString& qmFile);
    // Short code used in file names ("en", "de", "pt_BR").
    QString name() const { return m_name; }
    // Full locale name ("en_US", "de_DE", "pt_BR").
    QString localeName() const;
    // The language's own name for it ("English", "Deutsch").
    QString nativeName() const;
    // Program translation file; empty for the built-in English.
    QString qmFile() const { return m_qmFile; }

private:
    QString m_name;
    QString m_qmFile;
};

class ZuLangItemModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles {
        NameRole = Qt::UserRole + 1,
        LocaleNameRole
    };

    explicit ZuLangItemModel(QObject* parent = nullptr);

    // Re-reads `<dir>/reelwright_*.qm`; keeps the current language when it
    // is still offered, else falls back to English.
    void scan(const QString& translationsDir);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Language by code or locale name (case-insensitive); nullptr if unknown.
    const ZuLang* lang(const QString& name) const;
    // The offered language closest to `locale`: exact, then same language.
    const ZuLang* bestMatch(const QLocale& locale) const;
    QString currentLangName() const { return m_current; }
    const ZuLang* currentLang() const { return lang(m_current); }
    // False (and nothing changes) for an unknown language.
    bool setCurrentLang(const QString& name);

signals:
    void currentLangChanged(const QString& name);

private:
    QList<ZuLang> m_langs;
    QString m_current = QStringLiteral("en");
};
