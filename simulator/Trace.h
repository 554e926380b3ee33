#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// A record of every byte on the line, one line per chunk:
//   <seconds since start, 6 decimals> <direction> <escaped bytes>
// where '<' is from the host and '>' to the host. Printable ASCII stands as
// it is, except the backslash (\\); CR, LF and TAB are \r, \n, \t; every
// other byte is \xHH.
class Trace {
public:
    static constexpr char FromHost = '<';
    static constexpr char ToHost = '>';

    // "-" traces to standard error.
    bool open(const QString& target, QString& error);
    void record(char direction, const QByteArray& bytes);

    static QByteArray escape(const QByteArray& bytes);

private:
    QFile m_file;
};
