#include "datalink/pages/odbcpage.h"

#include "datalink/pages/odbcbuilddialog.h"
#include "datalink/widgets/controlnames.h"
#include "datalink/widgets/logonfields.h"
#include "datalink/widgets/lookupfield.h"
#include "drivers/discovery/odbcdatasources.h"
#include "oledb/connectionstring.h"
#include "oledb/datalinkdraft.h"
#include "oledb/odbcattributes.h"
#include "oledb/propertynames.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

#include <algorithm>

namespace datalink {

using namespace oledb::property;

OdbcPage::OdbcPage(DataLinkDraft &draft, drivers::IOdbcDataSources &dataSources, QWidget *parent)
    : ConnectionPage(draft, parent)
    , m_dataSources(dataSources)
    , m_byName(new QRadioButton(tr("Use &data source name"), this))
    , m_byString(new QRadioButton(tr("Use co&nnection string"), this))
    , m_dataSourceName(new QComboBox(this))
    , m_connectionString(new QLineEdit(this))
    , m_build(new QPushButton(tr("Bu&ild..."), this))
    , m_logOn(new LogOnFields(draft, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);

    auto *source = new QGroupBox(tr("1. Source of data"), this);
    auto *grid = new QGridLayout(source);
    m_byName->setObjectName(QStringLiteral("dsnRadio"));
    m_byString->setObjectName(QStringLiteral("connectionStringRadio"));
    m_dataSourceName->setObjectName(QStringLiteral("dsnCombo"));
    m_connectionString->setObjectName(QStringLiteral("odbcConnectionStringEdit"));
    m_dataSourceName->setEditable(true);
    m_dataSourceName->setInsertPolicy(QComboBox::NoInsert);
    m_connectionString->setPlaceholderText(tr("DRIVER={...};SERVER=...;DATABASE=..."));
    // The radio buttons stand for labels; a screen reader would otherwise take the group's.
    nameControl(m_dataSourceName, tr("Data source name"));
    nameControl(m_connectionString, tr("ODBC connection string"));
    auto *refreshButton = new QPushButton(tr("&Refresh"), this);
    refreshButton->setObjectName(QStringLiteral("refreshDsnButton"));
    refreshButton->setAccessibleName(tr("Refresh the data source names"));
    refreshButton->setAutoDefault(false);
    m_build->setObjectName(QStringLiteral("buildOdbcStringButton"));
    m_build->setAccessibleName(tr("Build the ODBC connection string"));
    m_build->setToolTip(tr("Choose a driver and fill in its keywords"));
    m_build->setAutoDefault(false);
    grid->setColumnMinimumWidth(0, 20);
    grid->addWidget(m_byName, 0, 0, 1, 3);
    grid->addWidget(m_dataSourceName, 1, 1);
    grid->addWidget(refreshButton, 1, 2);
    grid->addWidget(m_byString, 2, 0, 1, 3);
    grid->addWidget(m_connectionString, 3, 1);
    grid->addWidget(m_build, 3, 2);
    grid->setColumnStretch(1, 1);
    layout->addWidget(source);

    auto *logOn = new QGroupBox(tr("2. Log on to the server"), this);
    auto *logOnLayout = new QVBoxLayout(logOn);
    logOnLayout->addLayout(m_logOn->layout());
    layout->addWidget(logOn);

    addInitialCatalogGroup(layout);
    layout->addStretch();

    reloadDataSources();
    connect(refreshButton, &QPushButton::clicked, this, &OdbcPage::reloadDataSources);
    connect(m_byName, &QRadioButton::clicked, this, [this] { useConnectionString(false); });
    connect(m_byString, &QRadioButton::clicked, this, [this] { useConnectionString(true); });
    connect(m_connectionString, &QLineEdit::textEdited, this, &OdbcPage::editConnectionString);
    connect(m_build, &QPushButton::clicked, this, &OdbcPage::openBuilder);
    // Whatever puts a name in the field (typing, the completion of a configured name shown
    // inline, a choice from the list, pasting) writes what the field then shows.
    connect(m_dataSourceName->lineEdit(), &QLineEdit::textChanged, this,
            [this](const QString &name) {
                if (m_showing)
                    return;
                if (name.isEmpty())
                    m_draft.remove(DataSource);
                else
                    m_draft.setValue(DataSource, name);
            });
    connect(m_dataSourceName->lineEdit(), &QLineEdit::textChanged, this,
            &OdbcPage::describeDataSource);
}

void OdbcPage::refresh()
{
    ConnectionPage::refresh();
    const QString name = m_draft.value(DataSource).value_or(QString());
    if (m_dataSourceName->currentText() != name) {
        const QScopedValueRollback showing(m_showing, true);
        m_dataSourceName->setCurrentText(name);
    }
    const std::optional<QString> nested = m_draft.value(ExtendedProperties);
    const QList<oledb::PairReading> topLevel = m_draft.driverOnlyPairs();
    // Keywords only the driver reads make a connection string wherever they stand.
    if (nested)
        m_pairsAtTopLevel = false;
    else if (!topLevel.isEmpty())
        m_pairsAtTopLevel = true;
    const bool byString = m_stringChosen || nested || m_pairsAtTopLevel;
    QString text = nested.value_or(QString());
    if (!nested) {
        QStringList pairs;
        for (const oledb::PairReading &reading : topLevel)
            pairs.append(reading.pair.keyword + u'=' + reading.pair.value);
        text = pairs.join(u';');
    }
    if (!m_typingPairs)
        showText(m_connectionString, ExtendedProperties, text);
    m_byName->setChecked(!byString);
    m_byString->setChecked(byString);
    m_dataSourceName->setEnabled(!byString);
    m_connectionString->setEnabled(byString);
    m_build->setEnabled(byString);
    m_logOn->refresh();
}

namespace {

QString originOf(const drivers::odbc::DataSource &source)
{
    if (source.scope == drivers::odbc::DataSource::Scope::System)
        return OdbcPage::tr("System data source, from %1").arg(source.file);
    if (source.hidesSystem)
        return OdbcPage::tr("User data source, from %1; it hides the system one of the same name")
            .arg(source.file);
    return OdbcPage::tr("User data source, from %1").arg(source.file);
}

} // namespace

void OdbcPage::reloadDataSources()
{
    const QString current = m_draft.value(DataSource).value_or(QString());
    const QScopedValueRollback showing(m_showing, true);
    m_dataSourceName->clear();
    for (const drivers::odbc::DataSource &source : m_dataSources.dataSources()) {
        // The item's text is the name the string is given; where it comes from goes beside.
        m_dataSourceName->addItem(source.name);
        const int index = m_dataSourceName->count() - 1;
        const QString origin = originOf(source);
        m_dataSourceName->setItemData(index, origin, Qt::ToolTipRole);
        m_dataSourceName->setItemData(index, origin, Qt::AccessibleDescriptionRole);
    }
    m_dataSourceName->setCurrentText(current);
    describeDataSource();
}

void OdbcPage::describeDataSource()
{
    const int index
        = m_dataSourceName->findText(m_dataSourceName->currentText(), Qt::MatchFixedString);
    const QString origin
        = index < 0 ? QString() : m_dataSourceName->itemData(index, Qt::ToolTipRole).toString();
    m_dataSourceName->setToolTip(origin);
    describeControl(m_dataSourceName, origin);
}

void OdbcPage::openBuilder()
{
    auto *dialog = new OdbcBuildDialog(m_draft, m_dataSources.drivers(), m_pairsAtTopLevel, this);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        // Where the user put the keywords is where the field edits them from now on.
        m_pairsAtTopLevel = dialog->writesTopLevel() && !m_draft.value(ExtendedProperties);
        refresh();
        m_connectionString->setFocus();
    });
    dialog->open();
}

void OdbcPage::useConnectionString(bool use)
{
    m_stringChosen = use;
    if (use) {
        m_draft.remove(DataSource);
    } else {
        m_draft.remove(ExtendedProperties);
        for (const oledb::PairReading &reading : m_draft.driverOnlyPairs())
            m_draft.remove(reading.pair.keyword);
        m_pairsAtTopLevel = false;
    }
    refresh();
    if (use)
        m_connectionString->setFocus();
    else
        m_dataSourceName->setFocus();
}

void OdbcPage::editConnectionString(const QString &text)
{
    const QList<oledb::PairReading> topLevel = m_draft.driverOnlyPairs();
    if (m_draft.value(ExtendedProperties) || !m_pairsAtTopLevel) {
        if (text.isEmpty())
            m_draft.remove(ExtendedProperties);
        else
            m_draft.setValue(ExtendedProperties, text);
        return;
    }
    const QScopedValueRollback typing(m_typingPairs, true);
    QList<oledb::OdbcAttributes::ValueSpan> spans;
    const oledb::OdbcAttributes typed = oledb::OdbcAttributes::parse(text, &spans);
    for (const oledb::PairReading &reading : topLevel) {
        const bool kept = std::any_of(
            typed.attributes().cbegin(), typed.attributes().cend(), [&](const auto &attribute) {
                return attribute.key.compare(reading.pair.keyword, Qt::CaseInsensitive) == 0;
            });
        if (!kept)
            m_draft.remove(reading.pair.keyword);
    }
    // Each value as typed, braces and all: the driver reads it, not the provider.
    for (qsizetype i = 0; i < typed.attributes().size(); ++i) {
        const QString &key = typed.attributes().at(i).key;
        if (key.isEmpty() || !oledb::ConnectionString::isWritableKeyword(key))
            continue;
        const oledb::OdbcAttributes::ValueSpan &span = spans.at(i);
        m_draft.setValue(key, text.mid(span.start, span.end - span.start));
    }
}

} // namespace datalink
