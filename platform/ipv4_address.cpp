#include "platform/ipv4_address.h"

#include <QStringList>

bool IsDottedIPv4(const QString& strAddress) {
    const QStringList listParts = strAddress.split(QLatin1Char('.'));
    if (listParts.size() != 4)
        return false;
    for (const QString& strPart : listParts) {
        if (strPart.isEmpty() || strPart.size() > 3)
            return false;
        for (const QChar ch : strPart) {
            // ASCII digits only: QChar::isDigit would also accept other scripts' digits.
            if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
                return false;
        }
        if (strPart.size() > 1 && strPart.front() == QLatin1Char('0'))
            return false;
        if (strPart.toInt() > 255)
            return false;
    }
    return true;
}
