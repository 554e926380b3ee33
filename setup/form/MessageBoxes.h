#pragma once
// The one place where the program shows its message boxes, the control's
// own boxes included (it is the controls' host site). The presenter can be
// replaced, so that tests capture the boxes instead of blocking on them.
#include "Dispatch.h"
#include "TransferTiming.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class MessageBoxes : public component::HostSite {
public:
    using Presenter = std::function<void(const QString& text, const QString& title)>;

    explicit MessageBoxes(QWidget* owner = nullptr);

    static QString defaultTitle();

    // A modal box with an OK button; an empty title means the program's title.
    void show(const QString& text, const QString& title = QString());
    // nullptr brings back the modal boxes.
    void setPresenter(Presenter presenter);
    ShowMessage showFunction();

    QColor ambientBackColor() const override;
    void showMessage(const QString& text, const QString& caption) override;

private:
    void showModal(const QString& text, const QString& title) const;

    QPointer<QWidget> m_owner;
    Presenter m_presenter;
};
