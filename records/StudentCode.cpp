#include "records/StudentCode.h"

#include "platform/core/conversions.h"

namespace StudentCode {

QString fromNumber(std::int32_t number)
{
    return platform::signedDecimal(number);
}

std::int32_t toNumber(const QString &code)
{
    return platform::roundToInt32(platform::leadingNumber(code));
}

} // namespace StudentCode
