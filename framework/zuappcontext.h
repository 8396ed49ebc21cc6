#pragma once
// What the window bases and the update check need of the running
// application (its language and skin lists, its preference file) without
// depending on the application class, which sits above them and owns them.

#include <QString>

class ZuLangItemModel;
class ZuSkinItemModel;

class ZuAppContext
{
public:
    // The running application's context; nullptr while there is none, as in
    // a program or test built on a plain QApplication.
    static ZuAppContext* current();

    virtual ZuLangItemModel* langModel() const = 0;
    virtual ZuSkinItemModel* skinModel() const = 0;
    // The preference file in use; empty before one was opened.
    virtual QString configFile() const = 0;

protected:
    ZuAppContext() = default;
    virtual ~ZuAppContext();
    ZuAppContext(const ZuAppContext&) = delete;
    ZuAppContext& operator=(const ZuAppContext&) = delete;
};
