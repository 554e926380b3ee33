#include "PropPageObject.h"

#include "CTK28950PropPage.h"
#include "ServerLock.h"

#include <QApplication>

PropPageObject::PropPageObject()
{
    server::objectCreated();
}

PropPageObject::~PropPageObject()
{
    delete m_page;
    server::objectDestroyed();
}

component::HResult PropPageObject::idOfName(const QString&, component::DispId*) const
{
    return component::kUnknownName;
}

component::HResult PropPageObject::invoke(component::DispId, component::InvokeKind,
                                          const QVector<component::Variant>&, component::Variant*,
                                          component::ErrorInfo*)
{
    return component::kMemberNotFound;
}

QWidget* PropPageObject::widget(QWidget* parent)
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return nullptr;
    if (!m_page)
        m_page = new CTK28950PropPage(parent);
    return m_page;
}

void PropPageObject::release()
{
    delete this;
}
