#include "zumprofiledata.h"

#include <algorithm>

QString ZumProfileData::storedUrl(const QString& url)
{
    QString name = url;
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (slash >= 0)
        name = name.mid(slash + 1);
    return name.section(QLatin1Char('.'), 0, 0);
}
