#pragma once

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <optional>

namespace testing {

// A word of a PDF's text layer, in points from the page's top-left corner.
struct PdfWord
{
    QString text;
    int page = 0;
    QRectF box;
};

struct PdfText
{
    QString error;
    QList<QSizeF> pages;
    QList<PdfWord> words;
};

// What pdftotext reads back from the file; error says why when it cannot.
PdfText readPdf(const QString &path);

// Lines of words in reading order: page, then top, then left.
QList<QList<PdfWord>> linesOf(const PdfText &text);

QStringList textsOf(const QList<PdfWord> &words);

// The reference line a layout document starts with: ten zeros at the left margin give the
// margin and the width of one column as the PDF shows them.
inline const QString Zeros = QStringLiteral("0000000000");

struct Ruler
{
    qreal margin = 0;
    qreal column = 0;
    qreal x(qreal columns) const { return margin + columns * column; }
    qreal zone() const { return 14 * column; }
    // Start of the n-th zone after the position x.
    qreal zoneAfter(qreal position, int n = 1) const;
};

// The ruler from a document's first line, none when that line is not the ten zeros.
std::optional<Ruler> rulerOf(const QList<QList<PdfWord>> &lines);

} // namespace testing
