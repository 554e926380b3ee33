#pragma once

#include <QString>

#include <optional>
#include <random>

// How the simulated module is tilted over time: a fixed angle, or a circle
// of the given amplitude around it (X follows a sine and Y a cosine of the
// same period, so the two axes together trace a circle), each reading with
// normally distributed noise added.
struct TiltSettings {
    double amplitude = 0; // degrees; 0: the angle stays fixed
    double periodS = 1;   // seconds for one turn
    double noise = 0;     // standard deviation, degrees
};

// "sine:amplitude=A,period=S" into settings (noise untouched); the reason
// in error when the text is not such a profile.
bool parseTiltProfile(const QString& text, TiltSettings& settings, QString& error);

class TiltProfile {
public:
    TiltProfile(const TiltSettings& settings, double centreX, double centreY);

    // The angles at the given second of the simulator's clock, noise added.
    double x(double seconds);
    double y(double seconds);

private:
    double noisy(double degrees);

    TiltSettings m_settings;
    double m_centreX;
    double m_centreY;
    std::mt19937 m_generator{1}; // fixed seed: a run's noise is the same each time
    std::normal_distribution<double> m_noise;
};
