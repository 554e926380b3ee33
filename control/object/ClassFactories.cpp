#include "ClassFactories.h"

#include "CTK28950Ctrl.h"
#include "PropPageObject.h"
#include "ServerLock.h"
#include "resources/TK28950Dispids.h"

namespace server {

namespace {

template <class Object> class Factory : public component::ClassFactory {
public:
    component::HResult createInstance(component::DispatchObject** object) override
    {
        if (!object)
            return component::kPointer;
        *object = new Object;
        return component::kOk;
    }

    component::HResult lockServer(bool on) override
    {
        lock(on);
        return component::kOk;
    }
};

Factory<CTK28950Ctrl> g_controlFactory;
Factory<PropPageObject> g_propPageFactory;

bool sameId(const QString& a, const char* b)
{
    return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

} // namespace

component::ClassFactory* factoryFor(const QString& clsid)
{
    if (sameId(clsid, tk28950::kControlClsid))
        return &g_controlFactory;
    if (sameId(clsid, tk28950::kPropPageClsid))
        return &g_propPageFactory;
    return nullptr;
}

} // namespace server
