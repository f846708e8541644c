#include "drivers/secretmask.h"

#include "oledb/connectionstring.h"
#include "oledb/providercatalogue.h"

#include <QRegularExpression>

#include <algorithm>

namespace drivers {

namespace {

const QString Mask = QStringLiteral("****");

// The value runs like an ODBC value: braced with `}}` inside, or quoted, or up to `;` or the
// end of the line when a driver quotes the string back in a sentence.
const QRegularExpression &secretAssignment()
{
    static const QRegularExpression expression(
        QStringLiteral(R"(\b(PWD|Password)(\s*=\s*)(\{(?:[^}]|\}\})*\}?|"(?:[^"]|"")*"?|)"
                       R"('(?:[^']|'')*'?|[^;\r\n]*))"),
        QRegularExpression::CaseInsensitiveOption);
    return expression;
}

bool isSecretKeyword(const QString &keyword)
{
    if (keyword.contains(u"password", Qt::CaseInsensitive)
        || keyword.compare(u"pwd", Qt::CaseInsensitive) == 0)
        return true;
    const auto &providers = oledb::ProviderCatalogue::builtIn().providers();
    return std::any_of(providers.begin(), providers.end(), [&](const oledb::Provider &provider) {
        const auto *definition = provider.property(keyword);
        return definition && definition->secret;
    });
}

QString unquoted(const QString &value)
{
    if (value.size() >= 2 && value.front() == u'{' && value.back() == u'}')
        return value.mid(1, value.size() - 2).replace(QStringLiteral("}}"), QStringLiteral("}"));
    for (const QChar quote : {u'"', u'\''}) {
        if (value.size() >= 2 && value.front() == quote && value.back() == quote)
            return value.mid(1, value.size() - 2).replace(QString(2, quote), QString(quote));
    }
    return value;
}

} // namespace

QStringList secretsOf(const oledb::ConnectionString &connection)
{
    QStringList secrets;
    for (const auto &pair : connection.pairs()) {
        if (isSecretKeyword(pair.keyword)) {
            secrets.append(pair.value);
            continue;
        }
        auto matches = secretAssignment().globalMatch(pair.value);
        while (matches.hasNext()) {
            const QString raw = matches.next().captured(3);
            secrets.append(raw.trimmed());
            secrets.append(unquoted(raw.trimmed()));
        }
    }
    secrets.removeAll(QString());
    secrets.removeDuplicates();
    return secrets;
}

QString maskSecrets(QString text, const QStringList &secrets)
{
    // The longest first, so a secret holding a shorter one disappears whole.
    QStringList ordered = secrets;
    std::sort(ordered.begin(), ordered.end(),
              [](const QString &a, const QString &b) { return a.size() > b.size(); });
    for (const QString &secret : std::as_const(ordered)) {
        if (!secret.isEmpty())
            text.replace(secret, Mask);
    }
    return text.replace(secretAssignment(), QStringLiteral("\\1\\2") + Mask);
}

} // namespace drivers
