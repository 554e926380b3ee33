#include "CliFixture.h"

#include <QFile>

CliFixture::CliFixture()
{
    m_tool.setVariable(QStringLiteral("TK28950_REGISTRY"), path(QStringLiteral("registry.ini")));
}

void CliFixture::startSimulator(const QStringList& arguments, const QByteArray& eeprom)
{
    ASSERT_TRUE(m_sim.start(arguments, eeprom)) << m_sim.error().toStdString();
}

// A fixed bound that no hiccup of a busy test machine reaches, so that the
// traffic a test sees is the same on every run; a test that is about the
// bound gives its own --timeout, which wins.
ToolResult CliFixture::run(const QStringList& arguments) const
{
    return m_tool.run(QStringList{QStringLiteral("--device"), m_sim.device(),
                                  QStringLiteral("--timeout"), QStringLiteral("2000")} +
                      arguments);
}

void CliFixture::expectNoTrafficSoFar()
{
    const ToolResult probe = run({"eeprom", "read", "0"});
    ASSERT_EQ(probe.exitCode, 0) << probe.err.toStdString();
    ASSERT_TRUE(m_sim.waitForReceived(9));
    // The version request that brings the line in step, then the read and
    // the read that confirms it.
    EXPECT_EQ(m_sim.received(), QByteArray("vi000i000"));
}

QString CliFixture::writeFile(const QString& name, const QByteArray& content) const
{
    QFile file(path(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return file.fileName();
}

QByteArray CliFixture::dataFile(const QByteArray& cells, const QByteArray& lineEnd, char separator)
{
    QByteArray content = "Address" + QByteArray(1, separator) + "Value" + lineEnd;
    for (int address = 0; address < cells.size(); ++address)
        content += QByteArray::number(address) + separator +
                   QByteArray::number(static_cast<quint8>(cells.at(address))) + lineEnd;
    return content;
}
