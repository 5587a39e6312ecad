#include "platform/forms/accessKey.h"

#include <QKeySequence>

namespace platform {

qsizetype accessKeyIndex(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return i;
        ++i;
    }
    return -1;
}

QString withoutAccessKey(const QString &caption)
{
    QString result;
    result.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        result.append(caption[i]);
    }
    return result;
}

QString accessKeyText(const QString &caption)
{
    const qsizetype index = accessKeyIndex(caption);
    if (index < 0)
        return QString();
    return QKeySequence(Qt::ALT).toString(QKeySequence::NativeText) + caption[index + 1];
}

} // namespace platform
