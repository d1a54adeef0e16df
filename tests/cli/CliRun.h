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

#include <sys/resource.h>

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

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// For runCli's `inChild`: the tool may use at most `megabytes` of address space and `seconds` of
// processor time (past it, the system ends it and the run's status is -1). The sanitizers reserve
// far more address space than such a limit allows: tests that use it skip under them.
inline std::function<void()> limitedTo(rlim_t megabytes, rlim_t seconds)
{
    return [megabytes, seconds] {
        const rlimit memory{megabytes << 20, megabytes << 20};
        setrlimit(RLIMIT_AS, &memory);
        const rlimit time{seconds, seconds};
        setrlimit(RLIMIT_CPU, &time);
    };
}

// For runCli's `inChild`: no file the tool writes may grow past `bytes` (a write past it fails as
// on a full disk; the permissions that root passes over cannot make a write fail).
inline std::function<void()> fileSizeLimitedTo(rlim_t bytes)
{
    return [bytes] {
        const rlimit size{bytes, bytes};
        setrlimit(RLIMIT_FSIZE, &size);
    };
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
