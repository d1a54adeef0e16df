// quorvel-cli's front, the program a user starts. Loading Qt's libraries costs more than 10 ms
// of relocations and page faults, several times what `--version` or `info` take in all, so the
// front links none of them: it answers those two itself and hands every other command, and an
// `info` it cannot answer, to the commands library, which it loads only then. A `decode` goes to
// the decode module first, which needs Qt Core alone.
#include "cli/HeaderReport.h"
#include "document/M32File.h"
#include "document/M32Format.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool readExactly(int fd, char* into, std::size_t count)
{
    std::size_t done = 0;
    while (done < count) {
        const ssize_t got = ::read(fd, into + done, count - done);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        done += std::size_t(got);
    }
    return true;
}

bool isReadableTexture(const struct stat& info)
{
    return S_ISREG(info.st_mode) && info.st_size <= quorvel::kM32FileLimit.bytes;
}

// The header of `path` when it is a texture that info reads without a failure; false for
// anything else (not a regular file, too large, unreadable, short), which the commands library
// then reports in its own words. Looked at before it is opened, as every reader does, so that a
// FIFO is never opened.
bool readHeader(const char* path, quorvel::M32Header& header)
{
    struct stat info;
    if (path[0] == '\0' || ::stat(path, &info) != 0 || !isReadableTexture(info)) return false;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return false;
    char bytes[quorvel::kM32HeaderSize];
    const bool read = ::fstat(fd, &info) == 0 && isReadableTexture(info) && readExactly(fd, bytes, sizeof bytes);
    ::close(fd);
    if (read) header = quorvel::decodeM32Header(bytes);
    return read;
}

// info [--json] TEXTURE.m32, when its arguments are right and the file reads.
bool answeredInfo(int count, char** args)
{
    bool json = false;
    const char* file = nullptr;
    for (int i = 0; i < count; ++i) {
        if (std::strcmp(args[i], "--json") == 0) json = true;
        else if (file != nullptr) return false;
        else file = args[i];
    }
    quorvel::M32Header header;
    if (file == nullptr || !readHeader(file, header)) return false;
    const std::string out = json ? quorvel::cli::headerJson(header) : quorvel::cli::headerText(header);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return true;
}

using Entry = int (*)(int, char**);

// The entry `name` of the library `file`, found beside this program (in the build) or in its
// library directory (installed) by the run path the build gives the front; null when it is not
// there.
Entry entryOf(const char* file, const char* name)
{
    void* library = ::dlopen(file, RTLD_LAZY | RTLD_LOCAL);
    return library != nullptr ? reinterpret_cast<Entry>(::dlsym(library, name)) : nullptr;
}

// decode of a picture whose reader needs nothing of Qt's GUI library, in the decode module
// (cli/OwnDecode.cpp), which links Qt Core alone; false when that module hands the work on.
bool answeredDecode(int argc, char** argv)
{
    const Entry entry = entryOf(QUORVEL_CLI_DECODE, "quorvelCliOwnDecode");
    return entry != nullptr && entry(argc, argv) == 0;
}

// Every other command runs in the commands library.
int runCommands(int argc, char** argv)
{
    const Entry entry = entryOf(QUORVEL_CLI_COMMANDS, "quorvelCliMain");
    if (entry == nullptr) {
        std::fprintf(stderr, "quorvel-cli: %s\n", ::dlerror());
        return 1;
    }
    return entry(argc, argv);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quorvel-cli %s\n", QUORVEL_VERSION);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "info") == 0 && answeredInfo(argc - 2, argv + 2)) return 0;
    if (argc >= 2 && std::strcmp(argv[1], "decode") == 0 && answeredDecode(argc, argv)) return 0;
    return runCommands(argc, argv);
}
