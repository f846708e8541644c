#include "oledb/jetoptions.h"

#include <QList>

namespace oledb::jetoptions {

namespace {

struct Option
{
    qsizetype start = 0;
    qsizetype end = 0;
};

// `FMT=Delimited(;)` holds a `;` that separates nothing.
QList<Option> options(QStringView text)
{
    QList<Option> found;
    qsizetype start = 0;
    int depth = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || (text[i] == u';' && depth == 0)) {
            found.append({start, i});
            start = i + 1;
        } else if (text[i] == u'(') {
            ++depth;
        } else if (text[i] == u')' && depth > 0) {
            --depth;
        }
    }
    return found;
}

qsizetype typeIndex(QStringView text, const QList<Option> &all)
{
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QStringView option = text.sliced(all[i].start, all[i].end - all[i].start);
        if (!option.trimmed().isEmpty() && !option.contains(u'='))
            return i;
    }
    return -1;
}

} // namespace

QString fileType(QStringView extendedProperties)
{
    const QList<Option> all = options(extendedProperties);
    const qsizetype index = typeIndex(extendedProperties, all);
    if (index < 0)
        return {};
    const Option &option = all[index];
    return extendedProperties.sliced(option.start, option.end - option.start).trimmed().toString();
}

QString withFileType(QStringView extendedProperties, const QString &type)
{
    const QList<Option> all = options(extendedProperties);
    const qsizetype index = typeIndex(extendedProperties, all);
    QString text = extendedProperties.toString();
    if (index < 0) {
        if (type.isEmpty())
            return text;
        return text.trimmed().isEmpty() ? type : type + u';' + text;
    }
    const Option &option = all[index];
    if (!type.isEmpty()) {
        // Inside the white space around the option, which stays as written.
        qsizetype start = option.start;
        qsizetype end = option.end;
        while (text[start].isSpace())
            ++start;
        while (text[end - 1].isSpace())
            --end;
        return text.replace(start, end - start, type);
    }
    // With the separator on one side, so that no empty option is left behind.
    if (option.end < text.size())
        return text.remove(option.start, option.end - option.start + 1);
    if (option.start > 0)
        return text.remove(option.start - 1, option.end - option.start + 1);
    return {};
}

} // namespace oledb::jetoptions
