// ReadEEPROM round trips from C++ through the host client: the request and
// the wait for the event that answers it. Prints the mean time of one.
//   host_round_trips PORT COUNT
#include "ControlError.h"
#include "ControlSession.h"
#include "TK28950Dispids.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PORT COUNT\n", argv[0]);
        return 2;
    }
    const int port = QString::fromLocal8Bit(argv[1]).toInt();
    const int count = QString::fromLocal8Bit(argv[2]).toInt();
    try {
        ControlSession module;
        module.open(port);
        QElapsedTimer clock;
        clock.start();
        for (int trip = 0; trip < count; ++trip)
            module.request(tk28950::dispid::ReadEEPROM,
                           {QString::number(trip % ControlSession::kCells)});
        std::printf("%.1f\n", clock.nsecsElapsed() / 1000.0 / count);
    } catch (const ControlError& error) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(error.message()));
        return 1;
    }
    return 0;
}
