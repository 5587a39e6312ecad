#include "platform/services/PainterPrinter.h"

#include "platform/core/RuntimeError.h"

#include "application.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

namespace platform {

namespace {

RuntimeError printerFailure(const QString &what)
{
    return RuntimeError(ErrorKind::PrinterFailure,
                        QStringLiteral("The printer failed: %1. Nothing more of this document "
                                       "was printed.")
                            .arg(what));
}

} // namespace

PainterPrinter::PainterPrinter() = default;

PainterPrinter::~PainterPrinter() = default;

void PainterPrinter::discardOpenDocument()
{
    if (m_device)
        abandonDocument();
}

bool PainterPrinter::startNewPage(QPagedPaintDevice &device)
{
    return device.newPage();
}

void PainterPrinter::beginDocument()
{
    QPagedPaintDevice *device = openDevice();
    if (!m_painter.begin(device)) {
        closeDevice(true);
        throw printerFailure(QStringLiteral("the document could not be started"));
    }
    m_device = device;
    // Columns are measured in device units: the nominal average width lands columns unevenly.
    const QFontMetricsF metrics(m_painter.font(), device);
    m_columnWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    m_lineHeight = metrics.lineSpacing();
    m_ascent = metrics.ascent();
    m_pageWidth = device->width();
    m_pageHeight = device->height();
    m_x = 0;
    m_y = 0;
    m_pagePending = false;
}

void PainterPrinter::abandonDocument()
{
    m_painter.end();
    m_device = nullptr;
    closeDevice(true);
}

void PainterPrinter::print(const PrintStatement &statement)
{
    if (!m_device)
        beginDocument();
    try {
        for (const PrintItem &item : statement) {
            switch (item.kind) {
            case PrintItem::Kind::Text:
                drawText(item.text);
                break;
            case PrintItem::Kind::NextZone:
                moveToNextZone();
                break;
            case PrintItem::Kind::Column:
                moveToColumn(item.count);
                break;
            case PrintItem::Kind::EndOfLine:
                newLine();
                break;
            }
        }
    } catch (...) {
        // A half-printed document is dropped so that the next statement starts afresh.
        abandonDocument();
        throw;
    }
}

void PainterPrinter::endDoc()
{
    if (!m_device)
        return;
    m_device = nullptr;
    const bool ended = m_painter.end();
    closeDevice(!ended);
    if (!ended)
        throw printerFailure(QStringLiteral("the document could not be finished"));
}

void PainterPrinter::drawText(const QString &text)
{
    const QFontMetricsF metrics(m_painter.font(), m_device);
    QStringView rest(text);
    while (!rest.isEmpty()) {
        const qreal room = m_pageWidth - m_x;
        qsizetype fits = rest.size();
        qsizetype resume = fits;
        if (metrics.horizontalAdvance(rest.toString()) > room) {
            // Longest prefix that fits, found by bisection.
            qsizetype low = 0;
            qsizetype high = rest.size();
            while (low < high) {
                const qsizetype mid = (low + high + 1) / 2;
                if (metrics.horizontalAdvance(rest.first(mid).toString()) <= room)
                    low = mid;
                else
                    high = mid - 1;
            }
            // Break at the last blank that fits, so that words stay whole; the blanks at the
            // break are not carried to the next line.
            qsizetype blank = low;
            while (blank > 0 && rest[blank] != QLatin1Char(' '))
                --blank;
            if (blank > 0) {
                fits = blank;
                resume = blank;
                while (resume < rest.size() && rest[resume] == QLatin1Char(' '))
                    ++resume;
            } else if (m_x > 0) {
                // The word may fit on a line of its own.
                newLine();
                continue;
            } else {
                // A word longer than the line is split; never inside a surrogate pair.
                fits = std::max<qsizetype>(low, 1);
                if (fits < rest.size() && rest[fits - 1].isHighSurrogate())
                    fits = fits > 1 ? fits - 1 : 2;
                resume = fits;
            }
        }
        const QString piece = rest.first(fits).toString();
        startPendingPage();
        m_painter.drawText(QPointF(m_x, m_y + m_ascent), piece);
        m_x += metrics.horizontalAdvance(piece);
        const bool wrapped = resume < rest.size();
        rest = rest.sliced(resume);
        if (wrapped)
            newLine();
    }
}

void PainterPrinter::moveToNextZone()
{
    const qreal zone = m_columnWidth * ColumnsPerZone;
    // A small tolerance keeps a position that sits exactly on a zone start from skipping it.
    const qreal next = (std::floor(m_x / zone + 1e-9) + 1) * zone;
    if (next >= m_pageWidth)
        newLine();
    else
        m_x = next;
}

void PainterPrinter::moveToColumn(int column)
{
    const qreal target = std::max(0, column - 1) * m_columnWidth;
    if (target >= m_pageWidth)
        return;
    if (m_x > target + 1e-6)
        newLine();
    m_x = target;
}

void PainterPrinter::newLine()
{
    m_x = 0;
    m_y += m_lineHeight;
    if (m_y + m_lineHeight > m_pageHeight) {
        // The new page starts only when something is printed on it, so that a document that
        // ends on a full page has no blank page after it.
        if (m_pagePending)
            startPendingPage();
        m_pagePending = true;
        m_y = 0;
    }
}

void PainterPrinter::startPendingPage()
{
    if (!m_pagePending)
        return;
    m_pagePending = false;
    if (!startNewPage(*m_device))
        throw printerFailure(QStringLiteral("a new page could not be started"));
}

SystemPrinter::SystemPrinter() = default;
SystemPrinter::~SystemPrinter()
{
    discardOpenDocument();
}

QPagedPaintDevice *SystemPrinter::openDevice()
{
    // QPrinter reports itself valid even with no printer, then falls back to PDF output.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw RuntimeError(ErrorKind::PrinterUnavailable,
                           QStringLiteral("No printer is available. Add a printer (or choose a "
                                          "default printer) in the system settings, then print "
                                          "again."));
    m_printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    m_printer->setDocName(application::title());
    return m_printer.get();
}

void SystemPrinter::closeDevice(bool aborted)
{
    if (aborted && m_printer)
        m_printer->abort();
    m_printer.reset();
}

PdfPrinter::PdfPrinter(QString fileName) : m_fileName(std::move(fileName)) {}
PdfPrinter::~PdfPrinter()
{
    discardOpenDocument();
}

QPagedPaintDevice *PdfPrinter::openDevice()
{
    m_writer = std::make_unique<QPdfWriter>(m_fileName);
    m_writer->setPageSize(QPageSize(QPageSize::Letter));
    m_writer->setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Point);
    m_writer->setTitle(application::title());
    return m_writer.get();
}

void PdfPrinter::closeDevice(bool)
{
    m_writer.reset();
}

} // namespace platform
