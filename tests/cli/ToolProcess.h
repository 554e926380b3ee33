#pragma once
// Runs the tk28950 program as a child process and collects what it printed.
#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ToolResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;

    // Standard output as one JSON object, without the device, time and
    // format every object carries (stampedJson() keeps them).
    QJsonObject json() const;
    QJsonObject stampedJson() const;
    QList<QJsonObject> jsonLines() const; // one object per line
    QStringList outLines() const;
};

class ToolProcess {
public:
    // program: the tool beside the running test binary unless given.
    explicit ToolProcess(const QString& program = defaultProgram());
    static QString defaultProgram();

    // Variables for the tool on top of this process's environment.
    void setVariable(const QString& name, const QString& value);
    // Standard error becomes this descriptor (e.g. a pseudo-terminal).
    void setStandardErrorDescriptor(int fd) { m_stderrFd = fd; }
    // What the tool reads on standard input (nothing, at once at its end, by default).
    void setStandardInput(const QByteArray& input) { m_input = input; }

    ToolResult run(const QStringList& arguments, int timeoutMs = 60000) const;

private:
    QString m_program;
    QProcessEnvironment m_extra;
    int m_stderrFd = -1;
    QByteArray m_input;
};
