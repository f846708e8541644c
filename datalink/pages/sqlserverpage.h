#pragma once

#include "datalink/pages/connectionpage.h"

class QCheckBox;
class QRadioButton;
class QToolButton;

namespace datalink {

class LogOnFields;
class LookupField;
class PropertyEditor;

// Server, how to log on, which database (by name or by attaching a file), and encryption where
// the provider offers it.
class SqlServerPage final : public ConnectionPage
{
    Q_OBJECT

public:
    SqlServerPage(DataLinkDraft &draft, FileChooser chooseFile, QWidget *parent = nullptr);

    void refresh() override;

private:
    void useIntegratedSecurity(bool integrated);
    void attachFile(bool attach);

    FileChooser m_chooseFile;
    QRadioButton *m_integrated;
    QRadioButton *m_specificUser;
    LogOnFields *m_logOn;
    LookupField *m_database = nullptr;
    QRadioButton *m_catalog;
    QRadioButton *m_attach;
    QLineEdit *m_attachFile = nullptr;
    QToolButton *m_attachBrowse = nullptr;
    QCheckBox *m_encrypt = nullptr;
    PropertyEditor *m_encryption = nullptr;
    QCheckBox *m_trustCertificate = nullptr;
    // Chosen but not typed yet: nothing in the draft says so.
    bool m_attachChosen = false;
};

} // namespace datalink
