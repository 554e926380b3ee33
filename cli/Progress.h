#pragma once
// Progress on standard error: a bar redrawn in place while standard error
// is a terminal; plain lines at most once a second when it goes to a file or
// a pipe; nothing when the operator asked for quiet. Each shows the phase,
// the steps done, the percentage and the time spent.
#include <QElapsedTimer>
#include <QString>
#include <QTimer>

class Progress {
public:
    explicit Progress(bool quiet = false);
    ~Progress();
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // A bar that counts steps up to total.
    void start(const QString& label, int total);
    // The part of the work the next steps belong to ("write", "verify").
    void setPhase(const QString& phase);
    void advance(int done);
    // A bar for work that tells no steps: it shows the time spent, redrawn
    // while the event loop runs.
    void startBusy(const QString& label);
    // Clears the bar's line.
    void finish();

private:
    enum class Mode { Bar, Lines, Off };
    void show(const QString& text, bool last);
    void drawBusy();
    QString title() const;
    QString seconds() const;

    Mode m_mode;
    bool m_drawn = false;
    QString m_label;
    QString m_phase;
    int m_total = 0;
    QElapsedTimer m_elapsed;
    qint64 m_lastLineMs = -1;
    QTimer m_busyTimer;
};
