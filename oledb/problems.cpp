#include "oledb/problems.h"

#include "oledb/datalinkproperties.h"
#include "oledb/propertynames.h"
#include "oledb/secrets.h"

#include <QHash>
#include <QVarLengthArray>

#include <algorithm>
#include <cstdlib>

namespace oledb {

namespace {

const QString AccessToken = QStringLiteral("Access Token");
const QString Authentication = QStringLiteral("Authentication");
const QString HostNameInCertificate = QStringLiteral("Host Name In Certificate");
const QString ServerCertificate = QStringLiteral("Server Certificate");

// Case-insensitive, as keywords compare; limit + 1 for strings further apart than limit. Asked
// for every keyword of a string against every name the provider declares, so most pairs end at
// the length test or after a few rows.
qsizetype editDistance(QStringView a, QStringView b, qsizetype limit)
{
    if (std::abs(a.size() - b.size()) > limit)
        return limit + 1;
    // Keywords are short: all of this stays on the stack.
    const auto folded = [](QStringView text) {
        QVarLengthArray<char16_t, 64> out(text.size());
        for (qsizetype i = 0; i < text.size(); ++i)
            out[i] = text[i].toCaseFolded().unicode();
        return out;
    };
    const auto x = folded(a);
    const auto y = folded(b);
    QVarLengthArray<qsizetype, 64> previous(y.size() + 1);
    QVarLengthArray<qsizetype, 64> current(y.size() + 1);
    for (qsizetype j = 0; j <= y.size(); ++j)
        previous[j] = j;
    for (qsizetype i = 1; i <= x.size(); ++i) {
        current[0] = i;
        qsizetype rowBest = i;
        for (qsizetype j = 1; j <= y.size(); ++j) {
            const qsizetype substitute = previous[j - 1] + (x[i - 1] == y[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitute});
            rowBest = std::min(rowBest, current[j]);
        }
        // No later row comes out lower than the best of this one.
        if (rowBest > limit)
            return limit + 1;
        std::swap(previous, current);
    }
    return std::min(previous[y.size()], limit + 1);
}

struct Nearest
{
    QString keyword;
    QString source;
};

// A keyword the provider declares within two edits, and close enough for its length that a
// short keyword of the driver's own (`Port`) is not taken for one of ours.
std::optional<Nearest> nearestKnown(const Provider &provider, const QString &keyword)
{
    const qsizetype allowed = std::min<qsizetype>(2, keyword.size() / 4);
    std::optional<Nearest> best;
    if (allowed == 0)
        return best;
    qsizetype bestDistance = allowed + 1;
    const auto consider = [&](const QString &known, const QString &source) {
        const qsizetype distance = editDistance(keyword, known, bestDistance - 1);
        if (distance > 0 && distance < bestDistance) {
            bestDistance = distance;
            best = Nearest {known, source};
        }
    };
    for (const PropertyDefinition &property : provider.properties) {
        consider(property.name, provider.precedenceSource);
        for (const Synonym &synonym : property.synonyms)
            consider(synonym.keyword, synonym.source);
    }
    return best;
}

class Finder
{
public:
    explicit Finder(const DataLinkProperties &properties)
        : m_properties(properties)
        , m_provider(properties.provider())
        , m_readings(properties.readings())
    {
        for (const EffectiveValue &value : properties.effectiveValues())
            m_effective.insert(keywordKey(value.property), value);
        for (qsizetype i = 0; i < m_readings.size(); ++i)
            m_atOffset.insert(m_readings.at(i).offset, i);
    }

    QList<Problem> find()
    {
        deprecatedProvider();
        // The properties whose pairs have been weighed against each other already.
        QHash<QString, bool> weighed;
        for (const PairReading &reading : std::as_const(m_readings)) {
            ineffective(reading, weighed);
            misspelt(reading);
            deprecatedValue(reading);
        }
        combinations();
        std::stable_sort(m_found.begin(), m_found.end(),
                         [](const Problem &a, const Problem &b) { return a.offset < b.offset; });
        return m_found;
    }

private:
    // Looked up once for every pair another overrides: a scan each time would make a string of
    // many overridden pairs quadratic.
    const PairReading *at(qsizetype offset) const
    {
        const auto found = m_atOffset.constFind(offset);
        return found == m_atOffset.cend() ? nullptr : &m_readings.at(*found);
    }

    // A pair as a message or a button names it: its secrets masked as everywhere else, since a
    // problem is shown whether or not the password is.
    QString shown(const KeywordValue &pair) const
    {
        return pair.keyword + u'=' + maskValue(pair.keyword, pair.value, m_properties.catalogue());
    }

    // The value in effect from a pair of the string, not the provider's default.
    const EffectiveValue *written(const QString &property) const
    {
        const auto found = m_effective.constFind(keywordKey(property));
        return found != m_effective.cend() && found->offset ? &*found : nullptr;
    }

    QString effectiveValue(const QString &property) const
    {
        if (const auto found = m_effective.constFind(keywordKey(property));
            found != m_effective.cend())
            return found->value;
        const PropertyDefinition *known = m_provider.property(property);
        return known ? known->defaultValue : QString();
    }

    void add(QString rule, const PairReading &reading, QString message, QString source,
             std::optional<ProblemFix> fix = std::nullopt)
    {
        m_found.append({std::move(rule), reading.offset, reading.pair.keyword, std::move(message),
                        std::move(source), std::move(fix)});
    }

    ProblemFix removal(const PairReading &reading) const
    {
        return {ProblemFix::Kind::RemovePair, reading.offset, reading.property, QString(),
                QStringLiteral("Remove %1").arg(shown(reading.pair))};
    }

    void ineffective(const PairReading &reading, QHash<QString, bool> &weighed)
    {
        if (reading.effect == PairReading::Effect::NoEffect) {
            const PropertyDefinition *known = m_provider.property(reading.property);
            add(QStringLiteral("no-effect"), reading,
                QStringLiteral("%1 is a provider-string keyword, which this provider reads only "
                               "for a property without a default; %2 has one (%3), so the pair "
                               "has no effect.")
                    .arg(reading.pair.keyword, reading.property,
                         known ? known->defaultValue : QString()),
                reading.source, removal(reading));
            return;
        }
        if (reading.effect != PairReading::Effect::Overridden)
            return;
        const PairReading *winner = at(reading.winner);
        if (!winner)
            return;
        if (reading.kind == KeywordKind::ProviderString
            && winner->kind != KeywordKind::ProviderString) {
            add(QStringLiteral("overridden"), reading,
                QStringLiteral("%1 goes into the provider string, and %2 sets the same property "
                               "as a property, which the provider uses instead.")
                    .arg(reading.pair.keyword, shown(winner->pair)),
                reading.source, removal(reading));
            return;
        }
        const QString key = keywordKey(reading.property);
        // Once for each property, agreeing or not: weighing all its pairs again for each of them
        // would take time in the square of their number.
        if (weighed.contains(key))
            return;
        weighed.insert(key, true);
        const std::optional<Conflict> conflict = m_properties.conflict(reading.property);
        if (!conflict)
            return;
        const QString why = reading.source.isEmpty()
            ? QStringLiteral("the last one in the string")
            : (winner->offset > reading.offset
                   ? QStringLiteral("the last of the property's own names")
                   : QStringLiteral("the first of the provider-string keywords"));
        add(QStringLiteral("conflict"), reading,
            QStringLiteral("%1 is set %2 times to different values; the provider uses %3, %4.")
                .arg(reading.property)
                .arg(conflict->pairs.size())
                .arg(shown(winner->pair), why),
            reading.source,
            ProblemFix {ProblemFix::Kind::KeepOnlyInEffect, reading.offset, reading.property,
                        QString(), QStringLiteral("Keep only %1").arg(shown(winner->pair))});
    }

    void misspelt(const PairReading &reading)
    {
        if (m_provider.property(reading.pair.keyword))
            return;
        const std::optional<Nearest> nearest = nearestKnown(m_provider, reading.pair.keyword);
        if (!nearest)
            return;
        // Renaming onto a property the string sets already would overwrite the user's value.
        const QString target = keywordKey(m_provider.property(nearest->keyword)->name);
        const bool taken
            = std::any_of(m_readings.cbegin(), m_readings.cend(), [&](const PairReading &other) {
                  return keywordKey(other.property) == target;
              });
        add(QStringLiteral("misspelt-keyword"), reading,
            QStringLiteral("%1 is no keyword of this provider's, so it sets nothing; %2 is one.")
                .arg(reading.pair.keyword, nearest->keyword),
            nearest->source,
            taken ? std::nullopt
                  : std::optional(ProblemFix {
                      ProblemFix::Kind::RenameKeyword, reading.offset, reading.property,
                      nearest->keyword, QStringLiteral("Rename to %1").arg(nearest->keyword)}));
    }

    void deprecatedValue(const PairReading &reading)
    {
        if (reading.effect != PairReading::Effect::InEffect)
            return;
        const PropertyDefinition *known = m_provider.property(reading.property);
        if (!known)
            return;
        const QString value = m_provider.toPropertyValue(reading.pair.keyword, reading.pair.value);
        for (const PropertyDefinition::DeprecatedValue &deprecated : known->deprecatedValues) {
            if (deprecated.value.compare(value, Qt::CaseInsensitive) == 0)
                add(QStringLiteral("deprecated"), reading,
                    QStringLiteral("%1 %2 is deprecated; use %3.")
                        .arg(known->name, deprecated.value, deprecated.successor),
                    deprecated.source);
        }
    }

    void deprecatedProvider()
    {
        if (m_provider.deprecation)
            deprecated(property::Provider, m_provider.description, *m_provider.deprecation);
        // A wrapping service hands the string to a provider that may be deprecated in its turn.
        if (m_provider.wrapping && m_provider.wrappedDeprecation)
            deprecated(m_provider.wrapping->property, m_provider.wrappedDescription,
                       *m_provider.wrappedDeprecation);
    }

    // On the last pair that names the provider, which is not among the readings: found in the
    // text.
    void deprecated(const QString &keyword, const QString &provider,
                    const Provider::Deprecation &deprecation)
    {
        const QList<ParsedPair> pairs = parsePairs(m_properties.toString());
        for (auto it = pairs.crbegin(); it != pairs.crend(); ++it) {
            if (!sameKeyword(it->pair.keyword, keyword))
                continue;
            PairReading naming;
            naming.offset = it->span.start;
            naming.pair = it->pair;
            add(QStringLiteral("deprecated"), naming,
                QStringLiteral("%1 is deprecated; use %2.").arg(provider, deprecation.successor),
                deprecation.source);
            return;
        }
    }

    void combinations()
    {
        if (m_provider.precedence != Provider::Precedence::GetDataSource)
            return;
        const QString source = m_provider.precedenceSource;
        if (const EffectiveValue *token = written(AccessToken)) {
            QStringList others;
            for (const QString &name : {property::UserId, property::Password,
                                        property::IntegratedSecurity, Authentication}) {
                if (written(name))
                    others.append(name);
            }
            if (!others.isEmpty())
                add(QStringLiteral("token-with-credentials"), *at(*token->offset),
                    QStringLiteral("An Access Token together with %1 is an error: the provider "
                                   "refuses to connect.")
                        .arg(others.join(QStringLiteral(", "))),
                    QStringLiteral("msoledbsql-access-token"));
        }
        const EffectiveValue *integrated = written(property::IntegratedSecurity);
        const EffectiveValue *mode = written(Authentication);
        if (integrated && !integrated->value.isEmpty() && mode)
            add(QStringLiteral("integrated-with-authentication"), *at(*integrated->offset),
                QStringLiteral("Integrated Security and Authentication=%1 both say how to log on; "
                               "Authentication=ActiveDirectoryIntegrated is the one that "
                               "replaces Integrated Security.")
                    .arg(mode->value),
                QStringLiteral("msoledbsql-access-token"));
        if (const EffectiveValue *host = written(HostNameInCertificate); host
            && effectiveValue(property::TrustServerCertificate)
                    .compare(u"True", Qt::CaseInsensitive)
                == 0
            && effectiveValue(property::UseEncryptionForData)
                    .compare(u"Strict", Qt::CaseInsensitive)
                != 0)
            add(QStringLiteral("hostname-with-trust"), *at(*host->offset),
                QStringLiteral("The server certificate is trusted without validation, so the "
                               "host name to validate it against is never used."),
                QStringLiteral("msoledbsql-encryption"));
        // Only a provider that declares the property reads it; to any other it is a keyword of
        // its own, passed on or ignored.
        if (const EffectiveValue *certificate = written(ServerCertificate); certificate
            && m_provider.property(ServerCertificate) && !certificate->value.isEmpty()) {
            const QString encryption = effectiveValue(property::UseEncryptionForData);
            if (encryption.compare(u"Strict", Qt::CaseInsensitive) != 0)
                add(QStringLiteral("certificate-without-strict"), *at(*certificate->offset),
                    QStringLiteral("The provider accepts a server certificate only under Strict "
                                   "encryption, and encryption here is %1, so it refuses to "
                                   "connect.")
                        .arg(encryption.isEmpty() ? QStringLiteral("not set") : encryption),
                    QStringLiteral("msoledbsql19-server-certificate"));
        }
        if (const EffectiveValue *password = written(property::Password); password
            && !password->value.isEmpty()
            && effectiveValue(property::PersistSecurityInfo).compare(u"False", Qt::CaseInsensitive)
                == 0)
            add(QStringLiteral("password-not-persisted"), *at(*password->offset),
                QStringLiteral("Persist Security Info is False, so once connected the provider "
                               "leaves the password out of the string it gives back."),
                source.startsWith(u"sqlncli") ? QStringLiteral("sqlncli-init-properties")
                                              : QStringLiteral("msoledbsql-init-properties"));
    }

    const DataLinkProperties &m_properties;
    const Provider &m_provider;
    const QList<PairReading> m_readings;
    QHash<QString, EffectiveValue> m_effective;
    QHash<qsizetype, qsizetype> m_atOffset;
    QList<Problem> m_found;
};

} // namespace

QList<Problem> findProblems(const DataLinkProperties &properties)
{
    return Finder(properties).find();
}

bool applyFix(DataLinkProperties &properties, const ProblemFix &fix)
{
    switch (fix.kind) {
    case ProblemFix::Kind::RemovePair:
        return properties.removePairAt(fix.offset);
    case ProblemFix::Kind::KeepOnlyInEffect:
        if (!properties.conflict(fix.property))
            return false;
        properties.keepOnlyInEffect(fix.property);
        return true;
    case ProblemFix::Kind::RenameKeyword:
        for (const PairReading &reading : properties.readings()) {
            if (reading.offset != fix.offset)
                continue;
            properties.removePairAt(fix.offset);
            properties.setValue(fix.keyword, reading.pair.value);
            return true;
        }
        return false;
    }
    return false;
}

} // namespace oledb
