#pragma once

#include "datalink/pages/connectionpage.h"

class QComboBox;
class QLabel;
class QToolButton;

namespace datalink {

class LogOnFields;

// A database file with its type (Access, Excel or a folder of text files, which decides
// Extended Properties) and the log-on for secured databases.
class JetPage final : public ConnectionPage
{
    Q_OBJECT

public:
    enum FileType { Access, Excel, Text };

    JetPage(DataLinkDraft &draft, FileChooser chooseFile, QWidget *parent = nullptr);

    void refresh() override;

    // The installable file type's option (`Excel 12.0 Xml`, `text`); empty for an Access
    // database. An Excel version follows the workbook's format where the provider reads it.
    static QString fileTypeToken(FileType type, bool aceProvider, const QString &file);
    // The Extended Properties a new connection of the type starts with.
    static QString extendedPropertiesFor(FileType type, bool aceProvider, const QString &file);
    // By the file-type option wherever it stands; -1 for a type the page does not offer.
    static int fileTypeOf(const QString &extendedProperties);

private:
    void chooseFileType(int type);
    void browse();

    FileChooser m_chooseFile;
    QLineEdit *m_file;
    QLineEdit *m_databasePassword;
    QComboBox *m_fileType;
    LogOnFields *m_logOn;
    QLabel *m_fileLabel = nullptr;
    QToolButton *m_browse = nullptr;
};

} // namespace datalink
