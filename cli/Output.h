#pragma once
// What a command reports: a line of text for people, or one JSON object per
// command for scripts (--json). Errors go to standard error in either case.
#include <QJsonObject>
#include <QString>

struct ToolError;

class Output {
public:
    // The layout of the JSON objects; a change that could break a reader
    // takes the next number.
    static constexpr int kJsonFormat = 1;

    // device: the serial device the command works on, named in every
    // object; empty when it has none.
    explicit Output(bool json, const QString& device = {}) : m_json(json), m_device(device) {}
    bool json() const { return m_json; }

    // A command's result: json gets "ok": true added; text is printed as is
    // (nothing when empty).
    void result(QJsonObject json, const QString& text) const;
    // One line of a stream (monitor): the object or the text, flushed.
    void record(const QJsonObject& json, const QString& text) const;
    // A remark on standard error that does not end the command.
    void note(const QString& command, const QString& text) const;
    // A failed command: the message on standard error, and in JSON mode an
    // object with "ok": false on standard output.
    void failure(const QString& command, const ToolError& error) const;
    // The line a failure prints: the program, the command, the message. A
    // message that already starts with the command's name ("read x: ...")
    // gets no second one.
    static QString failureLine(const QString& command, const QString& message);

private:
    QJsonObject stamped(QJsonObject json) const;

    bool m_json;
    QString m_device;
};
