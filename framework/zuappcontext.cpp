#include "zuappcontext.h"

#include <QCoreApplication>

ZuAppContext::~ZuAppContext() = default;

ZuAppContext* ZuAppContext::current()
{
    // A cast rather than a registered pointer: before the application's own
    // part is built, and once it is gone, the object's dynamic type is not
    // the context, so nobody reaches half-made language or skin lists.
    return dynamic_cast<ZuAppContext*>(QCoreApplication::instance());
}
