// Outputs never land on inputs: before a command writes a file, the file is compared with every
// file the command reads, by device and inode after following links, so that neither a second
// name nor a link to an input can make the command write over what it reads.
#pragma once

#include <QString>
#include <QStringList>

#include <set>
#include <utility>

namespace quorvel {

// The files a command reads, taken once so that each output is checked with one look-up.
class InputFiles {
public:
    // Paths that name no file are left out: nothing can be written over them.
    explicit InputFiles(const QStringList& paths);

    // Raises Error "OUTPUT and INPUT are the same file" when `output` names one of the inputs;
    // an output that does not exist yet names none.
    void refuseAsOutput(const QString& output) const;

private:
    struct Entry {
        unsigned long long device, inode;
        QString path;
        bool operator<(const Entry& other) const { return std::pair(device, inode) < std::pair(other.device, other.inode); }
    };
    std::set<Entry> files_;
};

// The same for one output and its inputs.
void refuseOutputOverInputs(const QString& output, const QStringList& inputs);

} // namespace quorvel
