#include "tests/support/Bytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>

namespace quorvel::test {

QString writeTempFile(const QString& name, const QByteArray& bytes)
{
    static QTemporaryDir directory;
    const QString path = QDir(directory.path()).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
    return path;
}

} // namespace quorvel::test
