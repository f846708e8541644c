#include "oledb/packedstrings.h"

#include <QHashFunctions>

#include <limits>
#include <new>

namespace oledb {

void PackedStrings::append(QStringView text)
{
    quint32 &lately = m_lately[qHash(text) % m_lately.size()];
    if (lately != 0 && kept(lately - 1) == text) {
        m_items.push_back(lately - 1);
        return;
    }
    if (m_starts.size() > std::numeric_limits<quint32>::max())
        throw std::bad_alloc();
    const auto index = quint32(keptCount());
    m_chars.append(text);
    m_starts.push_back(m_chars.size());
    m_items.push_back(index);
    lately = index + 1;
}

void PackedStrings::clear()
{
    *this = PackedStrings();
}

} // namespace oledb
