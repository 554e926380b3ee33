// A host of the TK28950 control: creates it through the registry, opens the
// module on the port number given as the first argument, and prints the
// module's version, its serial number, the whole EEPROM and one X reading.
#include <ControlError.h>
#include <ControlSession.h>
#include <TK28950Dispids.h>

#include <QCoreApplication>
#include <cstdio>

namespace id = tk28950::dispid;
using component::InvokeKind;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv); // the control's timers and port need an event loop
    bool isNumber = false;
    const int port = argc == 2 ? QString::fromLocal8Bit(argv[1]).toInt(&isNumber) : 0;
    if (!isNumber) {
        std::fprintf(stderr, "usage: %s PORT-NUMBER\n", argv[0]);
        return 2;
    }
    try {
        ControlSession module; // through the registry: register the library first
        module.open(port);

        // Most methods return at once; the module's answer comes as an event.
        const Answer version = module.request(id::Version);
        std::printf("version: %s\n", qUtf8Printable(version.text));

        // Properties wait for their answer inside the control.
        const component::Variant sn = module.invoke(InvokeKind::PropertyGet, id::SN);
        QString snText;
        sn.toText(&snText);
        std::printf("SN: %s\n", qUtf8Printable(snText));

        const QVector<int> cells = module.dump();
        for (int address = 0; address < cells.size(); ++address)
            std::printf("%3d%c", cells[address], address % 16 == 15 ? '\n' : ' ');

        const Answer x = module.request(id::ReadXChan, {std::uint8_t{0}});
        if (x.event != AnswerEvent::XReady)
            throw ControlError(QStringLiteral("X reading answered by another event: ") + x.text);
        std::printf("XReady: %s\n", qUtf8Printable(x.text));
    } catch (const ControlError& error) {
        std::fprintf(stderr, "%s: %s\n", argv[0], qUtf8Printable(error.message()));
        return 1;
    }
    return 0;
}
