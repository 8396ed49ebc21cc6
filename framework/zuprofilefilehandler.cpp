#include "zuprofilefilehandler.h"

#include "zuprofilemodel.h"

#include <algorithm>

bool ZuProfileFileHandler::normalizeProfileUrlAndGroup(ZuProfileModel *model, QString &url, QString &group,
                                                       const QString &defaultUrl)
{
    if (!model)
        return false;
    QString id = model->profileIdOf(url);
    QString wantedGroup = group;
    if (id.isEmpty()) {
        id = model->profileIdOf(defaultUrl);
        wantedGroup.clear();
    }
    if (id.isEmpty()) {
        id = model->firstProfileId();
        wantedGroup.clear();
    }
    if (id.isEmpty())
        return false;
    url = id;
    group = model->containsProfile(id, wantedGroup) ? wantedGroup : model->groupOfProfile(id);
    return true;
}

QString ZuProfileFileHandler::storedProfileUrl(const QString &url)
{
    QString name = url;
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (slash >= 0)
        name = name.mid(slash + 1);
    return name.section(QLatin1Char('.'), 0, 0);
}
