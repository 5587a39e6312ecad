#include "platform/forms/defaultFont.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStringList>

namespace platform {

QFont defaultFont(qreal pointSize)
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
    font.setPointSizeF(pointSize);
    return font;
}

void installDefaultFont()
{
    QApplication::setFont(defaultFont(8.25));
}

} // namespace platform
