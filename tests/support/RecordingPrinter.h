#pragma once

#include "platform/services/Printer.h"

#include <QList>

namespace testing {

// Keeps every statement; tests read what the printer got.
class RecordingPrinter final : public platform::PrinterService
{
public:
    void print(const platform::PrintStatement &statement) override;
    void endDoc() override;

    // Documents ended so far, and the statements of the one still open.
    const QList<QList<platform::PrintStatement>> &documents() const { return m_documents; }
    const QList<platform::PrintStatement> &openDocument() const { return m_open; }
    int statementCount() const;

private:
    QList<QList<platform::PrintStatement>> m_documents;
    QList<platform::PrintStatement> m_open;
};

} // namespace testing

// Tests written before the recorder left the product name it by its old namespace.
namespace platform {
using RecordingPrinter = testing::RecordingPrinter;
}
