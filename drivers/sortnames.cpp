#include "drivers/sortnames.h"

#include <QCollator>

#include <algorithm>

namespace drivers {

void sortNames(QStringList &names, DigitOrder digits)
{
    names.removeAll(QString());
    names.removeDuplicates();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(digits == DigitOrder::ByValue);
    std::sort(names.begin(), names.end(), collator);
}

} // namespace drivers
