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

    // The Extended Properties a file type needs; empty for an Access database.
    static QString extendedPropertiesFor(FileType type, bool aceProvider, const QString &file);
    // -1 for Extended Properties this page did not write.
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
