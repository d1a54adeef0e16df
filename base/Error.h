// The one exception type of the core. It carries the system's own message; only a window turns
// it into a message box, and the command-line tool prints it.
#pragma once

#include <QString>

#include <stdexcept>

namespace quorvel {

class Error : public std::runtime_error {
public:
    explicit Error(const QString& message) : std::runtime_error(message.toStdString()) {}
    explicit Error(const char* message) : std::runtime_error(message) {}

    QString message() const { return QString::fromUtf8(what()); }
};

} // namespace quorvel
