// tga-resave IN.tga OUT: loads a TGA picture and saves it the way the picture saves itself, so
// a TGA keeps its alpha and its kind, and a name ending in .bmp gets a Windows bitmap.
#include "cli/Commands.h"
#include "codecs/TargaImage.h"

namespace quorvel::cli {

int tgaResave(const QStringList& args)
{
    expectArguments(args, 2, command("tga-resave"));
    TTarga picture;
    picture.loadFromFile(args[0]);
    picture.saveToFile(args[1]);
    return 0;
}

} // namespace quorvel::cli
