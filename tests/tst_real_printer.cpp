// The student report printed on the system's default printer, when that printer is a CUPS-PDF
// queue (scripts/setup-cups.sh sets one up): the job completes and one non-blank page arrives.
// CUPS-PDF re-renders the fonts, so the text itself is checked on Qt's own PDF elsewhere.

#include "TestSupport.h"

#include "platform/services/PainterPrinter.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Run
{
    bool ok = false;
    QString out;
};

Run run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode() == 0, QString::fromLocal8Bit(process.readAllStandardOutput())};
}

// Ids of the queue's jobs that lpstat lists as completed or as not completed.
QStringList jobs(const QString &queue, const char *which)
{
    QStringList ids;
    const Run lpstat = run(u"lpstat"_s, {u"-W"_s, QLatin1String(which), u"-o"_s, queue});
    for (const QString &line : lpstat.out.split(u'\n', Qt::SkipEmptyParts))
        ids.append(line.section(u' ', 0, 0, QString::SectionSkipEmpty));
    return ids;
}

// Where CUPS-PDF puts a job of this user: its Out directory, ${HOME} being the user's home.
QStringList outputDirectories()
{
    QString out = u"${HOME}/PDF"_s;
    QString anonymous = u"/var/spool/cups-pdf/ANONYMOUS"_s;
    QFile config(u"/etc/cups/cups-pdf.conf"_s);
    if (config.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QRegularExpression setting(u"^\\s*(Out|AnonDirName)\\s+(\\S+)"_s);
        for (const QString &line : QString::fromLocal8Bit(config.readAll()).split(u'\n')) {
            const auto match = setting.match(line);
            if (match.hasMatch())
                (match.captured(1) == u"Out" ? out : anonymous) = match.captured(2);
        }
    }
    const passwd *user = getpwuid(getuid());
    const QString home = user ? QString::fromLocal8Bit(user->pw_dir) : QDir::homePath();
    return {out.replace(u"${HOME}"_s, home), anonymous};
}

// The newest PDF written to one of the directories since the given time.
QString newestPdfSince(const QStringList &directories, const QDateTime &since)
{
    QString newest;
    QDateTime newestTime = since;
    for (const QString &directory : directories) {
        QDirIterator it(directory, {u"*.pdf"_s}, QDir::Files);
        while (it.hasNext()) {
            const QFileInfo file(it.next());
            if (file.lastModified() >= newestTime && file.size() > 0) {
                newest = file.absoluteFilePath();
                newestTime = file.lastModified();
            }
        }
    }
    return newest;
}

} // namespace

class TestRealPrinter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void studentReportOnTheDefaultPrinter();
};

void TestRealPrinter::studentReportOnTheDefaultPrinter()
{
    for (const char *tool : {"lpstat", "pdfinfo", "pdftoppm"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed; run scripts/setup-cups.sh as "
                                            "root (and scripts/deps.sh test)")
                                 .arg(QLatin1String(tool))));
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        QSKIP("No default printer (cupsd not running, or no default queue); run "
              "scripts/setup-cups.sh as root to set up a CUPS-PDF queue as the default");
    const QString queue = printer.printerName();
    const Run device = run(u"lpstat"_s, {u"-v"_s, queue});
    if (!device.out.contains(u"cups-pdf:/"))
        QSKIP(qPrintable(QStringLiteral("The default printer \"%1\" is not a CUPS-PDF queue (%2); "
                                        "this test prints only to CUPS-PDF so that no paper is "
                                        "used")
                             .arg(queue, device.out.trimmed())));

    const QStringList before = jobs(queue, "completed");
    // File times have whole seconds on some file systems.
    const QDateTime start = QDateTime::currentDateTime().addSecs(-1);

    testing::Services services;
    services.usePrinter(std::make_unique<platform::SystemPrinter>());
    platform::ListBox lstStudent(nullptr, u"lstStudent"_s, QRect(), platform::Sorting::Sorted);
    frmStudent form(lstStudent);
    form.Load();
    form.setAction(StudentAction::Add);
    form.Show(platform::ShowMode::Modeless);
    form.txtName->setText(u"Ada Lovelace"_s);
    form.txtUnits->setText(u"120"_s);
    form.lstMajor->setListIndex(2);
    form.cboSchool->setText(u"Highland"_s);
    form.optLevel[2].setValue(true);
    form.chkDeans->setValue(1);
    form.mnuPrintStudent->trigger();
    form.Hide();
    QVERIFY(services.messages.empty());
    QVERIFY(services.errors.empty());

    // The job leaves the queue as completed (a failing backend would also stop the queue), and
    // CUPS-PDF writes its file.
    const auto newJobCompleted = [&] {
        const QStringList now = jobs(queue, "completed");
        return std::any_of(now.cbegin(), now.cend(),
                           [&](const QString &id) { return !before.contains(id); });
    };
    QTRY_VERIFY2_WITH_TIMEOUT(newJobCompleted(),
                              qPrintable(QStringLiteral("no new completed job on %1; not "
                                                        "completed: %2")
                                             .arg(queue, jobs(queue, "not-completed").join(u' '))),
                              120000);
    QVERIFY(!run(u"lpstat"_s, {u"-p"_s, queue}).out.contains(u"disabled"));

    const QStringList directories = outputDirectories();
    QString pdf;
    QTRY_VERIFY2_WITH_TIMEOUT(!(pdf = newestPdfSince(directories, start)).isEmpty(),
                              qPrintable(u"no PDF arrived in %1"_s.arg(directories.join(u", "_s))),
                              60000);
    // Kept when the test fails, to be looked at.
    const auto removePdf = qScopeGuard([&] {
        if (!QTest::currentTestFailed())
            QFile::remove(pdf);
    });

    const Run info = run(u"pdfinfo"_s, {pdf});
    QVERIFY2(info.ok, qPrintable(pdf));
    const auto pages =
        QRegularExpression(u"^Pages:\\s+(\\d+)$"_s, QRegularExpression::MultilineOption)
            .match(info.out);
    QVERIFY2(pages.hasMatch(), qPrintable(info.out));
    QCOMPARE(pages.captured(1).toInt(), 1);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString prefix = dir.filePath(u"page"_s);
    QVERIFY(run(u"pdftoppm"_s, {u"-png"_s, u"-r"_s, u"50"_s, u"-singlefile"_s, pdf, prefix}).ok);
    const QImage page(prefix + u".png"_s);
    QVERIFY(!page.isNull());
    int inked = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            inked += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
    // Seven lines of text leave a few hundred dark pixels even at 50 dpi.
    QVERIFY2(inked > 100, qPrintable(u"only %1 dark pixels"_s.arg(inked)));
}

QTEST_MAIN(TestRealPrinter)
#include "tst_real_printer.moc"
