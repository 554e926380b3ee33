#include "TiltProfile.h"

#include <QStringList>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// The largest angle the module's answer format can carry.
constexpr double LargestAngle = 99.999;

double turnAngle(double seconds, double periodS)
{
    return 2 * std::numbers::pi * seconds / periodS;
}

// One "name=value" field of the profile, a finite number within its range.
bool readField(const QString& field, TiltSettings& settings, QString& error)
{
    const QString name = field.section('=', 0, 0).trimmed();
    const QString text = field.section('=', 1);
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (name == QLatin1String("amplitude") && ok && value >= 0 && value <= LargestAngle) {
        settings.amplitude = value;
        return true;
    }
    if (name == QLatin1String("period") && ok && value > 0 && std::isfinite(value)) {
        settings.periodS = value;
        return true;
    }
    error = name == QLatin1String("amplitude") ? QStringLiteral("amplitude: 0 to 99.999 degrees")
            : name == QLatin1String("period")
                ? QStringLiteral("period: a number of seconds above 0")
                : QStringLiteral("unknown field \"%1\" (amplitude, period)").arg(name);
    return false;
}
} // namespace

bool parseTiltProfile(const QString& text, TiltSettings& settings, QString& error)
{
    const QString shape = text.section(':', 0, 0);
    if (shape != QLatin1String("sine")) {
        error = QStringLiteral("unknown profile \"%1\" (sine:amplitude=A,period=S)").arg(shape);
        return false;
    }
    TiltSettings parsed = settings;
    const QStringList fields = text.section(':', 1).split(',', Qt::SkipEmptyParts);
    for (const QString& field : fields)
        if (!readField(field, parsed, error))
            return false;
    settings = parsed;
    return true;
}

TiltProfile::TiltProfile(const TiltSettings& settings, double centreX, double centreY)
    : m_settings(settings), m_centreX(centreX), m_centreY(centreY),
      m_noise(0, settings.noise > 0 ? settings.noise : 1)
{
}

double TiltProfile::x(double seconds)
{
    return noisy(m_centreX +
                 m_settings.amplitude * std::sin(turnAngle(seconds, m_settings.periodS)));
}

double TiltProfile::y(double seconds)
{
    return noisy(m_centreY +
                 m_settings.amplitude * std::cos(turnAngle(seconds, m_settings.periodS)));
}

// The answer format has room for +-99.999, so the noisy angle stays within it.
double TiltProfile::noisy(double degrees)
{
    if (m_settings.noise > 0)
        degrees += m_noise(m_generator);
    return std::clamp(degrees, -LargestAngle, LargestAngle);
}
