#include "zuprofilefilehandler.h"

#include "zumprofiledata.h"
#include "zuprofilemodel.h"

bool ZuProfileFileHandler::normalizeProfileUrlAndGroup(ZuProfileModel* model, QString& url, QString& group,
                                                       const QString& defaultUrl)
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

QString ZuProfileFileHandler::storedProfileUrl(const QString& url) { return ZumProfileData::storedUrl(url); }
