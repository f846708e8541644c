#include "oledb/provider.h"

#include "oledb/connectionstring.h"

namespace oledb {

QString keywordKey(QStringView keyword)
{
    // Asked many times for every pair of a string on each change: one allocation, folded a
    // unit at a time, where no unit is half of a pair.
    QString key(keyword.size(), Qt::Uninitialized);
    QChar *out = key.data();
    for (qsizetype i = 0; i < keyword.size(); ++i) {
        if (keyword[i].isSurrogate())
            return keyword.toString().toCaseFolded();
        out[i] = keyword[i].toCaseFolded();
    }
    return key;
}

const PropertyDefinition *Provider::property(QStringView keyword) const
{
    const qsizetype index = indexOf(keyword);
    return index < 0 ? nullptr : &properties.at(index);
}

qsizetype Provider::indexOf(QStringView keyword) const
{
    return meaning(keyword).property;
}

Provider::Meaning Provider::meaning(QStringView keyword) const
{
    return m_keywords.value(keywordKey(keyword));
}

QString Provider::toPropertyValue(QStringView keyword, const QString &written) const
{
    const Meaning found = meaning(keyword);
    if (found.synonym < 0)
        return written;
    return properties.at(found.property).synonyms.at(found.synonym).toPropertyValue(written);
}

QString Provider::toWrittenValue(QStringView keyword, const QString &meant) const
{
    const Meaning found = meaning(keyword);
    if (found.synonym < 0)
        return meant;
    return properties.at(found.property).synonyms.at(found.synonym).toWrittenValue(meant);
}

bool Provider::documentsValue(QStringView keyword, QStringView written) const
{
    const Meaning found = meaning(keyword);
    if (found.synonym < 0)
        return false;
    const Synonym &synonym = properties.at(found.property).synonyms.at(found.synonym);
    for (const auto &pair : synonym.values) {
        if (pair.first.compare(written, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool Provider::answersTo(QStringView name) const
{
    if (!progId.isEmpty() && sameKeyword(progId, name))
        return true;
    for (const QString &alias : aliases) {
        if (sameKeyword(alias, name))
            return true;
    }
    return false;
}

bool Provider::handsToDriver(QStringView keyword) const
{
    const Meaning found = meaning(keyword);
    return found.property < 0
        || (found.synonym < 0 && properties.at(found.property).kind == KeywordKind::Driver);
}

bool Provider::index(QString *clash)
{
    m_keywords.clear();
    const auto claim = [&](const QString &keyword, Meaning meaning) {
        const QString key = keywordKey(keyword);
        if (m_keywords.contains(key)) {
            if (clash)
                *clash = keyword;
            return false;
        }
        m_keywords.insert(key, meaning);
        return true;
    };
    for (qsizetype i = 0; i < properties.size(); ++i) {
        if (!claim(properties.at(i).name, {i, -1}))
            return false;
    }
    for (qsizetype i = 0; i < properties.size(); ++i) {
        const QList<Synonym> &synonyms = properties.at(i).synonyms;
        for (qsizetype j = 0; j < synonyms.size(); ++j) {
            if (!claim(synonyms.at(j).keyword, {i, j}))
                return false;
        }
    }
    return true;
}

} // namespace oledb
