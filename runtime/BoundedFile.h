#pragma once
// Reading a whole input file whose format bounds its size. Only a regular
// file is read: a folder, a device, a FIFO or a socket is refused before it
// is opened for reading, so nothing blocks and nothing is read without end,
// and a file larger than the bound is refused without reading it whole.
#include <QByteArray>
#include <QString>

namespace component {

struct BoundedFile {
    enum class Status {
        Read,       // content holds the whole file
        CannotOpen, // missing, not permitted, or a read error
        Folder,
        NotRegular, // a device, FIFO or socket
        TooLarge,
    };
    Status status = Status::CannotOpen;
    QByteArray content;
    QString error; // why the file was not read, for a message

    bool ok() const { return status == Status::Read; }
};

// The whole of the file at path when it is a regular file of at most
// maxBytes bytes.
BoundedFile readBoundedFile(const QString& path, qint64 maxBytes);
// What the process's standard input holds, up to its end, when that is at
// most maxBytes bytes: a pipe or a terminal is read too (the user chose it),
// but never more than the bound.
BoundedFile readBoundedStandardInput(qint64 maxBytes);

// Text content without the UTF-8 byte order mark that some editors (those of
// Windows) put at its start.
QByteArray withoutByteOrderMark(const QByteArray& content);

} // namespace component
