#include "Progress.h"

#include <cstdio>
#include <unistd.h>

namespace {
constexpr int kBarWidth = 32;
constexpr int kBusyRedrawMs = 100;
// The least time between two plain lines.
constexpr qint64 kLineIntervalMs = 1000;
} // namespace

Progress::Progress(bool quiet)
    : m_mode(quiet                        ? Mode::Off
             : isatty(STDERR_FILENO) == 1 ? Mode::Bar
                                          : Mode::Lines)
{
    m_busyTimer.setInterval(kBusyRedrawMs);
    QObject::connect(&m_busyTimer, &QTimer::timeout, [this] { drawBusy(); });
}

Progress::~Progress()
{
    finish();
}

void Progress::start(const QString& label, int total)
{
    m_label = label;
    m_total = total;
    m_elapsed.start();
    advance(0);
}

void Progress::setPhase(const QString& phase)
{
    m_phase = phase;
}

QString Progress::title() const
{
    return m_phase.isEmpty() ? m_label : m_label + QStringLiteral(" (") + m_phase + ')';
}

QString Progress::seconds() const
{
    return QStringLiteral("%1 s").arg(m_elapsed.elapsed() / 1000.0, 0, 'f', 1);
}

void Progress::advance(int done)
{
    if (m_mode == Mode::Off || m_total <= 0)
        return;
    const int percent = 100 * done / m_total;
    const QString count =
        QStringLiteral("%1/%2 %3% %4").arg(done).arg(m_total).arg(percent).arg(seconds());
    if (m_mode == Mode::Lines)
        return show(title() + QStringLiteral(": ") + count, done == m_total);
    const int filled = kBarWidth * done / m_total;
    show(QStringLiteral("%1 [%2%3] %4")
             .arg(title(), QString(filled, QLatin1Char('#')),
                  QString(kBarWidth - filled, QLatin1Char('.')), count),
         false);
}

void Progress::startBusy(const QString& label)
{
    m_label = label;
    m_elapsed.start();
    if (m_mode == Mode::Off)
        return;
    drawBusy();
    m_busyTimer.start();
}

void Progress::drawBusy()
{
    static const char spinner[] = "|/-\\";
    if (m_mode == Mode::Lines)
        return show(title() + QStringLiteral(": ") + seconds(), false);
    show(QStringLiteral("%1 %2 %3")
             .arg(title())
             .arg(QLatin1Char(spinner[(m_elapsed.elapsed() / kBusyRedrawMs) % 4]))
             .arg(seconds()),
         false);
}

// A bar replaces itself in place; a plain line is printed when a second
// has passed since the last one, and for the last step.
void Progress::show(const QString& text, bool last)
{
    if (m_mode == Mode::Lines) {
        const qint64 now = m_elapsed.elapsed();
        if (!last && m_lastLineMs >= 0 && now - m_lastLineMs < kLineIntervalMs)
            return;
        m_lastLineMs = now;
        std::fprintf(stderr, "%s\n", qUtf8Printable(text));
        std::fflush(stderr);
        return;
    }
    std::fprintf(stderr, "\r\033[K%s", qUtf8Printable(text));
    std::fflush(stderr);
    m_drawn = true;
}

void Progress::finish()
{
    m_busyTimer.stop();
    if (!m_drawn)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_drawn = false;
}
