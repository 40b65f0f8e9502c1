#pragma once

#include "platform/common/Result.h"
#include "platform/excel/io/ZipArchive.h"

#include <QHash>
#include <QList>
#include <QString>

// The package structure of an .xlsx file: which part is the workbook, which
// parts are its sheets, shared strings and styles.
namespace excel::backend {

struct Relationship {
    QString id;
    QString type;
    QString part; // the target as a part name inside the package; empty for external targets
};

struct SheetEntry {
    QString name;
    QString relId;
    int sheetId = 0;
};

struct PackageInfo {
    QString workbookPart;
    QString workbookRelsPart;
    QList<Relationship> workbookRels;
    QList<SheetEntry> sheets;
    bool date1904 = false;
    QHash<QString, qsizetype> relById; // the first relationship of each id

    const Relationship *rel(const QString &id) const;
    const Relationship *relOfType(const char *type) const;
};

// True when a relationship type names `kind` ("worksheet", "styles", ...).
bool relTypeIs(const QString &type, const char *kind);
// "xl/_rels/workbook.xml.rels" for "xl/workbook.xml".
QString relsPartOf(const QString &part);
// Resolves a relationship target against the folder of the part that holds
// it; empty when the target leaves the package.
QString resolveTarget(const QString &sourcePart, const QString &target);

qm::Result<QList<Relationship>> readRelationships(ZipReader &zip, const QString &sourcePart);
qm::Result<PackageInfo> readPackageInfo(ZipReader &zip);

} // namespace excel::backend
