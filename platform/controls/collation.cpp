#include "platform/controls/collation.h"

#include <QCollator>
#include <QLocale>

namespace platform {

namespace {

QCollator makeCollator()
{
    QLocale locale = QLocale::system();
    // In the C/POSIX locale QCollator only folds case; English rules sort accents sensibly.
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    return collator;
}

} // namespace

int compareListTexts(const QString &left, const QString &right)
{
    static const QCollator collator = makeCollator();
    return collator.compare(left, right);
}

} // namespace platform
