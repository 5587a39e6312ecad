#include "platform/services/Printer.h"

#include "platform/services/PainterPrinter.h"
#include "platform/services/ServiceSlot.h"

namespace platform {

namespace {

using CurrentPrinter = ServiceSlot<PrinterService, SystemPrinter>;

} // namespace

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
