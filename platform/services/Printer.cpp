#include "platform/services/Printer.h"

#include "platform/services/PainterPrinter.h"

namespace platform {

namespace {

std::unique_ptr<PrinterService> &current()
{
    static std::unique_ptr<PrinterService> service = std::make_unique<SystemPrinter>();
    return service;
}

} // namespace

void RecordingPrinter::print(const PrintStatement &statement)
{
    m_open.append(statement);
}

void RecordingPrinter::endDoc()
{
    if (m_open.isEmpty())
        return;
    m_documents.append(m_open);
    m_open.clear();
}

int RecordingPrinter::statementCount() const
{
    int total = static_cast<int>(m_open.size());
    for (const auto &document : m_documents)
        total += static_cast<int>(document.size());
    return total;
}

PrinterService &printer()
{
    return *current();
}

std::unique_ptr<PrinterService> setPrinter(std::unique_ptr<PrinterService> service)
{
    auto previous = std::move(current());
    current() = service ? std::move(service) : std::make_unique<SystemPrinter>();
    return previous;
}

void Print(const PrintStatement &statement)
{
    printer().print(statement);
}

void EndDoc()
{
    printer().endDoc();
}

} // namespace platform
