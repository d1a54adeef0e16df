// Runs quorvel-cli as a user runs it: the binary this build made, its exit status, what it wrote
// to stdout and to stderr.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace quorvel::test {

struct CliRun {
    int status; // -1 when it did not end normally
    QByteArray out, err;
};

// `inChild` runs in the child before the tool starts (only calls safe there, such as setrlimit).
// `program` and `programArgs` run another program in the tool's place (runShell).
inline CliRun runCli(const QStringList& args, const std::function<void()>& inChild = {}, const QString& program = {},
                     const QStringList& programArgs = {})
{
    QProcess process;
    if (inChild) process.setChildProcessModifier(inChild);
    process.start(program.isEmpty() ? QStringLiteral(QUORVEL_CLI_PATH) : program, program.isEmpty() ? args : programArgs);
    if (!process.waitForFinished(60000)) process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

// Runs `script` in sh with $0 the tool, for arguments that must reach it as raw bytes.
inline CliRun runShell(const QString& script)
{
    return runCli({}, {}, QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, QStringLiteral(QUORVEL_CLI_PATH)});
}

// A file's bytes, or "(missing)".
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "(missing)";
    return file.readAll();
}

// Writes a test input into the temporary directory and returns its path.
inline QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) ADD_FAILURE() << "cannot write " << name.toStdString();
    return path;
}

} // namespace quorvel::test
