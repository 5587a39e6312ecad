#pragma once

#include "platform/core/RuntimeError.h"
#include "platform/services/dispatch.h"
#include "platform/services/MessageBox.h"
#include "platform/services/Printer.h"
#include "support/RecordingPrinter.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

namespace testing {

struct ShownMessage
{
    QString prompt;
    QString title;
};

// Records every message box; an optional hook runs while the "box" is up.
class RecordingMessageBox final : public platform::MessageBoxService
{
public:
    explicit RecordingMessageBox(std::vector<ShownMessage> &log) : m_log(log) {}
    void show(const QString &prompt, const QString &title) override;
    std::function<void()> onShow;

private:
    std::vector<ShownMessage> &m_log;
};

// Installs recorders for the message box, the printer, the error handler and the end action
// for one test, and puts the real ones back afterwards.
class Services
{
public:
    Services();
    ~Services();
    Services(const Services &) = delete;
    Services &operator=(const Services &) = delete;

    // Replaces the recording printer, e.g. with a PDF printer.
    void usePrinter(std::unique_ptr<platform::PrinterService> service);

    std::vector<ShownMessage> messages;
    std::vector<platform::ErrorKind> errors;
    int ends = 0;
    RecordingMessageBox *messageBox = nullptr;
    RecordingPrinter *printer = nullptr;

private:
    std::unique_ptr<platform::MessageBoxService> m_previousBox;
    std::unique_ptr<platform::PrinterService> m_previousPrinter;
    platform::ErrorHandler m_previousHandler;
    platform::EndAction m_previousEnd;
    QtMessageHandler m_previousMessages = nullptr;
};

} // namespace testing
