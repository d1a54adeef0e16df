// resave IN.m32 OUT.m32: opens IN as File > Open does and writes it as Save as does, through
// the working texts of the properties (so the header comes back as the editor would save it).
// tga-resave IN.tga OUT: loads a TGA picture and saves it the way the picture saves itself, so
// a TGA keeps its alpha and its kind, and a name ending in .bmp gets a Windows bitmap.
// Both refuse an OUT that is IN itself (another name, a link) before reading anything.
#include "cli/Commands.h"
#include "base/SameFile.h"
#include "codecs/TargaImage.h"
#include "document/TextureDocument.h"

namespace quorvel::cli {

namespace {

template <class Picture, class Read, class Write>
int readThenWrite(const QStringList& args, const char* name, Read read, Write write)
{
    expectArguments(args, 2, command(name));
    refuseOutputOverInputs(args[1], {args[0]});
    Picture picture;
    read(picture, args[0]);
    write(picture, args[1]);
    return 0;
}

} // namespace

int resave(const QStringList& args)
{
    return readThenWrite<TextureDocument>(
        args, "resave", [](TextureDocument& d, const QString& in) { d.open(in); },
        [](TextureDocument& d, const QString& out) { d.save(out); });
}

int tgaResave(const QStringList& args)
{
    return readThenWrite<TTarga>(
        args, "tga-resave", [](TTarga& t, const QString& in) { t.loadFromFile(in); },
        [](const TTarga& t, const QString& out) { t.saveToFile(out); });
}

} // namespace quorvel::cli
