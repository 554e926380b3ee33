#include "ToolProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <unistd.h>

namespace {

// The object without the stamp every object carries.
QJsonObject unstamped(QJsonObject object)
{
    for (const char* key : {"device", "time", "format"})
        object.remove(QLatin1String(key));
    return object;
}

} // namespace

QJsonObject ToolResult::stampedJson() const
{
    return QJsonDocument::fromJson(out).object();
}

QJsonObject ToolResult::json() const
{
    return unstamped(stampedJson());
}

QList<QJsonObject> ToolResult::jsonLines() const
{
    QList<QJsonObject> objects;
    for (const QByteArray& line : out.split('\n'))
        if (!line.isEmpty())
            objects << unstamped(QJsonDocument::fromJson(line).object());
    return objects;
}

QStringList ToolResult::outLines() const
{
    return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts);
}

ToolProcess::ToolProcess(const QString& program) : m_program(program) {}

QString ToolProcess::defaultProgram()
{
    const QString testBinary = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return QFileInfo(testBinary).dir().filePath(QStringLiteral("tk28950"));
}

void ToolProcess::setVariable(const QString& name, const QString& value)
{
    m_extra.insert(name, value);
}

ToolResult ToolProcess::run(const QStringList& arguments, int timeoutMs) const
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(m_extra);
    process.setProcessEnvironment(environment);
    if (m_stderrFd >= 0) {
        const int fd = m_stderrFd;
        process.setChildProcessModifier([fd] { ::dup2(fd, STDERR_FILENO); });
    }
    process.start(m_program, arguments);
    process.write(m_input);
    process.closeWriteChannel();
    ToolResult result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        result.err = "the tool did not finish in time";
        return result;
    }
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return result;
}
