// The bash completion, run by bash: its lists of commands, properties and
// methods must be those the tool and the control really have.
#include "MemberCatalog.h"
#include "ToolProcess.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QStringList complete(const QStringList& words)
{
    const QString script =
        QStringLiteral("source \"$0\"; COMP_WORDS=(\"$@\"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); "
                       "_tk28950; printf '%s\\n' \"${COMPREPLY[@]}\"");
    QProcess bash;
    bash.start("bash",
               QStringList{"-c", script, TK28950_BUILD_DIR "/cli/tk28950.bash-completion"} +
                   words);
    EXPECT_TRUE(bash.waitForFinished(10000));
    QStringList result =
        QString::fromUtf8(bash.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    result.sort();
    return result;
}

QStringList sorted(QStringList names)
{
    names.sort();
    return names;
}

TEST(Completion, OffersWhatTheControlPublishes)
{
    const QString library =
        QFileInfo(ToolProcess::defaultProgram()).dir().filePath("libTK28950.so");
    const MemberCatalog catalog = MemberCatalog::fromLibrary(library);
    EXPECT_EQ(complete({"tk28950", "get", ""}),
              sorted(catalog.names(MemberCatalog::Kind::Property)));
    EXPECT_EQ(complete({"tk28950", "--port", "2", "set", ""}),
              sorted(catalog.names(MemberCatalog::Kind::Property)));
    EXPECT_EQ(complete({"tk28950", "call", ""}),
              sorted(catalog.names(MemberCatalog::Kind::Method)));
}

TEST(Completion, CommandsAndOptions)
{
    EXPECT_EQ(complete({"tk28950", "eeprom", ""}),
              sorted({"read", "write", "dump", "restore", "diff"}));
    EXPECT_TRUE(complete({"tk28950", "monitor", "--c"}).contains("--count"));
    EXPECT_EQ(complete({"tk28950", "coef", "load", ""}), sorted({"x", "y"}));
}

} // namespace
