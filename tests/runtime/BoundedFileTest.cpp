// Input files are read whole only when they are regular files within their
// bound; anything else is refused at once, without blocking or reading on.
#include "BoundedFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

using component::BoundedFile;
using component::readBoundedFile;

namespace {

class BoundedFileTest : public ::testing::Test {
protected:
    QString write(const char* name, const QByteArray& content)
    {
        const QString path = dir.filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(BoundedFileTest, RegularFilesUpToTheBoundAreReadWhole)
{
    const QByteArray content = QByteArray("0\t1\r\n").repeated(20);
    const BoundedFile exact = readBoundedFile(write("exact", content), content.size());
    EXPECT_TRUE(exact.ok()) << exact.error.toStdString();
    EXPECT_EQ(exact.content, content);
    EXPECT_EQ(readBoundedFile(write("empty", {}), 10).content, QByteArray());

    const BoundedFile over = readBoundedFile(write("over", content + 'x'), content.size());
    EXPECT_EQ(over.status, BoundedFile::Status::TooLarge);
    EXPECT_TRUE(over.content.isEmpty());
    EXPECT_TRUE(over.error.contains(QString::number(content.size()))) << over.error.toStdString();
}

TEST_F(BoundedFileTest, AHugeSparseFileIsRefusedWithoutBeingRead)
{
    const QString path = write("huge", {});
    ASSERT_TRUE(QFile::resize(path, qint64(8) << 30));
    EXPECT_EQ(readBoundedFile(path, 1 << 20).status, BoundedFile::Status::TooLarge);
}

TEST_F(BoundedFileTest, FoldersDevicesAndFifosAreRefusedAtOnce)
{
    EXPECT_EQ(readBoundedFile(dir.path(), 100).status, BoundedFile::Status::Folder);
    const BoundedFile zero = readBoundedFile(QStringLiteral("/dev/zero"), 100);
    EXPECT_EQ(zero.status, BoundedFile::Status::NotRegular);
    EXPECT_TRUE(zero.error.contains(QLatin1String("not a regular file")));
    // A FIFO without a writer would block an ordinary open for ever.
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(readBoundedFile(fifo, 100).status, BoundedFile::Status::NotRegular);
}

TEST_F(BoundedFileTest, MissingAndForbiddenFilesSayWhy)
{
    const BoundedFile missing = readBoundedFile(dir.filePath(QStringLiteral("missing")), 100);
    EXPECT_EQ(missing.status, BoundedFile::Status::CannotOpen);
    EXPECT_TRUE(missing.error.contains(QLatin1String("No such file")))
        << missing.error.toStdString();
    EXPECT_EQ(readBoundedFile(QString(), 100).status, BoundedFile::Status::CannotOpen);
    const QString locked = write("locked", "1");
    ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    if (::geteuid() != 0) { // root reads it all the same
        EXPECT_EQ(readBoundedFile(locked, 100).status, BoundedFile::Status::CannotOpen);
    }
}
