#include "support/Services.h"

namespace testing {

namespace {

QtMessageHandler g_forwarded = nullptr;

// Qt's offscreen platform cannot raise a window and says so at every show; nothing else is
// dropped.
void dropRaiseWarning(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && message == u"This plugin does not support raise()")
        return;
    if (g_forwarded)
        g_forwarded(type, context, message);
}

} // namespace

void RecordingMessageBox::show(const QString &prompt, const QString &title)
{
    m_log.push_back({prompt, title});
    if (onShow)
        onShow();
}

Services::Services()
{
    auto box = std::make_unique<RecordingMessageBox>(messages);
    messageBox = box.get();
    m_previousBox = platform::setMessageBox(std::move(box));
    auto recorder = std::make_unique<RecordingPrinter>();
    printer = recorder.get();
    m_previousPrinter = platform::setPrinter(std::move(recorder));
    m_previousHandler = platform::setErrorHandler([this](const platform::RuntimeError &e) {
        errors.push_back(e.kind());
        platform::defaultErrorHandler(e);
    });
    m_previousEnd = platform::setEndAction([this] { ++ends; });
    platform::resetEnded();
    m_previousMessages = qInstallMessageHandler(dropRaiseWarning);
    if (m_previousMessages != dropRaiseWarning)
        g_forwarded = m_previousMessages;
}

Services::~Services()
{
    qInstallMessageHandler(m_previousMessages);
    platform::setEndAction(std::move(m_previousEnd));
    platform::setErrorHandler(std::move(m_previousHandler));
    platform::setPrinter(std::move(m_previousPrinter));
    platform::setMessageBox(std::move(m_previousBox));
    platform::resetEnded();
}

void Services::usePrinter(std::unique_ptr<platform::PrinterService> service)
{
    printer = nullptr;
    platform::setPrinter(std::move(service));
}

} // namespace testing
