#include "zulangitemmodel.h"

#include <QDir>
#include <QLocale>

namespace {

const QString kEnglish = QStringLiteral("en");
const QString kPrefix = QStringLiteral("reelwright_");

} // namespace

ZuLang::ZuLang(const QString& name, const QString& qmFile)
    : m_name(name)
    , m_qmFile(qmFile)
{}

QString ZuLang::localeName() const { return QLocale(m_name).name(); }

QString ZuLang::nativeName() const
{
    const QLocale locale(m_name);
    QString text = locale.nativeLanguageName();
    if (text.isEmpty())
        return m_name;
    // Tell regional variants apart ("português (Brasil)").
    if (m_name.contains(QLatin1Char('_')))
        text += QStringLiteral(" (%1)").arg(locale.nativeTerritoryName());
    return text;
}

ZuLangItemModel::ZuLangItemModel(QObject* parent)
    : QAbstractListModel(parent)
{
    m_langs.append(ZuLang(kEnglish, QString()));
}

void ZuLangItemModel::scan(const QString& translationsDir)
{
    beginResetModel();
    m_langs.clear();
    m_langs.append(ZuLang(kEnglish, QString()));
    const QDir dir(translationsDir);
    const QStringList files = dir.entryList({kPrefix + QStringLiteral("*.qm")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QString code = file.mid(kPrefix.size()).chopped(3);
        if (code.isEmpty() || code.compare(kEnglish, Qt::CaseInsensitive) == 0)
            continue;
        // QLocale falls back to "C" for codes it does not know; such files
        // cannot be matched to a user's language.
        if (QLocale(code).language() == QLocale::C)
            continue;
        m_langs.append(ZuLang(code, dir.absoluteFilePath(file)));
    }
    endResetModel();
    if (!lang(m_current))
        setCurrentLang(kEnglish);
}

int ZuLangItemModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_langs.size()); }

QVariant ZuLangItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_langs.size())
        return QVariant();
    const ZuLang& l = m_langs.at(index.row());
    switch (role) {
    case Qt::DisplayRole: return l.nativeName();
    case NameRole: return l.name();
    case LocaleNameRole: return l.localeName();
    case Qt::CheckStateRole: return l.name() == m_current ? Qt::Checked : Qt::Unchecked;
    default: return QVariant();
    }
}

const ZuLang* ZuLangItemModel::lang(const QString& name) const
{
    if (name.isEmpty())
        return nullptr;
    for (const ZuLang& l : m_langs) {
        if (l.name().compare(name, Qt::CaseInsensitive) == 0 || l.localeName().compare(name, Qt::CaseInsensitive) == 0)
            return &l;
    }
    return nullptr;
}

const ZuLang* ZuLangItemModel::bestMatch(const QLocale& locale) const
{
    if (const ZuLang* exact = lang(locale.name()))
        return exact;
    for (const ZuLang& l : m_langs) {
        if (QLocale(l.name()).language() == locale.language())
            return &l;
    }
    return lang(kEnglish);
}

bool ZuLangItemModel::setCurrentLang(const QString& name)
{
    const ZuLang* l = lang(name);
    if (!l)
        return false;
    if (l->name() == m_current)
        return true;
    m_current = l->name();
    if (!m_langs.isEmpty())
        emit dataChanged(index(0), index(int(m_langs.size()) - 1), {Qt::CheckStateRole});
    emit currentLangChanged(m_current);
    return true;
}
