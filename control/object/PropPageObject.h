#pragma once
// The property page as a component object: it has no members; its face is
// the page itself.
#include "Dispatch.h"

#include <QPointer>

class CTK28950PropPage;

class PropPageObject : public component::DispatchObject {
public:
    PropPageObject();
    ~PropPageObject() override;
    PropPageObject(const PropPageObject&) = delete;
    PropPageObject& operator=(const PropPageObject&) = delete;

    component::HResult idOfName(const QString& name, component::DispId* dispid) const override;
    component::HResult invoke(component::DispId dispid, component::InvokeKind kind,
                              const QVector<component::Variant>& args, component::Variant* result,
                              component::ErrorInfo* error) override;
    void advise(component::EventSink*) override {}
    void setSite(component::HostSite*) override {}
    QWidget* widget(QWidget* parent) override;
    void release() override;

private:
    QPointer<CTK28950PropPage> m_page;
};
