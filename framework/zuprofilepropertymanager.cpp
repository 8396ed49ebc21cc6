#include "zuprofilepropertymanager.h"

#include "zuprofilemanager.h"
#include "zuproperty.h"

#include <QRegularExpression>

#include <cmath>

namespace {

bool isAutoText(const QString& text) { return text.contains(QLatin1String("auto"), Qt::CaseInsensitive); }

// A decimal number, nothing else.
bool readNumber(const QString& text, double& value)
{
    static const QRegularExpression number(QStringLiteral("^\\d+(\\.\\d+)?$"));
    if (!number.match(text).hasMatch())
        return false;
    value = text.toDouble();
    return true;
}

QString displayBitrate(const QString& text)
{
    if (text.isEmpty() || isAutoText(text))
        return text;
    const QChar last = text.back();
    if (last == QLatin1Char('K') || last == QLatin1Char('M'))
        return text;
    if (last == QLatin1Char('k') || last == QLatin1Char('m'))
        return text.chopped(1) + last.toUpper();
    double value = 0;
    // Templates may give bits per second as the encoder counts them.
    if (readNumber(text, value) && value >= 100000)
        return QStringLiteral("%1K").arg(std::round(value / 1000.0));
    return text + QLatin1Char('K');
}

QString displayRate(const QString& text)
{
    if (text.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Auto");
    if (text.isEmpty() || isAutoText(text))
        return text;
    if (text.endsWith(QLatin1String("fps"), Qt::CaseInsensitive))
        return text.chopped(3) + QLatin1String("fps");
    return text + QLatin1String("fps");
}

QString displayVolume(const QString& text)
{
    if (text.isEmpty() || text.endsWith(QLatin1Char('%')))
        return text;
    bool ok = false;
    const int volume = text.toInt(&ok);
    return ok ? QStringLiteral("%1%").arg(int(volume / 2.56)) : text;
}

} // namespace

QVariant ZuProfilePropertyManager::propertyValue(const ZuProperty* property)
{
    return property ? property->value() : QVariant();
}

QString ZuProfilePropertyManager::displayForm(const QString& key, const QString& value)
{
    const QString text = value.trimmed();
    if (key == QLatin1String("b") || key == QLatin1String("ab"))
        return displayBitrate(text);
    if (key == QLatin1String("r"))
        return displayRate(text);
    if (key == QLatin1String("vol"))
        return displayVolume(text);
    if (key == QLatin1String("timedelay")) {
        bool ok = false;
        const int seconds = text.toInt(&ok);
        return ok ? QStringLiteral("%1s").arg(seconds) : text;
    }
    return value;
}

QVariant ZuProfilePropertyManager::encoderForm(const QString& key, const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return value;
    QString text = value.toString().trimmed();
    if (key == QLatin1String("r") && text.compare(QLatin1String("auto"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Auto");
    if (text.isEmpty() || isAutoText(text))
        return text;
    if (key == QLatin1String("b") || key == QLatin1String("ab")) {
        double number = 0;
        if (readNumber(text, number) && number >= 100000)
            return text;
        return displayBitrate(text);
    }
    if (key == QLatin1String("r")) {
        if (text.endsWith(QLatin1String("fps"), Qt::CaseInsensitive))
            text.chop(3);
        return text.trimmed();
    }
    if (key == QLatin1String("vol")) {
        if (!text.endsWith(QLatin1Char('%')))
            return text;
        double percent = 0;
        if (!readNumber(text.chopped(1).trimmed(), percent))
            return text;
        return QString::number(qRound(percent * 2.56));
    }
    if (key == QLatin1String("timedelay") && text.endsWith(QLatin1Char('s')))
        return text.chopped(1).trimmed();
    return value;
}

bool ZuProfilePropertyManager::isAcceptable(const QString& key, const QString& type, const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty() || isAutoText(t))
        return true;
    if (key == QLatin1String("vol")) {
        static const QRegularExpression volume(QStringLiteral("^\\d{1,5}( ?%)?$"));
        return volume.match(t).hasMatch();
    }
    if (type == QLatin1String("int")) {
        static const QRegularExpression integer(QStringLiteral("^-?\\d{1,9}$"));
        return integer.match(t).hasMatch();
    }
    if (type == QLatin1String("double")) {
        bool ok = false;
        t.toDouble(&ok);
        return ok;
    }
    if (type == QLatin1String("bitrate"))
        return kbitPerSecond(t) > 0;
    if (type == QLatin1String("size")) {
        static const QRegularExpression size(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
        const QRegularExpressionMatch m = size.match(t);
        // The encoders refuse odd sizes.
        return m.hasMatch() && m.captured(1).toInt() >= 16 && m.captured(2).toInt() >= 16 &&
               m.captured(1).toInt() % 2 == 0 && m.captured(2).toInt() % 2 == 0;
    }
    if (type == QLatin1String("rate")) {
        static const QRegularExpression rate(QStringLiteral("^\\d+(\\.\\d+)?(/\\d+(\\.\\d+)?)?( ?fps)?$"),
                                             QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = rate.match(t);
        if (!m.hasMatch())
            return false;
        const QStringList parts = encoderForm(key, t).toString().split(QLatin1Char('/'));
        const double fps =
            parts.size() == 2 ? parts[0].toDouble() / std::max(parts[1].toDouble(), 1e-9) : parts[0].toDouble();
        return fps > 0.0 && fps <= 1000.0;
    }
    return true;
}

int ZuProfilePropertyManager::kbitPerSecond(const QString& text)
{
    static const QRegularExpression bitrate(QStringLiteral("^(\\d+(\\.\\d+)?)\\s*([kKmM]?)$"));
    const QRegularExpressionMatch m = bitrate.match(text.trimmed());
    if (!m.hasMatch())
        return 0;
    const double number = m.captured(1).toDouble();
    const QString unit = m.captured(3).toUpper();
    double kbit = number;
    if (unit == QLatin1String("M"))
        kbit = number * 1000.0;
    else if (unit.isEmpty() && number >= 100000)
        kbit = number / 1000.0;
    return kbit >= 1.0 && kbit < 1e7 ? int(std::lround(kbit)) : 0;
}

void ZuProfilePropertyManager::fillTree(ZuProperty* root, const ZuProfileManager* manager,
                                        const ZumProfileData& profile)
{
    root->clearItems();
    QStringList keys = manager ? manager->profileItemKeys() : QStringList();
    for (auto it = profile.properties.cbegin(); it != profile.properties.cend(); ++it) {
        if (!keys.contains(it.key()))
            keys << it.key();
    }
    for (const QString& key : std::as_const(keys)) {
        ZuProperty* item = root->addItem(key);
        if (manager) {
            item->setType(manager->profileItemType(key));
            item->setLabel(manager->profileItemLabel(key));
            item->setSimple(manager->profileItemIsSimple(key));
            item->setChoices(manager->profileItemChoices(key));
        } else {
            item->setLabel(key);
        }
        // Set quietly: nobody watches a fresh item yet.
        item->blockSignals(true);
        item->setValue(profile.properties.value(key));
        item->blockSignals(false);
    }
    root->endReset();
}

QMap<QString, QVariant> ZuProfilePropertyManager::treeProperties(const ZuProperty* root, bool displayForms)
{
    QMap<QString, QVariant> properties;
    if (!root)
        return properties;
    for (const ZuProperty* item : root->items()) {
        if (item->isEmpty())
            continue;
        const QVariant value = item->value();
        if (displayForms && value.typeId() != QMetaType::Bool)
            properties.insert(item->key(), displayForm(item->key(), value.toString()));
        else
            properties.insert(item->key(), encoderForm(item->key(), value));
    }
    return properties;
}
