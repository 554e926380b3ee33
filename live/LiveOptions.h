#pragma once
// The live view's command line.
#include <QString>
#include <QStringList>

struct LiveOptions {
    QString device; // --device: a serial device path
    int port = 0;   // --port: a port number of the port map; 0: none
    int intervalMs = 0;
    int windowS = 60;
    QString recordPath;
    bool recordTemperature = false;
    QString snapshotPath;
    double quitAfterS = 0; // 0: run until closed

    // Runs without a person: connects at once and ends by itself.
    bool headless() const { return quitAfterS > 0; }
};

enum class LiveCommandLine { Run, ShowedHelp, Bad };

// Reads the arguments into options. On Bad, error says which option is
// wrong and why; on ShowedHelp, the help text is in error's place.
LiveCommandLine parseLiveOptions(const QStringList& arguments, LiveOptions& options,
                                 QString& message);

// The windows the view offers, in seconds.
inline constexpr int kWindowChoicesS[] = {10, 60, 600};
