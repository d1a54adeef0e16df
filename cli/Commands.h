// The commands of quorvel-cli. Each takes its arguments (after the command's name) and returns
// the exit status; a UsageError means the arguments were wrong (exit 2), a quorvel::Error that
// the work failed (exit 1, message on stderr).
#pragma once

#include <QStringList>

#include <functional>
#include <stdexcept>

namespace quorvel {
struct ChainOptions;
}

namespace quorvel::cli {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Command {
    const char* name;
    const char* usage;   // arguments, as shown by --help
    const char* summary; // one line
    int (*run)(const QStringList& args);
};

// The one form of a usage error: "quorvel-cli NAME: PROBLEM" when there is a problem to name, then
// "usage: quorvel-cli NAME USAGE".
UsageError usageError(const char* name, const QString& problem = {});
// A file's failure as a command of many files reports it: "PATH: MESSAGE", or the message alone
// when it begins with the path already ("PATH is not a regular file").
QString fileFailure(const QString& path, const QString& message);

// Raises the command's usage error unless args has `count` entries.
void expectArguments(const QStringList& args, qsizetype count, const Command& command);
const Command& command(const char* name);
// set-header's arguments, made from the header fields' options.
const char* setHeaderUsage();

// The chain options convert and rebuild share: --keep-alpha, --filter point|box|linear and
// --alpha-coverage N. Returns whether `arg` is one of them (`value` gives its value);
// a bad value goes to `usage`, which does not return.
bool chainOption(const QString& arg, const std::function<QString()>& value, ChainOptions& chain,
                 const std::function<void(const QString&)>& usage);
// --alpha-coverage without --keep-alpha goes to `usage`.
void checkChainOptions(const ChainOptions& chain, const std::function<void(const QString&)>& usage);

int convert(const QStringList& args);
int rebuild(const QStringList& args);
int replaceLevel(const QStringList& args);
int decode(const QStringList& args);
int exportLevel(const QStringList& args);
int info(const QStringList& args);
int resave(const QStringList& args);
int sheet(const QStringList& args);
int setHeader(const QStringList& args);
int tgaResave(const QStringList& args);

} // namespace quorvel::cli
