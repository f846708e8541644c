#pragma once

class QString;
class QWidget;

namespace datalink {

// What a screen reader calls a control. An editable drop-down's text field, which is what takes
// the focus, is called the same.
void nameControl(QWidget *control, const QString &name);
// What a screen reader reads after the name: a hint, or why a list is empty. An empty text
// leaves only the field's own hint (its placeholder).
void describeControl(QWidget *control, const QString &description);

// Points each label's Alt key at the control that takes the focus (a field made of several
// widgets passes the focus on to one of them), and names a control after its label unless it
// has a name already.
void connectLabelsToControls(QWidget *root);

} // namespace datalink
