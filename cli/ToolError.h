#pragma once
// A failure that ends the command: what to tell the operator and the exit
// status it maps to. Thrown by the command code, caught once in main.
#include "ExitCode.h"

#include <QJsonObject>
#include <QString>

struct ToolError {
    ExitCode code;
    QString message;
    QJsonObject details = {}; // added to the failure object of --json
};

inline ToolError usageError(const QString& message)
{
    return {ExitCode::Usage, message};
}
inline ToolError moduleError(const QString& message)
{
    return {ExitCode::ModuleFailure, message};
}
inline ToolError fileError(const QString& message)
{
    return {ExitCode::FileError, message};
}
