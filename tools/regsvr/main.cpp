// tk28950-regsvr [-u] [--system | --registry FILE] LIBRARY
//
// Loads a component library and calls its DllRegisterServer (or, with -u,
// DllUnregisterServer). Exit code 0 on success, 1 when the library fails or
// cannot be loaded, 2 on bad usage.
#include "ComponentHost.h"
#include "Exports.h"
#include "Registry.h"
#include "ResultText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <optional>

namespace {

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

struct Request {
    QString library;
    bool unregister = false;
    bool system = false; // the machine's registry
};

void print(FILE* stream, const QString& text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stream);
}

// Fills *request from the command line, or returns the exit code to leave with.
std::optional<ExitCode> parseArguments(const QStringList& arguments, Request* request)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Registers a component library, or unregisters it with -u."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption unregisterOption(
        {QStringLiteral("u"), QStringLiteral("unregister")},
        QStringLiteral("Unregister the library instead of registering it."));
    const QCommandLineOption registryOption(
        QStringLiteral("registry"),
        QStringLiteral("Use FILE as the registry (as TK28950_REGISTRY does)."),
        QStringLiteral("FILE"));
    const QCommandLineOption systemOption(
        QStringLiteral("system"),
        QStringLiteral("Use the machine's registry, which every user reads after their own: %1.")
            .arg(component::Registry::systemPath()));
    parser.addOption(unregisterOption);
    parser.addOption(registryOption);
    parser.addOption(systemOption);
    parser.addPositionalArgument(QStringLiteral("LIBRARY"),
                                 QStringLiteral("The component library file."));
    if (!parser.parse(arguments)) {
        print(stderr, parser.errorText() + QLatin1Char('\n') + parser.helpText());
        return kUsage;
    }
    if (parser.isSet(helpOption)) {
        print(stdout, parser.helpText());
        return kSuccess;
    }
    if (parser.positionalArguments().size() != 1) {
        print(stderr, QStringLiteral("expected exactly one LIBRARY\n") + parser.helpText());
        return kUsage;
    }
    if (parser.isSet(registryOption) && parser.isSet(systemOption)) {
        print(stderr,
              QStringLiteral("--registry and --system name different registries; give one"));
        return kUsage;
    }
    // The registry holds absolute paths; the library finds its own path from
    // the name it was loaded by.
    request->library = QFileInfo(parser.positionalArguments().first()).absoluteFilePath();
    request->unregister = parser.isSet(unregisterOption);
    request->system = parser.isSet(systemOption);
    // The library writes to the registry that TK28950_REGISTRY names.
    const QString registry = parser.isSet(systemOption)     ? component::Registry::systemPath()
                             : parser.isSet(registryOption) ? parser.value(registryOption)
                                                            : QString();
    if (!registry.isEmpty())
        qputenv("TK28950_REGISTRY", QFile::encodeName(QFileInfo(registry).absoluteFilePath()));
    return std::nullopt;
}

// Programs look in the machine's registry for what the user's does not
// know: a library unregistered from the user's registry alone is still
// created when the machine's registry names it, which the user is told.
void noteSystemRegistration(const QString& library)
{
    const QString system = component::Registry::systemPath();
    if (component::Registry(system).classesOf(library).isEmpty())
        return;
    print(stderr, QStringLiteral("%1 stays registered in the machine's registry %2, which every "
                                 "user's programs read: they still create it. To remove it "
                                 "there: sudo tk28950-regsvr --system -u %1")
                      .arg(library, system));
}

ExitCode run(const Request& request)
{
    QString error;
    const std::shared_ptr<component::Library> library =
        component::Library::load(request.library, &error);
    if (!library) {
        print(stderr, QStringLiteral("cannot load %1: %2").arg(request.library, error));
        return kFailure;
    }
    const char* entryName = request.unregister ? component::exports::kUnregisterServer
                                               : component::exports::kRegisterServer;
    // Both entry points have the same signature.
    const auto entry = reinterpret_cast<DllRegisterServerFn>(library->symbol(entryName));
    if (!entry) {
        print(
            stderr,
            QStringLiteral("%1 does not export %2").arg(request.library, QLatin1String(entryName)));
        return kFailure;
    }
    const component::HResult hr = entry();
    if (component::failed(hr)) {
        print(stderr,
              QStringLiteral("%1 of %2 failed: %3")
                  .arg(QLatin1String(entryName), request.library, component::resultText(hr)));
        return kFailure;
    }
    print(stdout, QStringLiteral("%1 %2").arg(request.unregister ? QStringLiteral("Unregistered")
                                                                 : QStringLiteral("Registered"),
                                              request.library));
    if (request.unregister && !request.system)
        noteSystemRegistration(request.library);
    return kSuccess;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tk28950-regsvr"));
    Request request;
    if (const std::optional<ExitCode> early = parseArguments(app.arguments(), &request))
        return *early;
    return run(request);
}
