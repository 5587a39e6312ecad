#include "platform/services/Printer.h"

#include "platform/services/PainterPrinter.h"
#include "platform/services/ServiceSlot.h"

namespace platform {

namespace {

using CurrentPrinter = ServiceSlot<PrinterService, SystemPrinter>;

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
    return CurrentPrinter::get();
}

std::unique_ptr<PrinterService> setPrinter(std::unique_ptr<PrinterService> service)
{
    return CurrentPrinter::replace(std::move(service));
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
