#include "platform/resutil/ResFile.h"
#include "tests/resutil/ResBuilder.h"
#include "tests/testlib/PeerPrograms.h"
#include "tests/testlib/TestEnvironment.h"
#include "tests/testlib/TestFiles.h"

#include <QTemporaryDir>
#include <QtTest>

// quillmark merge and diff over files with resources beside their string
// tables: icons and version information merge whole, and keep their bytes.
class MergeResourcesTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnvironment> m_env;
    QTemporaryDir m_dir;

    using Run = peers::Run;

    static Run quillmark(const QStringList &args) { return peers::run(QStringLiteral(QM_BINARY_DIR "/bin/quillmark"), args); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    // A file with an icon, a version resource between the two string tables, and a named resource.
    QString write(const QString &name, const QByteArray &icon, const QByteArray &version, const QString &file = QStringLiteral("File"))
    {
        ResBuilder builder;
        builder.entry(3, 1, icon, 1033, 0x1010)
            .entry(6, 7, ResBuilder::block({{}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, file}), 1033)
            .entry(16, 1, version, 1033, 0x0030, 7, 9)
            .entry(6, 7, ResBuilder::block({{}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, QStringLiteral("Datei")}), 1031)
            .entry("PNG", "LOGO", "png bytes", 0);
        writeFile(path(name), builder.bytes());
        return path(name);
    }

    struct Content {
        QStringList strings;
        QList<QByteArray> others; // header and data, as stored
    };
    Content read(const QString &file)
    {
        resutil::ResFile res;
        res.setFileName(file);
        Content content;
        [&] { QVERIFY2(res.Load().ok(), qPrintable(file)); }();
        for (resutil::ResString *s : res.Strings())
            content.strings.append(QStringLiteral("%1:%2=%3").arg(QString::number(s->LocaleID()), QString::number(s->ID()), s->Text()));
        for (const resutil::ResResource &r : res.OtherResources())
            content.others.append(r.header + r.data);
        return content;
    }

private slots:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    void aResourceChangedOnOneSideComesFromThatSide()
    {
        const QString base = write("base.res", "icon", "v1");
        const QString ours = write("ours.res", "icon", "v1", "File (ours)");
        const QString theirs = write("theirs.res", "ICON", "v1");
        const Content theirContent = read(theirs);
        Run run = quillmark({"merge", base, ours, theirs});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray());
        const Content merged = read(ours);
        QCOMPARE(merged.strings, (QStringList{"1031:111=Datei", "1033:111=File (ours)"}));
        // Theirs' icon with its header as it was; the others as they were.
        QCOMPARE(merged.others, theirContent.others);

        // The other way round: ours changed the version resource, theirs the icon.
        const QString ours2 = write("ours2.res", "icon", "v2");
        run = quillmark({"merge", base, ours2, theirs, "-o", path("out2.res")});
        QCOMPARE(run.exitCode, 0);
        const Content out2 = read(path("out2.res"));
        QCOMPARE(out2.others.size(), 3);
        QCOMPARE(out2.others[0], theirContent.others[0]);
        QCOMPARE(out2.others[1], read(ours2).others[1]);
        QVERIFY(out2.others[1].endsWith("v2"));

        run = quillmark({"diff", base, path("out2.res")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray("resource\tchanged\t3\t1\t1033\nresource\tchanged\t16\t1\t1033\n"));
        run = quillmark({"diff", base, path("out2.res"), "--json"});
        QVERIFY(run.out.contains("\"resources\": {\"differ\": true, \"added\": [], \"removed\": [], \"changed\": [{\"type\": 3, \"name\": 1, \"lang\": 1033}, {\"type\": 16, \"name\": 1, \"lang\": 1033}]}"));
    }

    void aResourceChangedOnBothSidesIsAConflict()
    {
        const QString base = write("cbase.res", "icon", "v1");
        const QString ours = write("cours.res", "icon (ours)", "v1");
        const QString theirs = write("ctheirs.res", "icon (theirs)", "v1", "File (theirs)");
        const Content before = read(ours);
        const Run run = quillmark({"merge", base, ours, theirs});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, "quillmark: conflict in resource type 3, name 1, language 1033: ours changed it, theirs changed it\n"
                          "quillmark: " + ours.toUtf8() + ": 1 conflict, ours kept\n");
        const Content merged = read(ours);
        QCOMPARE(merged.others, before.others);
        QCOMPARE(merged.strings, (QStringList{"1031:111=Datei", "1033:111=File (theirs)"}));
    }

    void textconvListsTheOtherResources()
    {
        const Run run = quillmark({"dump", "--textconv", write("t.res", "icon", "v1")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("111\tde-DE\tDatei\n111\ten-US\tFile\n"
                                     "resource\t3\t1\t1033\t4 bytes\tsha256 " +
                                     QCryptographicHash::hash("icon", QCryptographicHash::Sha256).toHex() +
                                     "\nresource\t16\t1\t1033\t2 bytes\tsha256 " +
                                     QCryptographicHash::hash("v1", QCryptographicHash::Sha256).toHex() +
                                     "\nresource\t\"PNG\"\t\"LOGO\"\t0\t9 bytes\tsha256 " +
                                     QCryptographicHash::hash("png bytes", QCryptographicHash::Sha256).toHex() + "\n"));
    }
};

QTEST_GUILESS_MAIN(MergeResourcesTest)
#include "merge_resources_test.moc"
