// The quillmark program: answers --version and --help on its own and leaves
// every command to the tool's library, which it loads from beside itself (the build
// tree) or from the package's private folder. It links neither Qt nor the C++
// library, so a start that needs no command costs no more than a C program's.
#include "Tool.h"
#include "ToolHelp.h"

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
