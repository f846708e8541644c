#include "datalink/widgets/taborder.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLayout>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <algorithm>
#include <tuple>
#include <vector>

namespace datalink {

namespace {

void collectWidget(QWidget *widget, QList<QWidget *> &order);

void collectLayout(QLayout *layout, QList<QWidget *> &order)
{
    struct Item
    {
        int row;
        int column;
        int index;
        QLayoutItem *item;
    };
    std::vector<Item> items;
    for (int i = 0; i < layout->count(); ++i) {
        int row = 0;
        int column = i;
        if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
            int rowSpan = 0;
            int columnSpan = 0;
            grid->getItemPosition(i, &row, &column, &rowSpan, &columnSpan);
        } else if (auto *form = qobject_cast<QFormLayout *>(layout)) {
            QFormLayout::ItemRole role {};
            form->getItemPosition(i, &row, &role);
            column = role == QFormLayout::LabelRole ? 0 : 1;
        }
        items.push_back({row, column, i, layout->itemAt(i)});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item &a, const Item &b) {
        return std::tie(a.row, a.column, a.index) < std::tie(b.row, b.column, b.index);
    });
    for (const Item &item : items) {
        if (QWidget *widget = item.item->widget())
            collectWidget(widget, order);
        else if (QLayout *inner = item.item->layout())
            collectLayout(inner, order);
    }
}

void collectWidget(QWidget *widget, QList<QWidget *> &order)
{
    if (auto *tabs = qobject_cast<QTabWidget *>(widget)) {
        order.append(tabs->tabBar());
        for (int i = 0; i < tabs->count(); ++i)
            collectWidget(tabs->widget(i), order);
        return;
    }
    if (auto *scroll = qobject_cast<QScrollArea *>(widget)) {
        if (scroll->widget())
            collectWidget(scroll->widget(), order);
        return;
    }
    // A widget that takes the focus itself is one stop, whatever it is made of (a combo box's
    // line edit, an editor's buttons are its own business) unless it lays out children.
    if ((widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy())
        order.append(widget);
    if (QLayout *layout = widget->layout())
        collectLayout(layout, order);
}

} // namespace

void orderTabsByLayout(QWidget *root)
{
    QList<QWidget *> order;
    collectWidget(root, order);
    order.removeAll(root);
    QWidget *previous = nullptr;
    for (QWidget *widget : std::as_const(order)) {
        if (widget->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

} // namespace datalink
