#include "platform/excel/XlsModuleLoader.h"
#include "platform/excel/biff/XlsParts.h"

#include <QFile>

#include <dlfcn.h>

#include <mutex>

// Linked into the program itself (the fuzzers build every source into one),
// the module's entry point (XlsModuleEntry) is there already: nothing is loaded.
extern "C" __attribute__((weak)) const excel::backend::XlsModule *qm_excel_xls_module_v1();

namespace excel::backend {
namespace {

std::mutex g_mutex;
const XlsModule *g_module = nullptr;
QString g_folder;

QString moduleFolder()
{
    if (!g_folder.isEmpty())
        return g_folder;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&loadXlsBackEnd), &info) != 0 && info.dli_fname) {
        const QString self = QFile::decodeName(info.dli_fname);
        return self.left(self.lastIndexOf(u'/'));
    }
    return QString();
}

qm::Error cannotLoad(const QString &path, const char *why)
{
    // The loader's text often starts with the file's name, which the message names already.
    QString reason = QString::fromLocal8Bit(why ? why : "unknown reason");
    if (reason.startsWith(path + QStringLiteral(": ")))
        reason = reason.mid(path.size() + 2);
    return qm::makeError(QStringLiteral("the .xls back end %1 cannot be loaded (%2), so no .xls file can be read or written")
                             .arg(path, reason));
}

} // namespace

qm::Result<const XlsModule *> xlsModule()
{
    const std::lock_guard lock(g_mutex);
    if (g_module)
        return g_module;
    if (qm_excel_xls_module_v1) {
        g_module = qm_excel_xls_module_v1();
        return g_module;
    }
    const QString folder = moduleFolder();
    const QString path = folder.isEmpty() ? QString::fromLatin1(XlsModuleFile)
                                          : folder + u'/' + QLatin1String(XlsModuleFile);
    // Bound now: a module that lacks a symbol is refused here, not in the middle of a save.
    void *handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return cannotLoad(path, dlerror());
    void *entry = dlsym(handle, XlsModuleEntry);
    if (!entry) {
        const qm::Error error = cannotLoad(path, dlerror());
        dlclose(handle);
        return error;
    }
    // Never unloaded: the back end's functions stay in use until the process ends.
    g_module = reinterpret_cast<const XlsModule *(*)()>(entry)();
    return g_module;
}

qm::Result<FormatBackEnd> loadXlsBackEnd()
{
    auto module = xlsModule();
    if (!module)
        return module.error();
    return module.value()->backEnd;
}

void setXlsModuleFolder(const QString &folder)
{
    const std::lock_guard lock(g_mutex);
    g_folder = folder;
}

qm::Result<QByteArray> oleFile(const QByteArray &stream, const QByteArray &source)
{
    auto module = xlsModule();
    if (!module)
        return module.error();
    return module.value()->oleFile(stream, source);
}

} // namespace excel::backend
