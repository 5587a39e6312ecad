#pragma once

#include "platform/services/Printer.h"

#include <QFont>
#include <QPainter>

#include <memory>

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;

namespace platform {

// Draws statements on a paged device with QPainter: print zones of 14 columns, a column
// being the width of the digit 0 in the device's font; new page when full; long lines wrap.
class PainterPrinter : public PrinterService
{
public:
    static constexpr int ColumnsPerZone = 14;

    PainterPrinter();
    ~PainterPrinter() override;
    PainterPrinter(const PainterPrinter &) = delete;
    PainterPrinter &operator=(const PainterPrinter &) = delete;

    void print(const PrintStatement &statement) override;
    void endDoc() override;

protected:
    // Returns the device for a new document or throws; called at a document's first statement.
    virtual QPagedPaintDevice *openDevice() = 0;
    // Called after the painter has ended, or after a failure with aborted true.
    virtual void closeDevice(bool aborted) = 0;
    virtual bool startNewPage(QPagedPaintDevice &device);
    // Derived destructors call this while their device still exists.
    void discardOpenDocument();

private:
    void beginDocument();
    void abandonDocument();
    void drawText(const QString &text);
    void moveToNextZone();
    void moveToColumn(int column);
    void newLine();
    void startPendingPage();

    QPainter m_painter;
    QPagedPaintDevice *m_device = nullptr;
    qreal m_columnWidth = 0;
    qreal m_lineHeight = 0;
    qreal m_ascent = 0;
    qreal m_pageWidth = 0;
    qreal m_pageHeight = 0;
    qreal m_x = 0;
    qreal m_y = 0;
    bool m_pagePending = false;
};

// The system's default printer (CUPS on Linux).
class SystemPrinter final : public PainterPrinter
{
public:
    SystemPrinter();
    ~SystemPrinter() override;

protected:
    QPagedPaintDevice *openDevice() override;
    void closeDevice(bool aborted) override;

private:
    std::unique_ptr<QPrinter> m_printer;
};

// Writes each document to a PDF file through the same drawing code.
class PdfPrinter : public PainterPrinter
{
public:
    explicit PdfPrinter(QString fileName);
    ~PdfPrinter() override;

    // Each new document overwrites the file, so a test reads the last one.
    const QString &fileName() const { return m_fileName; }

protected:
    QPagedPaintDevice *openDevice() override;
    void closeDevice(bool aborted) override;

private:
    QString m_fileName;
    std::unique_ptr<QPdfWriter> m_writer;
};

} // namespace platform
