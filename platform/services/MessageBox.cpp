#include "platform/services/MessageBox.h"

#include "application.h"
#include "platform/services/ServiceSlot.h"

#include <QMessageBox>

namespace platform {

namespace {

using CurrentMessageBox = ServiceSlot<MessageBoxService, ScreenMessageBox>;

} // namespace

QString applicationTitle()
{
    return application::title();
}

void ScreenMessageBox::show(const QString &prompt, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, prompt, QMessageBox::Ok);
    // A name such as "<b>x</b>" must be shown as typed, not as rich text.
    box.setTextFormat(Qt::PlainText);
    box.setObjectName(QStringLiteral("msgBox"));
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

MessageBoxService &messageBox()
{
    return CurrentMessageBox::get();
}

std::unique_ptr<MessageBoxService> setMessageBox(std::unique_ptr<MessageBoxService> service)
{
    return CurrentMessageBox::replace(std::move(service));
}

void MsgBox(const QString &prompt, const std::optional<QString> &title)
{
    messageBox().show(prompt, title.value_or(applicationTitle()));
}

} // namespace platform
