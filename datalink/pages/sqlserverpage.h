#pragma once

#include "datalink/pages/connectionpage.h"

#include <optional>

class QCheckBox;
class QComboBox;
class QFormLayout;
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
    // One way of logging on, and the fields it uses.
    struct LogOnMode
    {
        enum Kind {
            Integrated,
            // User ID and Password with no Authentication: what every version reads.
            SqlLogOn,
            // A value of Authentication.
            Authentication,
            AccessToken,
        };
        Kind kind;
        QString authentication;
        enum class Fields { UserAndPassword, UserOnly, ApplicationAndSecret, Token, None };
        Fields fields;

        bool usesUser() const { return fields != Fields::Token && fields != Fields::None; }
        bool usesPassword() const
        {
            return fields == Fields::UserAndPassword || fields == Fields::ApplicationAndSecret;
        }
    };

    void addMode(LogOnMode mode, const QString &label, const QString &hint);
    // The mode the provider would log on with: an access token (which it refuses beside any
    // other way of logging on), then the Authentication mode, then integrated security, else
    // the SQL Server log-on. A mode the catalogue does not list is added as written.
    qsizetype modeInEffect();
    void useMode(qsizetype index);
    void showFieldsOf(const LogOnMode &mode);
    void attachFile(bool attach);

    FileChooser m_chooseFile;
    QComboBox *m_authentication;
    QList<LogOnMode> m_modes;
    QFormLayout *m_logOnForm;
    LogOnFields *m_logOn;
    QLineEdit *m_accessToken = nullptr;
    // The token typed before another way of logging on took over.
    std::optional<QString> m_keptToken;
    LookupField *m_database = nullptr;
    QRadioButton *m_catalog;
    QRadioButton *m_attach;
    QLineEdit *m_attachFile = nullptr;
    QToolButton *m_attachBrowse = nullptr;
    QCheckBox *m_encrypt = nullptr;
    PropertyEditor *m_encryption = nullptr;
    QCheckBox *m_trustCertificate = nullptr;
    QLineEdit *m_hostNameInCertificate = nullptr;
    QLineEdit *m_serverCertificate = nullptr;
    QFormLayout *m_serverForm;
    QLayout *m_serverCertificateRow = nullptr;
    // Chosen but not typed yet: nothing in the draft says so.
    bool m_attachChosen = false;
};

} // namespace datalink
