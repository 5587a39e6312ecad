#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace platform {

// The application title that a message box carries when it has no title of its own.
QString applicationTitle();

// Where message boxes go: the screen in the program, a recorder in tests.
class MessageBoxService
{
public:
    virtual ~MessageBoxService() = default;
    // Shows prompt with an OK button and no icon; returns once dismissed.
    virtual void show(const QString &prompt, const QString &title) = 0;
};

// A real, application-modal QMessageBox that always shows plain text.
class ScreenMessageBox final : public MessageBoxService
{
public:
    void show(const QString &prompt, const QString &title) override;
};

MessageBoxService &messageBox();

// Installs a service and returns the previous one (tests swap in a recorder).
std::unique_ptr<MessageBoxService> setMessageBox(std::unique_ptr<MessageBoxService> service);

// An OK button and no icon, the only message box the program shows.
void MsgBox(const QString &prompt, const std::optional<QString> &title = std::nullopt);

} // namespace platform
