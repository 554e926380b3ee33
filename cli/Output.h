#pragma once
// What a command reports: a line of text for people, or one JSON object per
// command for scripts (--json). Errors go to standard error in either case.
#include <QJsonObject>
#include <QString>

struct ToolError;

class Output {
public:
    explicit Output(bool json) : m_json(json) {}
    bool json() const { return m_json; }

    // A command's result: json gets "ok": true added; text is printed as is
    // (nothing when empty).
    void result(QJsonObject json, const QString& text) const;
    // One line of a stream (monitor): the object or the text, flushed.
    void record(const QJsonObject& json, const QString& text) const;
    // A failed command: the message on standard error, and in JSON mode an
    // object with "ok": false on standard output.
    void failure(const QString& command, const ToolError& error) const;

private:
    bool m_json;
};
