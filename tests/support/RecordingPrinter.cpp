#include "support/RecordingPrinter.h"

namespace testing {

void RecordingPrinter::print(const platform::PrintStatement &statement)
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

} // namespace testing
