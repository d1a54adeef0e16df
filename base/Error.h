// The one exception type of the core. It carries the system's own message; only a window turns
// it into a message box, and the command-line tool prints it.
#pragma once

#include <QString>

#include <stdexcept>
#include <utility>

namespace quorvel {

class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    explicit Error(const char* message) : std::runtime_error(message) {}

    QString message() const { return QString::fromUtf8(what()); }
};

// Runs `work`; an Error it raises is raised again with `shownFile` (the file it was about, as a
// message shows it) as the message's second line, unless the message names it already, so that
// "Read beyond end of file" says which file.
template <typename Work>
void namingFile(const QString& shownFile, Work&& work)
{
    try {
        std::forward<Work>(work)();
    } catch (const Error& e) {
        const QString message = e.message();
        if (message.contains(shownFile)) throw;
        throw Error(message + QLatin1Char('\n') + shownFile);
    }
}

} // namespace quorvel
