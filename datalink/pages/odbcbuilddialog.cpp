#include "datalink/pages/odbcbuilddialog.h"

#include "datalink/widgets/controlnames.h"
#include "datalink/widgets/propertyeditor.h"
#include "datalink/widgets/taborder.h"
#include "oledb/connectionstring.h"
#include "oledb/datalinkdraft.h"
#include "oledb/odbcattributes.h"
#include "oledb/propertydefinition.h"
#include "oledb/propertynames.h"
#include "oledb/secrets.h"

#include <QCollator>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace datalink {

using namespace oledb::property;

namespace {

const QString driverKeyword = QStringLiteral("DRIVER");

bool isOneOf(QStringView key, const QStringList &keywords)
{
    return std::any_of(keywords.cbegin(), keywords.cend(), [&](const QString &keyword) {
        return key.compare(keyword, Qt::CaseInsensitive) == 0;
    });
}

template<typename Read> std::optional<QString> valueOf(const Read &read)
{
    return read ? std::optional(read->value) : std::nullopt;
}

// The control a user types in and a screen reader names.
QWidget *controlOf(PropertyEditor *editor)
{
    if (editor->lineEdit())
        return editor->lineEdit();
    return editor->comboBox();
}

} // namespace

OdbcBuildDialog::OdbcBuildDialog(DataLinkDraft &draft, const QList<drivers::odbc::Driver> &drivers,
                                 bool topLevel, QWidget *parent)
    : QDialog(parent)
    , m_draft(draft)
    , m_catalogue(oledb::OdbcDriverCatalogue::builtIn())
    , m_drivers(drivers)
    , m_readTopLevel(topLevel)
    , m_form(new QFormLayout)
    , m_nested(new QRadioButton(tr("&Nested in Extended Properties"), this))
    , m_topLevel(new QRadioButton(tr("At the &top level of the string"), this))
{
    setObjectName(QStringLiteral("odbcBuildDialog"));
    setWindowTitle(tr("Build ODBC Connection String"));
    setAttribute(Qt::WA_DeleteOnClose);

    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(m_drivers.begin(), m_drivers.end(),
              [&](const auto &a, const auto &b) { return collator.compare(a.name, b.name) < 0; });
    oledb::PropertyDefinition driverChoice;
    driverChoice.type = oledb::PropertyType::Enumeration;
    for (const drivers::odbc::Driver &driver : std::as_const(m_drivers))
        driverChoice.allowedValues.append(driver.name);
    m_driver = new PropertyEditor(&driverChoice, false, this);
    m_driver->setObjectName(QStringLiteral("odbcDriverCombo"));
    // Wide enough for the names drivers register ("PostgreSQL Unicode", "MariaDB Unicode").
    m_driver->comboBox()->setMinimumContentsLength(24);
    m_others = new PropertyEditor(nullptr, false, this);
    m_others->setObjectName(QStringLiteral("odbcOtherKeywordsEdit"));
    m_others->lineEdit()->setPlaceholderText(tr("KEYWORD=value;..."));
    m_nested->setObjectName(QStringLiteral("odbcNestedRadio"));
    m_topLevel->setObjectName(QStringLiteral("odbcTopLevelRadio"));

    // The driver's fields go between its row and the other keywords'.
    auto *layout = new QVBoxLayout(this);
    auto *driverLabel = new QLabel(tr("&Driver:"), this);
    driverLabel->setBuddy(m_driver);
    m_form->addRow(driverLabel, m_driver);
    auto *othersLabel = new QLabel(tr("&Other keywords:"), this);
    othersLabel->setBuddy(m_others);
    m_form->addRow(othersLabel, m_others);
    layout->addLayout(m_form);
    describeControl(m_others->lineEdit(),
                    tr("Pairs the fields above do not hold, as the driver reads them"));

    auto *placement = new QGroupBox(tr("Write the keywords"), this);
    auto *placementLayout = new QVBoxLayout(placement);
    placementLayout->addWidget(m_nested);
    placementLayout->addWidget(m_topLevel);
    layout->addWidget(placement);
    (topLevel ? m_topLevel : m_nested)->setChecked(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("odbcBuildOkButton"));
    buttons->button(QDialogButtonBox::Cancel)
        ->setObjectName(QStringLiteral("odbcBuildCancelButton"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        apply();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_readDriver = read({driverKeyword}, m_readTopLevel);
    if (m_readDriver)
        m_driverValue = m_readDriver->value;
    m_driver->showValue(m_driverValue);
    connect(m_driver, &PropertyEditor::edited, this, [this](const QString &name) {
        m_driverValue = name;
        showFields();
    });
    connect(m_driver, &PropertyEditor::cleared, this, [this] {
        m_driverValue.reset();
        showFields();
    });
    const auto editOthers = [this](const QString &text) {
        m_othersValue = text;
        m_othersEdited = true;
        updateOthersEcho();
    };
    connect(m_others, &PropertyEditor::edited, this, editOthers);
    connect(m_others, &PropertyEditor::cleared, this, [editOthers] { editOthers(QString()); });
    showFields();
    connectLabelsToControls(this);
}

bool OdbcBuildDialog::writesTopLevel() const
{
    return m_topLevel->isChecked();
}

void OdbcBuildDialog::showFields()
{
    const QString name = m_driverValue.value_or(QString());
    QString library;
    for (const drivers::odbc::Driver &driver : std::as_const(m_drivers)) {
        if (driver.name.compare(name, Qt::CaseInsensitive) == 0)
            library = driver.library;
    }
    const oledb::OdbcDriverCatalogue::Family *family = m_catalogue.family(name, library);
    if (family == m_family && !m_fields.isEmpty())
        return;
    m_family = family;

    // What the user typed stays for the keywords the next driver shares.
    const QList<Field> before = m_fields;
    m_fields.clear();
    while (m_form->rowCount() > 2)
        m_form->removeRow(1);
    const QList<oledb::OdbcDriverCatalogue::Field> keywords
        = family ? family->fields : QList<oledb::OdbcDriverCatalogue::Field> {};
    for (const oledb::OdbcDriverCatalogue::Field &keyword : keywords) {
        Field field {keyword, nullptr, read(keyword.keywords, m_readTopLevel), {}};
        if (field.read)
            field.value = field.read->value;
        for (const Field &old : before) {
            if (isEdited(old) && isOneOf(old.keyword.keywords.first(), keyword.keywords))
                field.value = old.value;
        }
        oledb::PropertyDefinition definition;
        definition.name = keyword.label;
        definition.defaultValue = keyword.placeholder;
        if (!keyword.values.isEmpty()) {
            definition.type = oledb::PropertyType::Enumeration;
            definition.allowedValues = keyword.values;
        }
        const bool secret = oledb::isSecretKeyword(keyword.keywords.first(), m_draft.catalogue());
        field.editor = new PropertyEditor(&definition, secret, this);
        field.editor->setObjectName(QStringLiteral("odbcField:")
                                    + keyword.keywords.first().toLower());
        field.editor->showValue(field.value, secret);
        auto *label = new QLabel(keyword.label + u':', this);
        label->setBuddy(controlOf(field.editor));
        nameControl(controlOf(field.editor), keyword.label);
        // The keyword the driver reads, after the name the label gives it.
        QString description = tr("Written as %1").arg(keyword.keywords.first());
        if (const auto property = overridingProperty(keyword.keywords);
            property && !writesTopLevel())
            description = tr("Set by the string's %1, which the provider passes to the driver in "
                             "place of Extended Properties")
                              .arg(*property);
        describeControl(controlOf(field.editor), description);
        field.editor->setToolTip(description);
        const qsizetype index = m_fields.size();
        connect(field.editor, &PropertyEditor::edited, this,
                [this, index](const QString &text) { m_fields[index].value = text; });
        connect(field.editor, &PropertyEditor::cleared, this,
                [this, index] { m_fields[index].value.reset(); });
        m_form->insertRow(int(m_fields.size()) + 1, label, field.editor);
        // Shown now, not when the layout gets round to it: the dialog may be on screen.
        label->show();
        field.editor->show();
        m_fields.append(field);
    }

    m_readOthers = readOthers(m_readTopLevel);
    if (!m_othersEdited)
        m_othersValue = m_readOthers;
    updateOthersEcho();
    // The new fields were made after what stands below them.
    orderTabsByLayout(this);
}

void OdbcBuildDialog::updateOthersEcho()
{
    // Another secret keyword typed among the others is hidden as the page's field hides it.
    const bool hidden = !m_draft.revealsSecrets()
        && oledb::maskValue(ExtendedProperties, m_othersValue, m_draft.catalogue())
            != m_othersValue;
    m_others->showValue(m_othersValue, hidden);
}

QStringList OdbcBuildDialog::claimedKeywords() const
{
    QStringList claimed {driverKeyword};
    for (const Field &field : m_fields)
        claimed += field.keyword.keywords;
    return claimed;
}

std::optional<QString> OdbcBuildDialog::overridingProperty(const QStringList &keywords) const
{
    for (const QString &keyword : keywords) {
        if (!m_draft.provider().handsToDriver(keyword) && m_draft.value(keyword))
            return m_draft.provider().property(keyword)->name;
    }
    return std::nullopt;
}

namespace {

// How the provider hands a top-level pair's value to the driver: a keyword of the driver's,
// or a synonym of one of the provider's properties, is read with the ODBC string's braces; the
// property's own name, as it stands.
bool readsBraces(const DataLinkDraft &draft, const QString &keyword)
{
    if (draft.provider().handsToDriver(keyword))
        return true;
    const oledb::PropertyDefinition *definition = draft.definition(keyword);
    return !definition || !oledb::sameKeyword(keyword, definition->name);
}

// The keyword of the top-level pair in effect that sets the same as one of `keywords`.
std::optional<QString> pairKeyword(const DataLinkDraft &draft, const QStringList &keywords)
{
    for (const QString &keyword : keywords) {
        if (const std::optional<oledb::KeywordValue> pair = draft.pairInEffect(keyword))
            return pair->keyword;
    }
    return std::nullopt;
}

} // namespace

std::optional<OdbcBuildDialog::Reading> OdbcBuildDialog::read(const QStringList &keywords,
                                                              bool topLevel) const
{
    if (topLevel || overridingProperty(keywords)) {
        for (const QString &keyword : keywords) {
            const std::optional<QString> value = m_draft.value(keyword);
            if (!value)
                continue;
            // A password held out of the string was typed as it is meant.
            const std::optional<QString> written = pairKeyword(m_draft, {keyword});
            if (!written)
                return Reading {keyword, *value};
            return Reading {*written,
                            readsBraces(m_draft, *written) ? oledb::OdbcAttributes::read(*value)
                                                           : *value};
        }
        return std::nullopt;
    }
    const auto nested
        = oledb::OdbcAttributes::parse(m_draft.value(ExtendedProperties).value_or(QString()));
    for (const auto &attribute : nested.attributes()) {
        if (isOneOf(attribute.key, keywords))
            return Reading {attribute.key, attribute.value};
    }
    return std::nullopt;
}

QStringList OdbcBuildDialog::spelledAsRead(const Field &field)
{
    QStringList keywords = field.keyword.keywords;
    if (field.read && isOneOf(field.read->keyword, keywords)) {
        keywords.removeIf([&](const QString &keyword) {
            return keyword.compare(field.read->keyword, Qt::CaseInsensitive) == 0;
        });
        keywords.prepend(field.read->keyword);
    }
    return keywords;
}

bool OdbcBuildDialog::isEdited(const Field &field)
{
    return field.value != valueOf(field.read);
}

QString OdbcBuildDialog::readOthers(bool topLevel) const
{
    const QStringList claimed = claimedKeywords();
    QStringList pairs;
    if (topLevel) {
        for (const oledb::PairReading &reading : m_draft.driverOnlyPairs()) {
            if (!isOneOf(reading.pair.keyword, claimed))
                pairs.append(reading.pair.keyword + u'=' + reading.pair.value);
        }
        return pairs.join(u';');
    }
    const QString text = m_draft.value(ExtendedProperties).value_or(QString());
    oledb::OdbcAttributes::visit(
        text, [&](QStringView key, const QString &, const oledb::OdbcAttributes::ValueSpan &span) {
            if (!isOneOf(key, claimed))
                pairs.append(key + u'=' + text.mid(span.start, span.end - span.start));
        });
    return pairs.join(u';');
}

void OdbcBuildDialog::write(const QStringList &keywords, const std::optional<QString> &value,
                            bool topLevel)
{
    // A driver's name goes in braces, as ODBC strings usually write it.
    const bool braced = isOneOf(driverKeyword, keywords);
    std::optional<QString> property = topLevel ? std::nullopt : overridingProperty(keywords);
    if (topLevel || property) {
        const QStringList names = property ? QStringList {*property} : keywords;
        if (!value) {
            for (const QString &name : names)
                m_draft.remove(name);
            return;
        }
        const QString keyword = pairKeyword(m_draft, names).value_or(names.first());
        m_draft.setValue(keyword,
                         readsBraces(m_draft, keyword)
                             ? oledb::OdbcAttributes::written(*value, braced)
                             : *value);
        return;
    }
    const QString before = m_draft.value(ExtendedProperties).value_or(QString());
    const QString after = oledb::OdbcAttributes::edited(before, keywords, value, braced);
    if (after == before)
        return;
    if (after.trimmed().isEmpty())
        m_draft.remove(ExtendedProperties);
    else
        m_draft.setValue(ExtendedProperties, after);
}

void OdbcBuildDialog::writeOthers(const QString &before, const QString &after, bool topLevel)
{
    const auto old = oledb::OdbcAttributes::parse(before);
    QList<oledb::OdbcAttributes::ValueSpan> spans;
    const auto typed = oledb::OdbcAttributes::parse(after, &spans);
    const auto keys = [](const oledb::OdbcAttributes &attributes) {
        QStringList list;
        for (const auto &attribute : attributes.attributes())
            list.append(attribute.key);
        return list;
    };
    const QStringList typedKeys = keys(typed);
    for (const QString &key : keys(old)) {
        if (!isOneOf(key, typedKeys))
            write({key}, std::nullopt, topLevel);
    }
    for (qsizetype i = 0; i < typed.attributes().size(); ++i) {
        const auto &attribute = typed.attributes().at(i);
        if (!oledb::ConnectionString::isWritableKeyword(attribute.key)
            || old.value(attribute.key) == attribute.value)
            continue;
        if (topLevel) {
            // As typed, braces and all: the driver reads it, not the provider.
            m_draft.setValue(attribute.key,
                             after.mid(spans.at(i).start, spans.at(i).end - spans.at(i).start));
        } else {
            write({attribute.key}, attribute.value, false);
        }
    }
}

void OdbcBuildDialog::apply()
{
    const bool topLevel = writesTopLevel();
    if (topLevel == m_readTopLevel) {
        if (m_driverValue != valueOf(m_readDriver))
            write({driverKeyword}, m_driverValue, topLevel);
        for (const Field &field : std::as_const(m_fields)) {
            if (isEdited(field))
                write(field.keyword.keywords, field.value, topLevel);
        }
        if (m_othersValue != m_readOthers)
            writeOthers(m_readOthers, m_othersValue, topLevel);
        return;
    }
    // Moved: out of where the keywords stood, all of them, and into the other place.
    writeOthers(m_readOthers, QString(), m_readTopLevel);
    write({driverKeyword}, std::nullopt, m_readTopLevel);
    for (const Field &field : std::as_const(m_fields)) {
        if (!overridingProperty(field.keyword.keywords) || m_readTopLevel)
            write(field.keyword.keywords, std::nullopt, m_readTopLevel);
    }
    if (m_driverValue)
        write({m_readDriver ? m_readDriver->keyword : driverKeyword}, m_driverValue, topLevel);
    for (const Field &field : std::as_const(m_fields)) {
        if (field.value)
            write(spelledAsRead(field), field.value, topLevel);
    }
    writeOthers(QString(), m_othersValue, topLevel);
}

} // namespace datalink
