#include "platform/services/MessageBox.h"

#include "application.h"
#include "platform/services/focusReturn.h"
#include "platform/services/ServiceSlot.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>

namespace platform {

namespace {

using CurrentMessageBox = ServiceSlot<MessageBoxService, ScreenMessageBox>;

// One box serves every message. A screen reader may keep asking a closed box about itself
// (Orca 48 does, on every key, while it counts the box as the window it is in); a box that
// still exists answers, where a deleted one leaves the reader with dead objects.
QPointer<QMessageBox> &keptBox()
{
    static QPointer<QMessageBox> box;
    return box;
}

void deleteKeptBox()
{
    delete keptBox().data();
}

QMessageBox *newBox()
{
    auto *box = new QMessageBox(QMessageBox::NoIcon, QString(), QString(), QMessageBox::Ok);
    // A name such as "<b>x</b>" must be shown as typed, not as rich text.
    box->setTextFormat(Qt::PlainText);
    box->setObjectName(QStringLiteral("msgBox"));
    box->setWindowModality(Qt::ApplicationModal);
    return box;
}

} // namespace

QString applicationTitle()
{
    return application::title();
}

void ScreenMessageBox::show(const QString &prompt, const QString &title)
{
    QPointer<QMessageBox> &kept = keptBox();
    if (!kept) {
        kept = newBox();
        // Post routines run as the application object goes, while widgets can still be deleted.
        qAddPostRoutine(deleteKeptBox);
    }
    // A message raised while the kept box is up (its own event loop runs) gets a box of its own.
    std::unique_ptr<QMessageBox> nested;
    QMessageBox *box = kept;
    if (box->isVisible()) {
        nested.reset(newBox());
        box = nested.get();
    }
    box->setWindowTitle(title);
    box->setText(prompt);
    const FocusReturn focusReturn;
    box->exec();
    focusReturn.restore();
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
