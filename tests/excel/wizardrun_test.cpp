#include "WizardTestSupport.h"

#include "excel/CaptionedProgressBar.h"
#include "excel/TransferRun.h"
#include "tests/testlib/TestEnvironment.h"
#include "uistrings/LgvStringModule.h"

#include <QProgressBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using excel::Value;
using namespace wizardtest;

namespace {

// The scripted user, who can also act while a message box is up.
class User : public win32::ScriptedInteraction {
public:
    std::function<void()> onMessage;
    int msgBox(const QString &prompt, int style, const QString &title) override
    {
        if (onMessage)
            onMessage();
        return ScriptedInteraction::msgBox(prompt, style, title);
    }
};

void fillTable(resutil::ResStrings &strings, int ids, int languages)
{
    strings.reserve(qsizetype(ids) * languages);
    for (int language = 0; language < languages; ++language)
        for (int id = 0; id < ids; ++id)
            strings.Add(1030 + language, id, QStringLiteral("text %1").arg(id));
}

// Counts the rounds of the transfer's progress timer: the bar may change once
// a round and once at the end, whatever the machine's speed.
class ProgressTicks : public QObject {
public:
    ProgressTicks() { QCoreApplication::instance()->installEventFilter(this); }
    ~ProgressTicks() override { QCoreApplication::instance()->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Timer)
            if (auto *timer = qobject_cast<QTimer *>(watched); timer && timer->interval() == TransferRun::UpdateIntervalMs)
                ++count;
        return false;
    }
};

// How the user ends the wizard while its transfer runs.
enum class Ending { CancelButton, CloseBox, EscapeKey };

void endWhileRunning(frmExcel &form, Ending ending)
{
    switch (ending) {
    case Ending::CancelButton:
        form.cmdCancel->click();
        break;
    case Ending::CloseBox:
        form.close();
        break;
    case Ending::EscapeKey:
        QTest::keyClick(&form, Qt::Key_Escape);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(Ending)

// Start runs the transfer while the window keeps handling events: the
// progress is shown at a human rate, and Cancel stops the run without
// changing the workbook or the strings.
class WizardRunTest : public QObject {
    Q_OBJECT

    TestEnvironment m_env;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    static void addEndings()
    {
        QTest::addColumn<Ending>("ending");
        QTest::newRow("Cancel") << Ending::CancelButton;
        QTest::newRow("close box") << Ending::CloseBox;
        QTest::newRow("Escape") << Ending::EscapeKey;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        LgvStringModule::setCurrentUILanguage(2057);
    }

    void exportKeepsTheWindowResponsiveAndUpdatesAtAHumanRate()
    {
        win32::ScriptedInteraction ui;
        resutil::ResFile file;
        fillTable(file.Strings(), 20000, 2);
        QFile::remove(path("rate.xlsx"));
        runWizard(
            ui, file,
            [&](frmExcel &form) {
                goToWorksheetStep(form, false, path("rate.xlsx"));
                form.cmdNext->click();
                int updates = 0;
                connect(form.pbaProgress->bar(), &QProgressBar::valueChanged, [&updates] { ++updates; });
                bool startReturned = false;
                bool handledDuringRun = false;
                QTimer::singleShot(0, [&] { handledDuringRun = !startReturned; });
                int ticks = 0;
                {
                    ProgressTicks counted;
                    form.cmdStart->click();
                    ticks = counted.count;
                }
                startReturned = true;
                QCoreApplication::processEvents();
                QVERIFY(handledDuringRun);
                QVERIFY2(updates <= ticks + 3, qPrintable(QStringLiteral("%1 updates in %2 rounds").arg(updates).arg(ticks)));
                QCOMPARE(form.pbaProgress->Value(), 40000);
                QCOMPARE(form.pbaProgress->Caption(), QStringLiteral("Export complete"));
                QVERIFY(form.cmdFinish->isEnabled());
                form.cmdFinish->click();
            },
            m_dir.path());
        QVERIFY(ui.unexpected.isEmpty());
        QVERIFY(QFileInfo::exists(path("rate.xlsx")));
    }

    // Stopped once the first progress shows: the workbook's file is as it was.
    void stoppedExportLeavesTheWorkbook_data() { addEndings(); }
    void stoppedExportLeavesTheWorkbook()
    {
        QFETCH(Ending, ending);
        writeBook(path("keep.xlsx"), {{"Project1", {{1, 1, Value("old")}}}, {"Other", {{2, 2, Value(7)}}}});
        const QByteArray before = readFile(path("keep.xlsx"));
        win32::ScriptedInteraction ui;
        resutil::ResFile file;
        fillTable(file.Strings(), 65536, 2);
        bool hiddenAfterStart = false;
        const qint32 result = runWizard(
            ui, file,
            [&](frmExcel &form) {
                form.show();
                goToWorksheetStep(form, false, path("keep.xlsx"));
                form.cmdNext->click();
                bool ended = false;
                connect(form.pbaProgress->bar(), &QProgressBar::valueChanged, &form, [&] {
                    if (!std::exchange(ended, true))
                        endWhileRunning(form, ending);
                });
                form.cmdStart->click();
                QVERIFY(ended);
                hiddenAfterStart = form.isHidden();
            },
            m_dir.path());
        QVERIFY(hiddenAfterStart);
        QCOMPARE(result, 2);
        QCOMPARE(readFile(path("keep.xlsx")), before);
        QVERIFY(ui.unexpected.isEmpty()); // no error report
        QCOMPARE(QDir(m_dir.path()).entryList({"*keep*"}, QDir::Files | QDir::Hidden), QStringList{"keep.xlsx"});
    }

    // Stopped while the import's message box is up: the strings are as they were.
    void stoppedImportLeavesTheStrings_data() { addEndings(); }
    void stoppedImportLeavesTheStrings()
    {
        QFETCH(Ending, ending);
        // Column B's locale ID is a word: the import says so, then goes on with column C.
        writeBook(path("stop.xlsx"), {{"Project1",
                                       {{1, 2, Value("Bad")},
                                        {2, 2, Value("word")},
                                        {1, 3, Value("German")},
                                        {2, 3, Value(1031)},
                                        {3, 1, Value(1)},
                                        {3, 3, Value("neu")}}}});
        User ui;
        ui.answerMsgBox(win32::vbOK);
        resutil::ResFile file;
        const QList<Entry> before{{2057, 1, "keep"}, {2057, 2, "this"}};
        fill(file.Strings(), before);
        file.Strings().setChanged(false);
        const qint32 result = runWizard(
            ui, file,
            [&](frmExcel &form) {
                form.show();
                goToWorksheetStep(form, true, path("stop.xlsx"));
                form.cmdNext->click();
                ui.onMessage = [&] { endWhileRunning(form, ending); };
                form.cmdStart->click();
                ui.onMessage = nullptr;
                QVERIFY(form.isHidden());
            },
            m_dir.path());
        QCOMPARE(ui.messageBoxes.size(), 1);
        QCOMPARE(entriesOf(file.Strings()), before);
        QVERIFY(!file.Changed());
        QCOMPARE(result, 2);
        QVERIFY(ui.unexpected.isEmpty());
    }

    void importUpdatesAtAHumanRate()
    {
        {
            auto app = startExcel();
            excel::Workbook *book = app->Workbooks().Add(excel::xlWBATWorksheet).value();
            excel::Worksheet *sheet = book->ActiveSheet();
            QVERIFY(sheet->SetName(QStringLiteral("Project1")).ok());
            bool written = sheet->Cells().Set(1, 2, Value("English")).ok() && sheet->Cells().Set(2, 2, Value(2057)).ok();
            for (int row = 3; row < 30003; ++row)
                written = written && sheet->Cells().Set(row, 1, Value(row)).ok()
                    && sheet->Cells().Set(row, 2, Value("text")).ok();
            QVERIFY(written);
            QVERIFY(book->SaveAs(path("many.xlsx")).ok());
        }
        win32::ScriptedInteraction ui;
        resutil::ResFile file;
        const qint32 result = runWizard(
            ui, file,
            [&](frmExcel &form) {
                goToWorksheetStep(form, true, path("many.xlsx"));
                form.cmdNext->click();
                int updates = 0;
                connect(form.pbaProgress->bar(), &QProgressBar::valueChanged, [&updates] { ++updates; });
                int ticks = 0;
                {
                    ProgressTicks counted;
                    form.cmdStart->click();
                    ticks = counted.count;
                }
                QVERIFY2(updates <= ticks + 3, qPrintable(QStringLiteral("%1 updates in %2 rounds").arg(updates).arg(ticks)));
                QCOMPARE(form.pbaProgress->Caption(), QStringLiteral("Import complete"));
                form.cmdFinish->click();
            },
            m_dir.path());
        QCOMPARE(result, 1);
        QCOMPARE(file.Strings().Count(), 30000);
    }
};

QTEST_MAIN(WizardRunTest)
#include "wizardrun_test.moc"
