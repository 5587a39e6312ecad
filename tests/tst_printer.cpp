// The printer service: the recording back end, the QPainter layout read back from real PDFs,
// and the failures a printer can raise.

#include "platform/core/RuntimeError.h"
#include "platform/services/PainterPrinter.h"
#include "platform/services/Printer.h"
#include "support/Errors.h"
#include "support/PdfText.h"
#include "support/RecordingPrinter.h"

#include <QApplication>
#include <QDir>
#include <QPaintEngine>
#include <QPdfWriter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <optional>

using namespace Qt::StringLiterals;
using platform::PrintItem;
using platform::PrintStatement;
using namespace testing;

Q_DECLARE_METATYPE(platform::PrintItem)

namespace {

PrintItem T(const QString &text)
{
    return PrintItem::Text(text);
}
const PrintItem NextZone = PrintItem::NextZone();
const PrintItem EndOfLine = PrintItem::EndOfLine();

int pdfPageCount(const QString &path)
{
    QProcess process;
    process.start(u"pdfinfo"_s, {path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return -1;
    const auto match =
        QRegularExpression(u"^Pages:\\s+(\\d+)$"_s, QRegularExpression::MultilineOption)
            .match(QString::fromLocal8Bit(process.readAllStandardOutput()));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

// A PDF printer whose new pages fail while failNewPage is set; counts the documents it
// abandoned, which a real printer must not deliver.
class NewPageFailingPrinter final : public platform::PdfPrinter
{
public:
    using PdfPrinter::PdfPrinter;
    bool failNewPage = true;
    int aborted = 0;

protected:
    bool startNewPage(QPagedPaintDevice &device) override
    {
        return !failNewPage && PdfPrinter::startNewPage(device);
    }
    void closeDevice(bool abort) override
    {
        aborted += abort ? 1 : 0;
        PdfPrinter::closeDevice(abort);
    }
};

// A page device that draws nothing and cannot finish its document, as a print job that fails
// at its end: its painting engine's end() fails.
class UnfinishableDevice final : public QPdfWriter
{
public:
    using QPdfWriter::QPdfWriter;

protected:
    QPaintEngine *paintEngine() const override { return &m_engine; }

private:
    class Engine final : public QPaintEngine
    {
    public:
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice *) override { return true; }
        bool end() override { return false; }
        void updateState(const QPaintEngineState &) override {}
        void drawPixmap(const QRectF &, const QPixmap &, const QRectF &) override {}
        void drawTextItem(const QPointF &, const QTextItem &) override {}
        void drawPath(const QPainterPath &) override {}
        void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
        Type type() const override { return User; }
    };
    mutable Engine m_engine;
};

// Prints on unfinishable devices while failEnd is set, on PDF files otherwise; counts the
// documents it closed and how.
class EndFailingPrinter final : public platform::PdfPrinter
{
public:
    using PdfPrinter::PdfPrinter;
    ~EndFailingPrinter() override { discardOpenDocument(); }
    bool failEnd = true;
    int aborted = 0;
    int finished = 0;

protected:
    QPagedPaintDevice *openDevice() override
    {
        if (!failEnd)
            return PdfPrinter::openDevice();
        m_device = std::make_unique<UnfinishableDevice>(fileName());
        return m_device.get();
    }
    void closeDevice(bool abort) override
    {
        ++(abort ? aborted : finished);
        m_device.reset();
        PdfPrinter::closeDevice(abort);
    }

private:
    std::unique_ptr<UnfinishableDevice> m_device;
};

// "Line001", "Line002"...: numbered lines show which one went missing or moved.
QString numbered(int line)
{
    return u"Line%1"_s.arg(line, 3, 10, QLatin1Char('0'));
}

void printLines(platform::PrinterService &printer, int first, int count)
{
    for (int line = first; line < first + count; ++line)
        printer.print({T(numbered(line)), EndOfLine});
}

// Prints the statements as one document into a PDF file.
void printPdf(const QString &path, const QList<PrintStatement> &statements)
{
    platform::PdfPrinter printer(path);
    for (const PrintStatement &statement : statements)
        printer.print(statement);
    printer.endDoc();
}

} // namespace

class TestPrinter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void recordingPrinterKeepsDocuments();
    void currentServiceGetsEveryStatement();
    void positions_data();
    void positions();
    void longTextWraps_data();
    void longTextWraps();
    void pageBreaks();
    void noDefaultPrinter();
    void failedNewPageDropsDocument();
    void printerDroppedWithADocumentOpen();
    void unfinishedDocumentFails();
    void unopenableFileFails();

private:
    QString pdfPath(const QString &name) const { return m_dir.filePath(name + u".pdf"_s); }
    QTemporaryDir m_dir;
};

void TestPrinter::initTestCase()
{
    QVERIFY(m_dir.isValid());
    for (const char *tool : {"pdftotext", "pdfinfo"})
        QVERIFY2(!QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty(),
                 qPrintable(u"%1 is missing: run scripts/deps.sh test"_s.arg(QLatin1String(tool))));
}

void TestPrinter::recordingPrinterKeepsDocuments()
{
    testing::RecordingPrinter printer;
    const PrintStatement first{T(u"a"_s), NextZone, EndOfLine};
    const PrintStatement second{PrintItem::Column(7), EndOfLine};

    printer.endDoc(); // nothing open: no empty document
    QVERIFY(printer.documents().isEmpty());

    printer.print(first);
    printer.print(second);
    QCOMPARE(printer.openDocument(), (QList<PrintStatement>{first, second}));
    QVERIFY(printer.documents().isEmpty());

    printer.endDoc();
    printer.print(second);
    QCOMPARE(printer.documents(), (QList<QList<PrintStatement>>{{first, second}}));
    QCOMPARE(printer.openDocument(), (QList<PrintStatement>{second}));
    QCOMPARE(printer.statementCount(), 3);
}

void TestPrinter::currentServiceGetsEveryStatement()
{
    auto recorder = std::make_unique<testing::RecordingPrinter>();
    testing::RecordingPrinter *recording = recorder.get();
    auto previous = platform::setPrinter(std::move(recorder));
    QVERIFY(dynamic_cast<platform::SystemPrinter *>(previous.get()));

    platform::Print({T(u"x"_s), EndOfLine});
    platform::EndDoc();
    QCOMPARE(&platform::printer(), recording);
    QCOMPARE(recording->documents().size(), 1);

    // Removing the test's service puts the system printer back.
    auto removed = platform::setPrinter(nullptr);
    QCOMPARE(removed.get(), recording);
    QVERIFY(dynamic_cast<platform::SystemPrinter *>(&platform::printer()));
}

void TestPrinter::positions_data()
{
    QTest::addColumn<PrintStatement>("statement");
    QTest::addColumn<qreal>("column");  // where "X" starts, in columns from the margin
    QTest::addColumn<int>("linesDown"); // lines below the statement's first line

    const auto column = [](int n) { return PrintItem::Column(n); };
    const PrintItem X = T(u"X"_s);
    const QString zeros16(16, u'0');
    QTest::newRow("no move") << PrintStatement{X} << 0.0 << 0;
    QTest::newRow("one next zone") << PrintStatement{NextZone, X} << 14.0 << 0;
    QTest::newRow("two next zones") << PrintStatement{NextZone, NextZone, X} << 28.0 << 0;
    QTest::newRow("three next zones")
        << PrintStatement{NextZone, NextZone, NextZone, X} << 42.0 << 0;
    QTest::newRow("next zone after short text")
        << PrintStatement{T(u"ab"_s), NextZone, X} << 14.0 << 0;
    QTest::newRow("next zone after text past a zone start")
        << PrintStatement{T(zeros16), NextZone, X} << 28.0 << 0;
    QTest::newRow("next zone from a zone start")
        << PrintStatement{column(15), NextZone, X} << 28.0 << 0;
    QTest::newRow("column 7") << PrintStatement{column(7), X} << 6.0 << 0;
    QTest::newRow("column 1") << PrintStatement{column(1), X} << 0.0 << 0;
    QTest::newRow("column after text") << PrintStatement{T(u"00"_s), column(7), X} << 6.0 << 0;
    QTest::newRow("column at the position")
        << PrintStatement{T(u"000000"_s), column(7), X} << 6.0 << 0;
    QTest::newRow("column behind the position")
        << PrintStatement{T(Zeros), column(3), X} << 2.0 << 1;
    // A Letter page holds 100 columns: column 99 is in the last zone that starts on it.
    QTest::newRow("next zone from the last zone starts a line")
        << PrintStatement{column(99), NextZone, X} << 0.0 << 1;
    QTest::newRow("label then zone")
        << PrintStatement{column(7), T(u"Name:"_s), NextZone, X} << 14.0 << 0;
    QTest::newRow("empty lines") << PrintStatement{EndOfLine, EndOfLine, X} << 0.0 << 2;
}

void TestPrinter::positions()
{
    QFETCH(PrintStatement, statement);
    QFETCH(qreal, column);
    QFETCH(int, linesDown);

    const QString path = pdfPath(u"positions"_s);
    // An X alone gives its width and the line height.
    printPdf(
        path,
        {{T(Zeros), EndOfLine}, {T(u"X"_s), EndOfLine}, statement + PrintStatement{EndOfLine}});
    const PdfText text = readPdf(path);
    QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
    const auto lines = linesOf(text);
    const auto ruler = rulerOf(lines);
    QVERIFY(ruler);
    QVERIFY(lines.size() >= 3);
    const PdfWord alone = lines[1].first();
    const qreal lineHeight = alone.box.top() - lines[0].first().box.top();
    QVERIFY(lineHeight > 0);

    // Text printed right at the end of other text joins its word: X is the last letter.
    std::optional<PdfWord> x;
    for (const auto &line : lines.mid(2))
        for (const PdfWord &word : line)
            if (word.text.endsWith(u'X'))
                x = word;
    QVERIFY(x);
    const qreal left = x->box.right() - alone.box.width();
    QVERIFY2(std::abs(left - ruler->x(column)) < 0.3,
             qPrintable(u"X at %1 pt, expected %2 pt (column width %3 pt)"_s.arg(left)
                            .arg(ruler->x(column))
                            .arg(ruler->column)));
    const qreal expectedTop = alone.box.top() + (1 + linesDown) * lineHeight;
    QVERIFY2(std::abs(x->box.top() - expectedTop) < 0.3,
             qPrintable(u"X at top %1 pt, expected %2 pt"_s.arg(x->box.top()).arg(expectedTop)));
}

void TestPrinter::longTextWraps_data()
{
    QTest::addColumn<PrintStatement>("before");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wholeWords");

    // Words of many widths, over enough lines that some line ends where the next word would
    // fit only without its blank.
    QStringList words;
    for (int i = 1; i <= 240; ++i)
        words.append(u"w%1"_s.arg(QString(i % 9, u'o')));
    const QString sentence = words.join(u' ');
    const QString oneWord = QString(300, u'm');

    QTest::newRow("words from the margin") << PrintStatement{} << sentence << true;
    QTest::newRow("words from the third zone")
        << PrintStatement{NextZone, NextZone} << sentence << true;
    QTest::newRow("words after a long label")
        << PrintStatement{T(QString(70, u'0') + u' ')} << sentence << true;
    QTest::newRow("a word too long for the rest of the line")
        << PrintStatement{T(QString(70, u'0') + u' ')} << QString(40, u'0') << true;
    QTest::newRow("one word longer than the line") << PrintStatement{} << oneWord << false;
    QTest::newRow("one long word after a label")
        << PrintStatement{T(u"Label:"_s), NextZone} << oneWord << false;
}

void TestPrinter::longTextWraps()
{
    QFETCH(PrintStatement, before);
    QFETCH(QString, text);
    QFETCH(bool, wholeWords);

    const QString path = pdfPath(u"wrap"_s);
    const QString after = u"after"_s;
    printPdf(path, {{T(Zeros), EndOfLine},
                    before + PrintStatement{T(text), EndOfLine},
                    {T(after), EndOfLine}});
    const PdfText pdf = readPdf(path);
    QVERIFY2(pdf.error.isEmpty(), qPrintable(pdf.error));
    QCOMPARE(pdf.pages.size(), 1);
    auto lines = linesOf(pdf);
    const auto ruler = rulerOf(lines);
    QVERIFY(ruler);
    lines.removeFirst();
    QVERIFY(lines.size() >= 3);
    QCOMPARE(textsOf(lines.takeLast()), QStringList{after});

    // Drop the words printed before the text; the rest is the text, over more than one line.
    QStringList beforeWords;
    for (const PrintItem &item : before)
        beforeWords += item.text.split(u' ', Qt::SkipEmptyParts);
    QStringList printed;
    for (const auto &line : lines)
        printed += textsOf(line);
    QCOMPARE(printed.mid(0, beforeWords.size()), beforeWords);
    printed = printed.mid(beforeWords.size());
    QVERIFY2(lines.size() >= 2, "the text was not wrapped");
    if (wholeWords)
        QCOMPARE(printed, text.split(u' '));
    else
        QCOMPARE(printed.join(QString()), text);

    const qreal rightEdge = pdf.pages.first().width() - ruler->margin;
    for (int i = 0; i < lines.size(); ++i) {
        QVERIFY2(lines[i].last().box.right() <= rightEdge + 0.3,
                 qPrintable(u"line %1 ends at %2 pt, past the edge at %3 pt"_s.arg(i)
                                .arg(lines[i].last().box.right())
                                .arg(rightEdge)));
        if (i > 0)
            QVERIFY(std::abs(lines[i].first().box.left() - ruler->margin) < 0.3);
        // Filled: what starts the next line would not have fitted at the end of this one. A
        // word is broken at its last character that fits, unless it follows a label.
        if (i + 1 < lines.size()) {
            const PdfWord &next = lines[i + 1].first();
            const qreal room = rightEdge - lines[i].last().box.right();
            const bool broken = !wholeWords && (i > 0 || beforeWords.isEmpty());
            const qreal needed =
                broken ? next.box.width() / next.text.size() : ruler->column + next.box.width();
            QVERIFY2(room < needed,
                     qPrintable(u"line %1 ends %2 pt short of the edge"_s.arg(i).arg(room)));
        }
    }
}

void TestPrinter::pageBreaks()
{
    const QString path = pdfPath(u"pages"_s);
    const auto print = [&](int count) {
        platform::PdfPrinter printer(path);
        printLines(printer, 1, count);
        printer.endDoc();
    };

    print(200);
    QVERIFY(pdfPageCount(path) >= 2);
    const PdfText text = readPdf(path);
    QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
    const auto lines = linesOf(text);
    QCOMPARE(lines.size(), 200);
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(textsOf(lines[i]), QStringList{numbered(i + 1)});
    const auto firstOnPage2 = std::find_if(lines.cbegin(), lines.cend(),
                                           [](const auto &line) { return line.first().page == 1; });
    QVERIFY(firstOnPage2 != lines.cend());
    const int perPage = int(firstOnPage2 - lines.cbegin());
    // Every page but the last is as full as the first.
    QCOMPARE(pdfPageCount(path), (200 + perPage - 1) / perPage);
    // The next page starts at the same top margin, and the last line of a page is still on it.
    QCOMPARE(firstOnPage2->first().box.top(), lines.first().first().box.top());
    // Letter with quarter-inch margins: the printable area ends at 792 - 18 = 774 pt.
    QCOMPARE(text.pages.first().height(), 792.0);
    const qreal printableBottom = 774.0;
    QVERIFY2(lines[perPage - 1].first().box.bottom() <= printableBottom,
             qPrintable(u"the last line of a page ends at %1 pt"_s.arg(
                 lines[perPage - 1].first().box.bottom())));

    // A document that fills one page exactly has no blank page after it.
    print(perPage);
    QCOMPARE(pdfPageCount(path), 1);
    print(perPage + 1);
    QCOMPARE(pdfPageCount(path), 2);

    // A run of empty lines keeps every line it spans: one that starts under the first line and
    // runs for two pages leaves the second page blank, and the next text stands on the third
    // page's second line.
    printPdf(path, {{T(numbered(1)), EndOfLine},
                    PrintStatement(2 * perPage, EndOfLine),
                    {T(numbered(2)), EndOfLine}});
    QCOMPARE(pdfPageCount(path), 3);
    const PdfText run = readPdf(path);
    QVERIFY2(run.error.isEmpty(), qPrintable(run.error));
    QCOMPARE(run.words.size(), 2);
    QCOMPARE(run.words[1].page, 2);
    QCOMPARE(run.words[1].box.top(), lines[1].first().box.top());
}

void TestPrinter::noDefaultPrinter()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (!printer.isNull())
        QSKIP(qPrintable(QStringLiteral("the default printer \"%1\" is visible to this test, so "
                                        "the no-printer error cannot be raised")
                             .arg(printer.printerName())));

    platform::SystemPrinter system;
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const auto error = testing::errorOf([&] { system.print({T(u"x"_s), EndOfLine}); });
        QVERIFY2(error, qPrintable(u"attempt %1 raised nothing"_s.arg(attempt)));
        QCOMPARE(error->kind(), platform::ErrorKind::PrinterUnavailable);
        QVERIFY(error->message().startsWith(u"No printer is available."));
        QVERIFY(!Qt::mightBeRichText(error->message()));
        // Nothing was left open, so ending the document has nothing to end.
        QVERIFY(!testing::errorOf([&] { system.endDoc(); }));
    }
}

void TestPrinter::failedNewPageDropsDocument()
{
    const QString path = pdfPath(u"failing-page"_s);
    NewPageFailingPrinter printer(path);
    int printed = 0;
    const auto error = testing::errorOf([&] {
        for (; printed < 200; ++printed)
            printLines(printer, printed + 1, 1);
    });
    QVERIFY2(error, "a document longer than a page printed without a new page");
    QCOMPARE(error->kind(), platform::ErrorKind::PrinterFailure);
    QVERIFY(error->message().contains(u"new page"));
    QVERIFY(printed > 10);
    QCOMPARE(printer.aborted, 1);

    // The report stops at the failure without ending the document; the next statement starts
    // a fresh document at the top of its first page.
    printer.failNewPage = false;
    printer.print({T(u"fresh"_s), EndOfLine});
    printer.endDoc();
    QCOMPARE(printer.aborted, 1);
    QCOMPARE(pdfPageCount(path), 1);
    const PdfText text = readPdf(path);
    QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
    QCOMPARE(textsOf(text.words), QStringList{u"fresh"_s});
    QVERIFY(text.words.first().box.top() < 40);
}

// The program may end in the middle of a report: the printer lets the open document go.
void TestPrinter::printerDroppedWithADocumentOpen()
{
    const QString path = pdfPath(u"dropped"_s);
    auto printer = std::make_unique<platform::PdfPrinter>(path);
    printer->print({T(u"left open"_s), EndOfLine});
    printer.reset();
    platform::PdfPrinter next(path);
    next.print({T(u"next"_s), EndOfLine});
    next.endDoc();
    QCOMPARE(textsOf(readPdf(path).words), QStringList{u"next"_s});
}

void TestPrinter::unfinishedDocumentFails()
{
    const QString path = pdfPath(u"unfinished"_s);
    EndFailingPrinter printer(path);
    printLines(printer, 1, 3);
    const auto error = testing::errorOf([&] { printer.endDoc(); });
    QVERIFY2(error, "a document that could not be finished was reported as printed");
    QCOMPARE(error->kind(), platform::ErrorKind::PrinterFailure);
    QVERIFY(error->message().contains(u"could not be finished"));
    QCOMPARE(printer.aborted, 1);
    QCOMPARE(printer.finished, 0);

    // Nothing is left open: the next statement starts a new document, which ends normally.
    QVERIFY(!testing::errorOf([&] { printer.endDoc(); }));
    printer.failEnd = false;
    printer.print({T(u"next"_s), EndOfLine});
    printer.endDoc();
    QCOMPARE(printer.finished, 1);
    const PdfText text = readPdf(path);
    QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
    QCOMPARE(textsOf(text.words), QStringList{u"next"_s});
}

void TestPrinter::unopenableFileFails()
{
    const QString folder = m_dir.filePath(u"not-yet"_s);
    const QString path = folder + u"/out.pdf"_s;
    platform::PdfPrinter printer(path);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const auto error = testing::errorOf([&] { printer.print({T(u"x"_s), EndOfLine}); });
        QVERIFY(error);
        QCOMPARE(error->kind(), platform::ErrorKind::PrinterFailure);
        QVERIFY(error->message().contains(u"could not be started"));
        QVERIFY(!testing::errorOf([&] { printer.endDoc(); }));
    }

    QVERIFY(QDir().mkpath(folder));
    printer.print({T(u"works"_s), EndOfLine});
    printer.endDoc();
    const PdfText text = readPdf(path);
    QVERIFY2(text.error.isEmpty(), qPrintable(text.error));
    QCOMPARE(textsOf(text.words), QStringList{u"works"_s});
}

int main(int argc, char *argv[])
{
    // The system printer is reached through a print server that does not exist, so the
    // no-printer error is raised whether or not this machine has a printer set up.
    qputenv("CUPS_SERVER", "/nonexistent/cups.sock");
    QApplication app(argc, argv);
    TestPrinter test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printer.moc"
