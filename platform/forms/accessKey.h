#pragma once

#include <QString>

// The access key of a caption ("E&xit": Alt+X) as assistive technology is told of it.
namespace platform {

// Position of the '&' that marks the access key, -1 if none ("&&" is a plain ampersand).
qsizetype accessKeyIndex(const QString &caption);

// The caption as shown: "&Name" -> "Name", "&&" -> "&".
QString withoutAccessKey(const QString &caption);

// The key that presses the caption's control, as Qt words it ("Alt+x"); empty when none.
QString accessKeyText(const QString &caption);

} // namespace platform
