// The quillmark program: answers --version, --help and the dump of a
// well-formed file on its own and leaves every other command (and every
// failure to explain) to the tool's library, which it loads from beside itself
// (the build tree) or from the package's private folder. It links neither Qt
// nor the C++ library, so such a run costs no more than a C program's.
#include "Tool.h"
#include "ToolHelp.h"

#include "platform/resdump/DumpFile.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#define QM_STRINGIFY2(x) #x
#define QM_STRINGIFY(x) QM_STRINGIFY2(x)

namespace {

const char kVersionText[] =
    "quillmark " QM_STRINGIFY(QM_VERSION_MAJOR) "." QM_STRINGIFY(QM_VERSION_MINOR) "." QM_STRINGIFY(QM_VERSION_PATCH) "\n";

// Exit statuses as the tool's: 0 when the text was written, 1 when it could not be.
template <std::size_t N>
int printed(const char (&text)[N])
{
    const bool written = std::fwrite(text, 1, N - 1, stdout) == N - 1;
    return std::fflush(stdout) == 0 && written ? 0 : 1;
}

bool isOneOf(const char *arg, const char *a, const char *b, const char *c = nullptr)
{
    return std::strcmp(arg, a) == 0 || std::strcmp(arg, b) == 0 || (c && std::strcmp(arg, c) == 0);
}

// Copies folder + "/" + tail into out; false when it does not fit.
bool joinPath(char *out, std::size_t size, const char *folder, const char *tail)
{
    const int length = std::snprintf(out, size, "%s/%s", folder, tail);
    return length > 0 && std::size_t(length) < size;
}

// The folder this program runs from, with symbolic links resolved.
bool programFolder(char *folder, std::size_t size)
{
    const ssize_t length = readlink("/proc/self/exe", folder, size - 1);
    if (length <= 0)
        return false;
    folder[length] = '\0';
    char *slash = std::strrchr(folder, '/');
    if (!slash)
        return false;
    *slash = '\0';
    return true;
}

// Whether text is UTF-8 the tool takes as an argument as it is: no overlong
// forms, surrogates or noncharacters, and no leading byte order mark.
bool plainUtf8(const char *text)
{
    const auto *p = reinterpret_cast<const unsigned char *>(text);
    if (p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        return false;
    while (*p) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int length = *p >= 0xF0 ? 4 : *p >= 0xE0 ? 3 : 2;
        if (*p < 0xC2 || *p > 0xF4)
            return false;
        char32_t c = *p & (0x7F >> length);
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            c = c << 6 | (p[i] & 0x3F);
        }
        const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < least[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xFDD0 && c <= 0xFDEF) ||
            (c & 0xFFFE) == 0xFFFE)
            return false;
        p += length;
    }
    return true;
}

// "dump FILE" and "dump FILE --json" (options anywhere, "--" before the file)
// of a file the dump takes: done here, without the tool. False where the tool
// is to do it: any other command line, and every failure but a failed write,
// which it would say the same way; status is then untouched.
bool dumpedHere(int argc, char **argv, int &status)
{
    const char *file = nullptr;
    bool json = false;
    bool optionsEnd = false;
    for (int i = 2; i < argc; ++i) {
        const char *arg = argv[i];
        if (!optionsEnd && std::strcmp(arg, "--") == 0) {
            optionsEnd = true;
        } else if (!optionsEnd && std::strcmp(arg, "--json") == 0) {
            json = true;
        } else if (file || (!optionsEnd && arg[0] == '-') || !plainUtf8(arg)) {
            return false;
        } else {
            file = arg;
        }
    }
    if (!file)
        return false;
    int error = 0;
    switch (resdump::dumpFile(file, json ? resdump::DumpForm::Json : resdump::DumpForm::Lines, STDOUT_FILENO, error)) {
    case resdump::DumpFileResult::NotTaken:
        return false;
    case resdump::DumpFileResult::Written:
        status = 0;
        return true;
    case resdump::DumpFileResult::WriteFailed:
        std::fprintf(stderr, "quillmark: %s: the output could not be written: %s\n", file,
                     error ? std::strerror(error) : "write error");
        status = 1;
        return true;
    }
    return false;
}

int loadFailure(const char *what)
{
    std::fprintf(stderr, "quillmark: the tool's library cannot be loaded: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 1) {
        // Without a command the tool shows its help as an error: exit status 2.
        std::fwrite(kToolHelp, 1, sizeof kToolHelp - 1, stderr);
        return 2;
    }
    if (argc == 2 && isOneOf(argv[1], "--version", "-V"))
        return printed(kVersionText);
    if (argc == 2 && isOneOf(argv[1], "--help", "-h", "help"))
        return printed(kToolHelp);
    if (int status = 0; std::strcmp(argv[1], "dump") == 0 && dumpedHere(argc, argv, status))
        return status;

    char folder[PATH_MAX];
    if (!programFolder(folder, sizeof folder))
        return loadFailure(std::strerror(errno ? errno : ENOENT));
    // Beside the program in the build tree; in the private folder once installed.
    char path[PATH_MAX + 64];
    const char *candidates[] = {QM_CLI_LIBRARY, QM_CLI_FOLDER_FROM_BIN "/" QM_CLI_LIBRARY};
    bool found = false;
    for (const char *candidate : candidates) {
        if (!joinPath(path, sizeof path, folder, candidate))
            return loadFailure("the program's path is too long");
        if (access(path, F_OK) == 0) {
            found = true;
            break;
        }
    }
    if (!found) {
        std::fprintf(stderr, "quillmark: the tool's library " QM_CLI_LIBRARY " is neither in %s nor in %s/%s\n",
                     folder, folder, QM_CLI_FOLDER_FROM_BIN);
        return 1;
    }
    void *library = dlopen(path, RTLD_LAZY | RTLD_LOCAL);
    if (!library)
        return loadFailure(dlerror());
    void *entry = dlsym(library, QM_CLI_ENTRY);
    if (!entry)
        return loadFailure(dlerror());
    return reinterpret_cast<decltype(&qm_cli_main)>(entry)(argc, argv);
}
