#pragma once
// The tool's host site: the control's message boxes become lines on
// standard error, since a terminal has no one to click OK.
#include "Dispatch.h"

#include <QColor>
#include <cstdio>

class StderrSite : public component::HostSite {
public:
    QColor ambientBackColor() const override { return QColor(Qt::lightGray); }
    void showMessage(const QString& text, const QString& caption) override
    {
        std::fprintf(stderr, "tk28950: %s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
    }
};
