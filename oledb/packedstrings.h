#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <vector>

namespace oledb {

// A long list of short strings that repeat, as a script's edits are: the characters of each
// string in one buffer, and a string equal to one kept lately kept again only as a reference to
// it. Hundreds of thousands of copies of a few names cost four bytes each.
class PackedStrings
{
public:
    // Throws std::bad_alloc past 2^32 strings kept.
    void append(QStringView text);
    void clear();

    qsizetype size() const { return qsizetype(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    // Good until the next append.
    QStringView at(qsizetype index) const { return kept(m_items[size_t(index)]); }

    // The different strings, each at least once, for work that depends only on which strings
    // the list holds.
    qsizetype keptCount() const { return qsizetype(m_starts.size()) - 1; }
    QStringView kept(qsizetype index) const
    {
        const qsizetype start = m_starts[size_t(index)];
        return QStringView(m_chars).sliced(start, m_starts[size_t(index) + 1] - start);
    }

private:
    QString m_chars;
    // Where each kept string starts in m_chars, and where the last ends.
    std::vector<qsizetype> m_starts {0};
    std::vector<quint32> m_items;
    // By hash, the string kept last with that hash, plus one (0 for none).
    std::array<quint32, 256> m_lately {};
};

} // namespace oledb
