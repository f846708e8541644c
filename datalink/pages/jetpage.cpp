#include "datalink/pages/jetpage.h"

#include "datalink/widgets/controlnames.h"
#include "datalink/widgets/logonfields.h"
#include "oledb/datalinkdraft.h"
#include "oledb/propertynames.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace datalink {

using namespace oledb::property;

namespace {

bool isAce(const DataLinkDraft &draft)
{
    return draft.provider().family == oledb::ProviderFamily::Ace;
}

} // namespace

JetPage::JetPage(DataLinkDraft &draft, FileChooser chooseFile, QWidget *parent)
    : ConnectionPage(draft, parent)
    , m_chooseFile(std::move(chooseFile))
    , m_file(addBoundLineEdit(QStringLiteral("dataSourceEdit"), DataSource))
    , m_databasePassword(
          addBoundLineEdit(QStringLiteral("databasePasswordEdit"), JetDatabasePassword))
    , m_fileType(new QComboBox(this))
    , m_logOn(new LogOnFields(draft, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *database = new QGroupBox(tr("1. Database"), this);
    auto *form = new QFormLayout(database);
    m_fileType->setObjectName(QStringLiteral("fileTypeCombo"));
    m_fileType->addItems({tr("Access database"), tr("Excel workbook"), tr("Text files (folder)")});
    form->addRow(tr("File t&ype:"), m_fileType);
    auto *fileRow = new QHBoxLayout;
    auto *browseButton = new QToolButton(this);
    browseButton->setObjectName(QStringLiteral("browseButton"));
    browseButton->setText(tr("..."));
    fileRow->addWidget(m_file);
    fileRow->addWidget(browseButton);
    // A row of several widgets gets no buddy from the form; the label needs one for its Alt key.
    m_fileLabel = new QLabel(database);
    m_fileLabel->setBuddy(m_file);
    m_browse = browseButton;
    form->addRow(m_fileLabel, fileRow);
    // The password that opens the file, not a log-on: written as typed whatever "Allow saving
    // password" says.
    m_databasePassword->setEchoMode(QLineEdit::Password);
    form->addRow(tr("&Database password:"), m_databasePassword);
    layout->addWidget(database);

    auto *logOn = new QGroupBox(tr("2. Log on to the database"), this);
    auto *logOnLayout = new QVBoxLayout(logOn);
    logOnLayout->addWidget(m_logOn);
    layout->addWidget(logOn);
    layout->addStretch();

    connect(m_fileType, &QComboBox::activated, this, &JetPage::chooseFileType);
    connect(browseButton, &QToolButton::clicked, this, &JetPage::browse);
    // An Excel version follows the workbook's format, so it is rewritten when the file changes
    // unless the user wrote Extended Properties of their own.
    connect(m_file, &QLineEdit::textEdited, this, [this] {
        if (m_fileType->currentIndex() == Excel)
            chooseFileType(Excel);
    });
}

void JetPage::refresh()
{
    ConnectionPage::refresh();
    m_fileType->setCurrentIndex(fileTypeOf(m_draft.value(ExtendedProperties).value_or(QString())));
    const bool folder = m_fileType->currentIndex() == Text;
    m_file->setPlaceholderText(folder ? tr("Folder of text files") : QString());
    // The label says what the field holds; the same letter reaches it either way.
    m_fileLabel->setText(folder ? tr("&Folder:") : tr("Database &file:"));
    nameControl(m_file, folder ? tr("Folder") : tr("Database file"));
    m_browse->setToolTip(folder ? tr("Choose the folder") : tr("Choose the database file"));
    m_browse->setAccessibleName(m_browse->toolTip());
    m_logOn->refresh();
}

QString JetPage::extendedPropertiesFor(FileType type, bool aceProvider, const QString &file)
{
    switch (type) {
    case Access:
        return {};
    case Excel: {
        const QString suffix = QFileInfo(file).suffix().toLower();
        QString version = QStringLiteral("Excel 8.0");
        if (aceProvider && suffix == u"xlsb")
            version = QStringLiteral("Excel 12.0");
        else if (aceProvider && suffix == u"xlsm")
            version = QStringLiteral("Excel 12.0 Macro");
        else if (aceProvider && suffix != u"xls")
            version = QStringLiteral("Excel 12.0 Xml");
        return version + QStringLiteral(";HDR=YES");
    }
    case Text:
        return QStringLiteral("text;HDR=YES;FMT=Delimited");
    }
    return {};
}

int JetPage::fileTypeOf(const QString &extendedProperties)
{
    if (extendedProperties.isEmpty())
        return Access;
    for (const QString &file : {QStringLiteral("a.xls"), QStringLiteral("a.xlsx"),
                                QStringLiteral("a.xlsb"), QStringLiteral("a.xlsm")}) {
        if (extendedProperties.compare(extendedPropertiesFor(Excel, true, file),
                                       Qt::CaseInsensitive)
            == 0)
            return Excel;
    }
    if (extendedProperties.compare(extendedPropertiesFor(Text, false, {}), Qt::CaseInsensitive)
        == 0)
        return Text;
    return -1;
}

void JetPage::chooseFileType(int type)
{
    const QString properties = extendedPropertiesFor(FileType(type), isAce(m_draft),
                                                     m_draft.value(DataSource).value_or(QString()));
    if (properties.isEmpty())
        m_draft.remove(ExtendedProperties);
    else
        m_draft.setValue(ExtendedProperties, properties);
    refresh();
}

void JetPage::browse()
{
    const int type = m_fileType->currentIndex();
    QString chosen;
    if (type == Text) {
        chosen = m_chooseFile(this, tr("Folder of Text Files"), QString(), true);
    } else if (type == Excel) {
        chosen = m_chooseFile(this, tr("Select Excel Workbook"),
                              tr("Excel workbooks (*.xlsx *.xlsb *.xlsm *.xls);;All files (*)"),
                              false);
    } else {
        chosen = m_chooseFile(this, tr("Select Access Database"),
                              tr("Access databases (*.accdb *.mdb);;All files (*)"), false);
    }
    if (chosen.isEmpty())
        return;
    m_draft.setValue(DataSource, chosen);
    if (type == Excel)
        chooseFileType(Excel);
}

} // namespace datalink
