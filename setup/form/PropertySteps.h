#pragma once
// Steps that move values between the window's boxes and the properties of a
// control instance, one call per step, in order. A step whose box holds no
// 16-bit integer where one is needed stops the run before it sends anything,
// and the operator is told which box holds what. A device that went away
// stops a run at the step that finds it gone; its box keeps what it showed.
// A property the control could not read or write (the module did not
// answer, or not soundly) stops the run too, and the operator is told what
// failed.
#include "Dispatch.h"

#include <QString>
#include <QVector>
#include <functional>

class ControlClient;
struct CallResult;
class MessageBoxes;
class QWidget;

struct PropertyStep {
    enum class Kind {
        PutInteger,     // the box's text converted to a 16-bit integer
        PutNumericText, // the box's text as text, when it converts to a 16-bit integer
        PutText,        // the box's text as it is
        GetInteger,     // the property as decimal text into the box
        GetText         // the property's text into the box
    };
    Kind kind;
    const char* box;
    component::DispId dispid;
};

class PropertySteps {
public:
    // deviceGone tells whether the control's device went away.
    PropertySteps(ControlClient* control, QWidget* form, MessageBoxes* messages,
                  std::function<bool()> deviceGone);

    // Runs the steps in order; false when a conversion, a failed property
    // call or a device that went away stopped them.
    bool run(const QVector<PropertyStep>& steps) const;

    // The text a box shows: a text box's text, a combo box's edit text.
    static QString textOf(const QWidget* box);
    static void setTextOf(QWidget* box, const QString& text);

private:
    bool runStep(const PropertyStep& step) const;
    bool putConverted(const PropertyStep& step, QWidget* box) const;
    bool get(const PropertyStep& step, QWidget* box) const;
    bool succeeded(const CallResult& result, const QWidget* box) const;
    QWidget* box(const char* name) const;

    ControlClient* m_control;
    QWidget* m_form;
    MessageBoxes* m_messages;
    std::function<bool()> m_deviceGone;
};
