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
#include <memory>

class QMessageBox;

class MessageBoxes : public component::HostSite {
public:
    struct Box {
        QString text;
        QString title;       // never empty once shown
        QString informative; // a second, smaller paragraph: the reason behind the text
    };
    using Presenter = std::function<void(const Box& box)>;

    explicit MessageBoxes(QWidget* owner = nullptr);

    static QString defaultTitle();

    // A modal box with an OK button; an empty title means the program's title.
    void show(const QString& text, const QString& title = QString(),
              const QString& informative = QString());
    // nullptr brings back the modal boxes.
    void setPresenter(Presenter presenter);
    ShowMessage showFunction();

    // The modal box as the operator sees it.
    static std::unique_ptr<QMessageBox> createBox(const Box& box, QWidget* owner);

    QColor ambientBackColor() const override;
    void showMessage(const QString& text, const QString& caption) override;

private:
    QPointer<QWidget> m_owner;
    Presenter m_presenter;
};
