// Runs quorvel-cli as a user runs it: the binary this build made, its exit status, what it wrote
// to stdout and to stderr.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

#include <functional>

namespace quorvel::test {

struct CliRun {
    int status; // -1 when it did not end normally
    QByteArray out, err;
};

// `inChild` runs in the child before the tool starts (only calls safe there, such as setrlimit).
inline CliRun runCli(const QStringList& args, const std::function<void()>& inChild = {})
{
    QProcess process;
    if (inChild) process.setChildProcessModifier(inChild);
    process.start(QStringLiteral(QUORVEL_CLI_PATH), args);
    if (!process.waitForFinished(60000)) process.kill();
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

} // namespace quorvel::test
