#pragma once
// The readings as the tests see them on both ends: the rows of a recorded
// CSV file and the X and Y answers in a simulator's trace.
#include <QByteArray>
#include <QString>
#include <QStringList>

struct RecordedRow {
    qint64 timeMs;
    QString x;
    QString y;
    QString temperature; // empty when not recorded
};

// The header line, then the rows, with or without a temperature; a line that is not a row fails the
// test that reads it.
struct RecordedFile {
    QString header;
    QList<RecordedRow> rows;
};
RecordedFile readRecording(const QString& path);

// The answers to "c" and "d" among the bytes a simulator sent, in order.
QStringList readingAnswers(const QByteArray& sent);
