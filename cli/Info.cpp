// info [--json] TEXTURE.m32: the header of an m32 file as it stands in the file, names as
// UTF-8, and the present levels of its level table.
#include "cli/Commands.h"
#include "cli/HeaderReport.h"
#include "document/M32File.h"

#include <cstdio>
#include <string>

namespace quorvel::cli {

int info(const QStringList& args)
{
    bool json = false;
    QStringList files;
    for (const QString& a : args) {
        if (a == QLatin1String("--json")) json = true;
        else files << a;
    }
    if (files.size() != 1) throw usageError("info");
    const M32Header h = readM32Header(files[0]);
    const std::string out = json ? headerJson(h) : headerText(h);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

} // namespace quorvel::cli
