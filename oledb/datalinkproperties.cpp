#include "oledb/datalinkproperties.h"

#include "oledb/datalinkwriter.h"
#include "oledb/providercatalogue.h"

namespace oledb {

DataLinkProperties DataLinkProperties::fromString(const QString &text)
{
    const ConnectionString parsed = ConnectionString::parse(text);
    DataLinkProperties properties;
    properties.m_original = text;
    for (const KeywordValue &pair : parsed.effectivePairs()) {
        if (sameKeyword(pair.keyword, u"Provider"))
            properties.m_providerProgId = pair.value;
        else
            properties.m_properties.append(pair);
    }
    return properties;
}

void DataLinkProperties::setProviderProgId(const QString &progId)
{
    if (progId == m_providerProgId)
        return;
    m_providerProgId = progId;
    m_modified = true;
}

std::optional<QString> DataLinkProperties::value(QStringView name) const
{
    const qsizetype index = indexOf(name);
    if (index < 0)
        return std::nullopt;
    return m_properties.at(index).value;
}

void DataLinkProperties::setValue(const QString &name, const QString &value)
{
    if (sameKeyword(name, u"Provider")) {
        setProviderProgId(value);
        return;
    }
    const qsizetype index = indexOf(name);
    if (index < 0) {
        m_properties.append({name, value});
    } else {
        if (m_properties.at(index).value == value)
            return;
        m_properties[index].value = value;
    }
    m_modified = true;
}

void DataLinkProperties::remove(QStringView name)
{
    const qsizetype index = indexOf(name);
    if (index < 0)
        return;
    m_properties.removeAt(index);
    m_modified = true;
}

QString DataLinkProperties::toString(const ProviderCatalogue &catalogue) const
{
    if (!m_modified)
        return m_original;
    return writeDataLinkString(catalogue.resolve(m_providerProgId), m_properties);
}

qsizetype DataLinkProperties::indexOf(QStringView name) const
{
    for (qsizetype i = 0; i < m_properties.size(); ++i) {
        if (sameKeyword(m_properties.at(i).keyword, name))
            return i;
    }
    return -1;
}

} // namespace oledb
