#pragma once
// A progress bar on standard error while it is a terminal; nothing at all
// when standard error goes to a file or a pipe.
#include <QElapsedTimer>
#include <QString>
#include <QTimer>

class Progress {
public:
    Progress();
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // A bar that counts steps up to total.
    void start(const QString& label, int total);
    void advance(int done);
    // A bar for work that tells no steps: it shows the time spent, redrawn
    // while the event loop runs.
    void startBusy(const QString& label);
    // Clears the bar's line.
    void finish();

private:
    void draw(const QString& line);
    void drawBusy();

    bool m_enabled;
    bool m_drawn = false;
    QString m_label;
    int m_total = 0;
    QElapsedTimer m_elapsed;
    QTimer m_busyTimer;
};
