#pragma once

#include "platform/error.h"

#include <QSet>
#include <QString>
#include <QStringList>

namespace doubles {

// Shared by every fake of one test: records each platform operation by name and fails the ones
// the test asks for, either by name or by position (the k-th operation, counting from 1).
class Faults
{
public:
    void failOn(const QString &operation) { m_failing.insert(operation); }
    void failAt(int k) { m_failAt = k; }
    void clear()
    {
        m_failing.clear();
        m_failAt = 0;
    }

    // Called by a fake before it does anything.
    void check(const QString &operation)
    {
        ++m_count;
        m_log.append(operation);
        if (m_count == m_failAt || m_failing.contains(operation)) {
            m_failed.append(operation);
            throw platform::Error(QStringLiteral("injected failure: ") + operation);
        }
    }

    int count() const { return m_count; }
    const QStringList &log() const { return m_log; }
    const QStringList &failed() const { return m_failed; }

private:
    QSet<QString> m_failing;
    int m_failAt = 0;
    int m_count = 0;
    QStringList m_log;
    QStringList m_failed;
};

} // namespace doubles
