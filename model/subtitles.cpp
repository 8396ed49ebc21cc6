#include "subtitles.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>

namespace {

struct Text {
    Q_DECLARE_TR_FUNCTIONS(Subtitles)
};

// "00:01:02,345 --> 00:01:04,000", with '.' accepted for ',' and
// position hints after the second time ignored.
const QRegularExpression& timesPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        R"(^\s*(\d+):(\d{1,2}):(\d{1,2})[,.](\d{1,3})\s*-->\s*(\d+):(\d{1,2}):(\d{1,2})[,.](\d{1,3})(\s.*)?$)"));
    return pattern;
}

double secondsOf(const QRegularExpressionMatch& match, int first)
{
    const QString fraction = match.captured(first + 3).leftJustified(3, QLatin1Char('0'));
    return match.captured(first).toDouble() * 3600.0 + match.captured(first + 1).toDouble() * 60.0 +
           match.captured(first + 2).toDouble() + fraction.toDouble() / 1000.0;
}

QString withoutTags(QString line)
{
    static const QRegularExpression tags(QStringLiteral(R"(</?(i|b|u|s|font)(\s[^>]*)?>|\{\\[^}]*\})"),
                                         QRegularExpression::CaseInsensitiveOption);
    return line.remove(tags).trimmed();
}

} // namespace

bool parseSubtitles(const QString& text, const QString& name, QList<SubtitleEntry>& entries, QString* error)
{
    entries.clear();
    QString normalised = text;
    normalised.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (normalised.startsWith(QChar(0xFEFF)))
        normalised.remove(0, 1);
    const QStringList lines = normalised.split(QLatin1Char('\n'));

    // An entry: an optional number line, the times line, then text up to a
    // blank line.
    int i = 0;
    const int count = int(lines.size());
    while (i < count) {
        if (lines.at(i).trimmed().isEmpty()) {
            ++i;
            continue;
        }
        int timesLine = i;
        if (!lines.at(i).contains(QLatin1String("-->")) && i + 1 < count)
            timesLine = i + 1;
        const QRegularExpressionMatch match = timesPattern().match(lines.at(timesLine));
        if (!match.hasMatch()) {
            if (error)
                *error = Text::tr("The subtitle file %1 is damaged: line %2 should give an entry's times "
                                  "(00:00:01,000 --> 00:00:04,000).")
                             .arg(name)
                             .arg(timesLine + 1);
            entries.clear();
            return false;
        }
        SubtitleEntry entry;
        entry.start = secondsOf(match, 1);
        entry.end = std::max(entry.start, secondsOf(match, 5));
        QStringList textLines;
        for (i = timesLine + 1; i < count && !lines.at(i).trimmed().isEmpty(); ++i) {
            const QString line = withoutTags(lines.at(i));
            if (!line.isEmpty())
                textLines << line;
        }
        entry.text = textLines.join(QLatin1Char('\n'));
        if (!entry.text.isEmpty())
            entries << entry;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const SubtitleEntry& a, const SubtitleEntry& b) { return a.start < b.start; });
    return true;
}

bool readSubtitles(const QString& path, QList<SubtitleEntry>& entries, QString* error)
{
    entries.clear();
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = Text::tr("The subtitle file %1 cannot be read: %2.").arg(name, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    return parseSubtitles(text, name, entries, error);
}

QStringList captionsFromSubtitles(const QList<SubtitleEntry>& entries, const QVector<double>& changes, int photoCount)
{
    QStringList texts;
    for (int i = 0; i < photoCount; ++i)
        texts << QString();
    if (photoCount <= 0)
        return texts;
    for (const SubtitleEntry& entry : entries) {
        const double middle = (entry.start + entry.end) / 2.0;
        const int photo = int(std::upper_bound(changes.cbegin(), changes.cend(), middle) - changes.cbegin());
        QString& text = texts[std::min(photo, photoCount - 1)];
        text = text.isEmpty() ? entry.text : text + QLatin1Char('\n') + entry.text;
    }
    return texts;
}
