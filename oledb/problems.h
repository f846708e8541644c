#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace oledb {

class DataLinkProperties;

// A one-click mend for a problem: an ordinary edit of the properties, so undoing it gives the
// string back.
struct ProblemFix
{
    enum class Kind {
        // Take out the pair at offset.
        RemovePair,
        // Take out every pair that sets property but the one in effect.
        KeepOnlyInEffect,
        // Write the value of the pair at offset under keyword instead.
        RenameKeyword,
    };

    Kind kind = Kind::RemovePair;
    qsizetype offset = -1;
    QString property;
    QString keyword;
    // What the button says.
    QString label;
};

// Something in a string that will not do what it says.
struct Problem
{
    // Stable, for scripts: no-effect, overridden, conflict, token-with-credentials,
    // certificate-without-strict, hostname-with-trust, integrated-with-authentication,
    // password-not-persisted, deprecated, misspelt-keyword.
    QString rule;
    // Where the pair's keyword starts in the string, in UTF-16 code units.
    qsizetype offset = -1;
    QString keyword;
    // One sentence: what happens and why. Secrets in it are masked.
    QString message;
    // The catalogue's source id; empty where the provider documents nothing about it.
    QString source;
    std::optional<ProblemFix> fix;
};

// In the string's order.
QList<Problem> findProblems(const DataLinkProperties &properties);

// False when the string no longer holds the pair the fix concerns.
bool applyFix(DataLinkProperties &properties, const ProblemFix &fix);

} // namespace oledb
