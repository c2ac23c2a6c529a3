#pragma once
// A program run as a user runs it: its arguments and working folder in, its exit status and
// what it printed out.

#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>

namespace ostrino::test {

struct ProgramRun {
    int exitCode = -1;
    QStringList out;  // the lines of standard output, empty ones left out
    QString err;
};

inline ProgramRun runProgram(const QString& program, const QStringList& args,
                             const QString& folder) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(120000)) << program.toStdString();
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput());
    return {p.exitCode(), out.split('\n', Qt::SkipEmptyParts),
            QString::fromLocal8Bit(p.readAllStandardError())};
}

}  // namespace ostrino::test
