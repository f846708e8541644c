#pragma once

class QWidget;

namespace datalink {

// Drop-downs, spin boxes and sliders under `root` change on the mouse wheel only once the user
// has put the focus in them; until then the wheel scrolls what they stand in, as it does over
// a label, and the wheel no longer gives them the focus. Call again after widgets are added.
void guardWheel(QWidget *root);

} // namespace datalink
