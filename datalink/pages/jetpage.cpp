#include "datalink/pages/jetpage.h"

#include "datalink/widgets/controlnames.h"
#include "datalink/widgets/logonfields.h"
#include "oledb/datalinkdraft.h"
#include "oledb/jetoptions.h"
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
    logOnLayout->addLayout(m_logOn->layout());
    layout->addWidget(logOn);
    layout->addStretch();

    connect(m_fileType, &QComboBox::activated, this, &JetPage::chooseFileType);
    connect(browseButton, &QToolButton::clicked, this, &JetPage::browse);
    // An Excel version follows the workbook's format, so its option is rewritten when the file
    // changes; the options beside it stay.
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

QString JetPage::fileTypeToken(FileType type, bool aceProvider, const QString &file)
{
    switch (type) {
    case Access:
        return {};
    case Excel: {
        if (!aceProvider)
            return QStringLiteral("Excel 8.0");
        const QString suffix = QFileInfo(file).suffix().toLower();
        if (suffix == u"xls")
            return QStringLiteral("Excel 8.0");
        if (suffix == u"xlsb")
            return QStringLiteral("Excel 12.0");
        if (suffix == u"xlsm")
            return QStringLiteral("Excel 12.0 Macro");
        return QStringLiteral("Excel 12.0 Xml");
    }
    case Text:
        return QStringLiteral("text");
    }
    return {};
}

QString JetPage::extendedPropertiesFor(FileType type, bool aceProvider, const QString &file)
{
    switch (type) {
    case Access:
        return {};
    case Excel:
        return fileTypeToken(Excel, aceProvider, file) + QStringLiteral(";HDR=YES");
    case Text:
        return QStringLiteral("text;HDR=YES;FMT=Delimited");
    }
    return {};
}

int JetPage::fileTypeOf(const QString &extendedProperties)
{
    const QString type = oledb::jetoptions::fileType(extendedProperties);
    if (type.isEmpty())
        return Access;
    if (type.startsWith(u"Excel", Qt::CaseInsensitive))
        return Excel;
    if (type.compare(u"text", Qt::CaseInsensitive) == 0)
        return Text;
    return -1;
}

void JetPage::chooseFileType(int type)
{
    const QString file = m_draft.value(DataSource).value_or(QString());
    const QString current = m_draft.value(ExtendedProperties).value_or(QString());
    // Options of the user's own (IMEX, MaxScanRows, ...) stay; a value without any gets the
    // usual ones.
    const QString properties = current.trimmed().isEmpty()
        ? extendedPropertiesFor(FileType(type), isAce(m_draft), file)
        : oledb::jetoptions::withFileType(current,
                                          fileTypeToken(FileType(type), isAce(m_draft), file));
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
    } else if (type == Access) {
        chosen = m_chooseFile(this, tr("Select Access Database"),
                              tr("Access databases (*.accdb *.mdb);;All files (*)"), false);
    } else {
        // A file type of the user's own, which the list does not name.
        chosen = m_chooseFile(this, tr("Select Database File"), tr("All files (*)"), false);
    }
    if (chosen.isEmpty())
        return;
    m_draft.setValue(DataSource, chosen);
    if (type == Excel)
        chooseFileType(Excel);
}

} // namespace datalink
