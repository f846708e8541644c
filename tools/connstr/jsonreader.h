#pragma once

// The tool's requests, read from a JSON array one element at a time, so that its memory follows
// the largest element rather than the whole input and its first answers leave before the last
// input arrives.

#include "oledb/connectionstring.h"
#include "oledb/datalinkproperties.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

namespace connstr {

// Input that is not JSON or not the shape the command reads.
struct UnusableInput
{
    QString message;
};

// Arrays and objects may nest this deep, the outer array included, and no deeper: RapidJSON
// keeps every open level, and a value that a command ignores still has to be read through.
inline constexpr int nestingLimit = 1000;

struct EditRequest
{
    QString text;
    oledb::ConnectionStringEdits edits;
};

// Each reads a JSON array from the file descriptor `fd` and hands its elements over in order,
// each as soon as it is complete, with its index. They throw UnusableInput for input that is not
// JSON, nests deeper than nestingLimit or is not of the shape read, and std::bad_alloc when an
// element does not fit in memory. What a handler throws goes through to the caller.

// An array of strings. The view is good until the handler returns.
void readStrings(int fd, const std::function<void(qsizetype, QStringView)> &handle);
// The same with each string the handler's own, to keep or change; it costs a copy, made without
// ever holding the string twice.
void takeStrings(int fd, const std::function<void(qsizetype, QString &)> &handle);
// An array of pair lists, each [[keyword, value], ...] of strings.
void readPairLists(int fd,
                   const std::function<void(qsizetype, const oledb::KeywordValueList &)> &handle);
// An array of {"string": S, "set": [[name, value], ...], "remove": [name, ...]}, both lists
// optional; other keys are ignored, whatever they hold.
void readEditRequests(int fd, const std::function<void(qsizetype, const EditRequest &)> &handle);

} // namespace connstr
