#include "datalink/widgets/controlnames.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace datalink {

namespace {

QLineEdit *textFieldOf(QWidget *control)
{
    auto *combo = qobject_cast<QComboBox *>(control);
    return combo ? combo->lineEdit() : nullptr;
}

// "Ser&ver name:" -> "Server name": what the label says, without its Alt key or colon.
QString spoken(QString text)
{
    for (qsizetype i = text.indexOf(u'&'); i >= 0 && i < text.size(); i = text.indexOf(u'&', i + 1))
        text.remove(i, 1);
    text = text.trimmed();
    if (text.endsWith(u':'))
        text.chop(1);
    return text;
}

} // namespace

void nameControl(QWidget *control, const QString &name)
{
    control->setAccessibleName(name);
    if (QLineEdit *field = textFieldOf(control))
        field->setAccessibleName(name);
}

void describeControl(QWidget *control, const QString &description)
{
    control->setAccessibleDescription(description);
    if (QLineEdit *field = textFieldOf(control))
        field->setAccessibleDescription(description);
}

void connectLabelsToControls(QWidget *root)
{
    for (QLabel *label : root->findChildren<QLabel *>()) {
        QWidget *control = label->buddy();
        if (!control)
            continue;
        while (control->focusProxy())
            control = control->focusProxy();
        if (control != label->buddy())
            label->setBuddy(control);
        if (control->accessibleName().isEmpty())
            nameControl(control, spoken(label->text()));
    }
}

} // namespace datalink
