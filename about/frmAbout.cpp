#include "about/frmAbout.h"

#include "application.h"
#include "platform/forms/defaultFont.h"

#include <QIcon>
#include <QPixmapCache>

using namespace platform;

namespace {

// The 32x32 image of the books icon, kept under one key of Qt's pixmap cache: an icon made for
// every About box would add a cache entry each time, and its key outlives the entry.
QPixmap booksPicture()
{
    const QString key = QStringLiteral("frmAbout/books");
    QPixmap picture;
    if (!QPixmapCache::find(key, &picture)) {
        picture = QIcon(QStringLiteral(":/about/books.ico")).pixmap(QSize(32, 32));
        QPixmapCache::insert(key, picture);
    }
    return picture;
}

} // namespace

frmAbout::frmAbout()
    : Form({QStringLiteral("About ") + application::title(), 4470, 3405, BorderStyle::SizableTool,
            CloseAction::Unload})
{
    setObjectName(QStringLiteral("frmAbout"));
    QWidget *area = client();

    Label1 =
        new Label(area, QStringLiteral("Label1"), QStringLiteral("About ") + application::title(),
                  twipsRect(840, 480, 2415, 375), Qt::AlignHCenter);
    Label1->setFont(defaultFont(9.75));

    imgBooks = new Image(area, QStringLiteral("imgBooks"), twipsRect(2520, 1080, 1200, 720));
    // Drawn stretched to the control.
    imgBooks->setPicture(booksPicture());
    // A screen reader names a picture by what it shows.
    imgBooks->setAccessibleName(QStringLiteral("Books"));

    lblVersion = new Label(area, QStringLiteral("lblVersion"),
                           QStringLiteral("Version ") + application::shortVersion(),
                           twipsRect(600, 1560, 1455, 255));
    lblDate = new Label(area, QStringLiteral("lblDate"), QStringLiteral("Copyright \u00a9 2026"),
                        twipsRect(600, 1800, 1335, 255));
    lblAbout = new Label(area, QStringLiteral("lblAbout"),
                         QStringLiteral("Written by ") + application::author(),
                         twipsRect(600, 2280, 2535, 255));
    cmdOK = new CommandButton(area, QStringLiteral("cmdOK"), QStringLiteral("O&K"),
                              twipsRect(1800, 2880, 735, 375));

    setTabOrder({cmdOK, lblAbout, lblDate, lblVersion, Label1});
    onClick(cmdOK, [this] { cmdOK_Click(); });
}

void frmAbout::cmdOK_Click()
{
    Hide();
}
