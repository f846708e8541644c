#pragma once

#include <QWidget>

#include <optional>

class QBoxLayout;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace oledb {
struct PropertyDefinition;
}

namespace datalink {

// The editor that fits a property's type: a list for enumerations and True/False, a check list
// for flag sets, masked text for secrets, plain text otherwise. Values the property would refuse
// are still shown as they stand, so the user sees what is wrong and can correct it.
class PropertyEditor final : public QWidget
{
    Q_OBJECT

public:
    // Without a definition: a property the provider does not declare, edited as text. A secret
    // is typed and shown masked.
    PropertyEditor(const oledb::PropertyDefinition *definition, bool secret,
                   QWidget *parent = nullptr);

    // No value: the property is not in the string; its default shows greyed where there is one.
    // A hidden value is typed and shown masked, as a secret's always is.
    void showValue(const std::optional<QString> &value, bool hidden = false);
    // An empty explanation clears the mark.
    void markProblem(const QString &explanation);
    // Lays the editor's controls out in a row of the form it stands in instead of in a widget
    // of their own: they become the children of the form's group, which is how a screen reader
    // learns the group's caption. The editor itself is not shown again; it still drives them.
    void placeIn(QBoxLayout *row, int stretch);

    // The one of these that exists is the widget the user types or clicks in.
    QLineEdit *lineEdit() const { return m_line; }
    QComboBox *comboBox() const { return m_combo; }
    QListWidget *flagList() const { return m_flags; }

Q_SIGNALS:
    // Only for changes the user makes, never for showValue().
    void edited(const QString &value);
    // The user emptied the field or unticked every flag: the property goes from the string.
    void cleared();

private:
    void buildFlagList(const oledb::PropertyDefinition &definition);
    void emitText(const QString &text);
    void emitFlags();

    QLineEdit *m_line = nullptr;
    QComboBox *m_combo = nullptr;
    QListWidget *m_flags = nullptr;
    QLabel *m_problemIcon = nullptr;
    // Where the controls are laid out: the editor's own layout, or a row of its form's.
    QBoxLayout *m_row;
    QString m_default;
    bool m_secret;
    // showValue() is filling the field: no edit of the user's.
    bool m_showing = false;
};

// "Connect Timeout" -> "connectTimeout": object names for editors made from property names.
QString objectNameFor(QStringView propertyName);

} // namespace datalink
