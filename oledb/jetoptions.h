#pragma once

#include <QString>
#include <QStringView>

namespace oledb {

// Jet's and ACE's Extended Properties: options separated by `;` (`Excel 12.0 Xml;HDR=YES;IMEX=1`),
// among them the installable file type. The file type is the one option without an `=`, which
// tells it from HDR, IMEX, MaxScanRows, FMT and the rest wherever it stands.
namespace jetoptions {

// Trimmed; empty when no option names one.
QString fileType(QStringView extendedProperties);
// The value with its file-type option replaced, or the type put first where there was none, or
// the option taken out for an empty type; every other option stays as written.
QString withFileType(QStringView extendedProperties, const QString &type);

} // namespace jetoptions

} // namespace oledb
