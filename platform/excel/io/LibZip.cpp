#include "platform/excel/io/LibZip.h"

#include <dlfcn.h>

#include <mutex>

namespace excel::backend {

const char *LibZip::fileName = QM_LIBZIP_SONAME;

namespace {

qm::Result<const LibZip *> load()
{
    void *library = dlopen(LibZip::fileName, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return qm::makeError(QStringLiteral("the zip library %1 cannot be loaded: %2")
                                 .arg(QString::fromLocal8Bit(LibZip::fileName), QString::fromLocal8Bit(dlerror())));
    static LibZip functions;
    const char *missing = nullptr;
#define QM_LIBZIP_LOOK_UP(name)                                                                                       \
    functions.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name));                                      \
    if (!functions.name && !missing)                                                                                  \
        missing = #name;
    QM_LIBZIP_FUNCTIONS(QM_LIBZIP_LOOK_UP)
#undef QM_LIBZIP_LOOK_UP
    if (missing) {
        dlclose(library);
        return qm::makeError(QStringLiteral("the zip library %1 cannot be used: it has no function %2")
                                 .arg(QString::fromLocal8Bit(LibZip::fileName), QString::fromLatin1(missing)));
    }
    return static_cast<const LibZip *>(&functions);
}

} // namespace

qm::Result<const LibZip *> LibZip::get()
{
    static std::mutex mutex;
    static const LibZip *loaded = nullptr;
    std::lock_guard lock(mutex);
    if (loaded)
        return loaded;
    auto result = load();
    if (result)
        loaded = result.value();
    return result;
}

} // namespace excel::backend
