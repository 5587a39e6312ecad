#include "platform/forms/defaultFont.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace platform {

void installDefaultFont()
{
    // Only installed families: a missing one costs Qt a fallback search at start-up.
    QStringList families;
    for (const char *family :
         {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arimo", "DejaVu Sans"}) {
        if (QFontDatabase::hasFamily(QString::fromLatin1(family)))
            families << QString::fromLatin1(family);
    }
    QFont font;
    if (!families.isEmpty())
        font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    QApplication::setFont(font);
}

} // namespace platform
