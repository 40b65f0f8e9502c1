#pragma once

#include "platform/common/Result.h"
#include "platform/excel/model/FormatBackEnds.h"

#include <QByteArray>

// What the .xls module (libqm_excel_xls.so, everything that needs libgsf)
// gives the library that loads it. The module is loaded when an .xls file is
// first read or written, so a process that never touches one never maps
// libgsf and what it pulls in (gio, gobject, libxml2).
namespace excel::backend {

struct XlsModule {
    FormatBackEnd backEnd;
    qm::Result<QByteArray> (*oleFile)(const QByteArray &stream, const QByteArray &source) = nullptr;
};

// The module's file, looked for beside the library that loads it.
inline constexpr char XlsModuleFile[] = "libqm_excel_xls.so";
// Its entry point: a function without arguments returning the module's
// XlsModule. The name changes with the layout of XlsModule, so a module of
// another build is refused rather than called.
inline constexpr char XlsModuleEntry[] = "qm_excel_xls_module_v1";

} // namespace excel::backend
