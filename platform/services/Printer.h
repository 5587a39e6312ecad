#pragma once

#include <QList>
#include <QString>

#include <memory>

namespace platform {

// One item of a print statement.
struct PrintItem
{
    enum class Kind { Text, NextZone, Column, EndOfLine };

    Kind kind = Kind::EndOfLine;
    QString text;  // Kind::Text
    int count = 0; // Kind::Column: the column (from 1) the print position moves to

    static PrintItem Text(QString text) { return {Kind::Text, std::move(text), 0}; }
    static PrintItem NextZone() { return {Kind::NextZone, {}, 0}; }
    static PrintItem Column(int column) { return {Kind::Column, {}, column}; }
    static PrintItem EndOfLine() { return {Kind::EndOfLine, {}, 0}; }

    friend bool operator==(const PrintItem &, const PrintItem &) = default;
};

using PrintStatement = QList<PrintItem>;

// Where documents go: a print statement at a time, then the end of the document.
class PrinterService
{
public:
    virtual ~PrinterService() = default;
    // The first statement after an end of document begins a new document.
    virtual void print(const PrintStatement &statement) = 0;
    virtual void endDoc() = 0;
};

PrinterService &printer();
std::unique_ptr<PrinterService> setPrinter(std::unique_ptr<PrinterService> service);

// The program's printer object: Printer.Print items... and Printer.EndDoc.
void Print(const PrintStatement &statement);
void EndDoc();

} // namespace platform
