#include "support/PdfText.h"

#include <QProcess>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace testing {

PdfText readPdf(const QString &path)
{
    PdfText result;
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        result.error = QStringLiteral("pdftotext -bbox %1 failed: %2 %3")
                           .arg(path, process.errorString(),
                                QString::fromLocal8Bit(process.readAllStandardError()));
        return result;
    }
    QXmlStreamReader xml(process.readAllStandardOutput());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto attributes = xml.attributes();
        const auto number = [&](const char *name) {
            return attributes.value(QLatin1String(name)).toDouble();
        };
        if (xml.name() == u"page") {
            result.pages.append(QSizeF(number("width"), number("height")));
        } else if (xml.name() == u"word") {
            const QRectF box(QPointF(number("xMin"), number("yMin")),
                             QPointF(number("xMax"), number("yMax")));
            result.words.append(PdfWord{xml.readElementText(), int(result.pages.size()) - 1, box});
        }
    }
    if (xml.hasError())
        result.error = QStringLiteral("bad pdftotext output: %1").arg(xml.errorString());
    return result;
}

QList<QList<PdfWord>> linesOf(const PdfText &text)
{
    QList<PdfWord> words = text.words;
    std::stable_sort(words.begin(), words.end(), [](const PdfWord &a, const PdfWord &b) {
        if (a.page != b.page)
            return a.page < b.page;
        if (std::abs(a.box.top() - b.box.top()) > 1.0)
            return a.box.top() < b.box.top();
        return a.box.left() < b.box.left();
    });
    QList<QList<PdfWord>> lines;
    for (const PdfWord &word : words) {
        if (lines.isEmpty() || lines.last().first().page != word.page ||
            std::abs(lines.last().first().box.top() - word.box.top()) > 1.0)
            lines.append(QList<PdfWord>{});
        lines.last().append(word);
    }
    return lines;
}

QStringList textsOf(const QList<PdfWord> &words)
{
    QStringList texts;
    for (const PdfWord &word : words)
        texts.append(word.text);
    return texts;
}

qreal Ruler::zoneAfter(qreal position, int n) const
{
    return margin + (std::floor((position - margin) / zone()) + n) * zone();
}

std::optional<Ruler> rulerOf(const QList<QList<PdfWord>> &lines)
{
    if (lines.isEmpty() || lines.first().first().text != Zeros)
        return std::nullopt;
    const QRectF box = lines.first().first().box;
    return Ruler{box.left(), box.width() / Zeros.size()};
}

} // namespace testing
