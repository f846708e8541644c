#pragma once

class QWidget;

namespace datalink {

// Makes Tab follow the reading order of what the layouts show: a box layout's items in turn,
// a form's or a grid's row by row and left to right, group boxes, scroll areas and tab pages
// entered where they stand. Widgets that were built in another order (a page's radio buttons
// made before its fields, a page replaced after the buttons below it) then still take the
// focus top to bottom. Widgets outside every layout keep their place at the end.
void orderTabsByLayout(QWidget *root);

} // namespace datalink
