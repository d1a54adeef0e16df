#include "base/SameFile.h"

#include "base/Error.h"
#include "base/FileNames.h"

#include <sys/stat.h>

namespace quorvel {

namespace {

bool identify(const QString& path, unsigned long long& device, unsigned long long& inode)
{
    struct stat info;
    if (path.isEmpty() || ::stat(pathBytes(path).constData(), &info) != 0) return false;
    device = info.st_dev;
    inode = info.st_ino;
    return true;
}

} // namespace

InputFiles::InputFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        Entry entry{0, 0, path};
        if (identify(path, entry.device, entry.inode)) files_.insert(entry);
    }
}

void InputFiles::refuseAsOutput(const QString& output) const
{
    Entry wanted{0, 0, {}};
    if (!identify(output, wanted.device, wanted.inode)) return;
    const auto found = files_.find(wanted);
    if (found != files_.end())
        throw Error(QStringLiteral("%1 and %2 are the same file").arg(output, found->path));
}

void refuseOutputOverInputs(const QString& output, const QStringList& inputs)
{
    InputFiles(inputs).refuseAsOutput(output);
}

} // namespace quorvel
