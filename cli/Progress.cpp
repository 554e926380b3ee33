#include "Progress.h"

#include <cstdio>
#include <unistd.h>

namespace {
constexpr int kBarWidth = 32;
constexpr int kBusyRedrawMs = 100;
} // namespace

Progress::Progress() : m_enabled(isatty(STDERR_FILENO) == 1)
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
    advance(0);
}

void Progress::advance(int done)
{
    if (!m_enabled || m_total <= 0)
        return;
    const int filled = kBarWidth * done / m_total;
    draw(QStringLiteral("%1 [%2%3] %4/%5")
             .arg(m_label, QString(filled, QLatin1Char('#')),
                  QString(kBarWidth - filled, QLatin1Char('.')))
             .arg(done)
             .arg(m_total));
}

void Progress::startBusy(const QString& label)
{
    m_label = label;
    m_elapsed.start();
    if (!m_enabled)
        return;
    drawBusy();
    m_busyTimer.start();
}

void Progress::drawBusy()
{
    static const char spinner[] = "|/-\\";
    const qint64 ms = m_elapsed.elapsed();
    draw(QStringLiteral("%1 %2 %3 s")
             .arg(m_label)
             .arg(QLatin1Char(spinner[(ms / kBusyRedrawMs) % 4]))
             .arg(ms / 1000.0, 0, 'f', 1));
}

void Progress::draw(const QString& line)
{
    std::fprintf(stderr, "\r\033[K%s", qUtf8Printable(line));
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
