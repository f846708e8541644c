#include "datalink/widgets/livestringview.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <memory>

namespace datalink {

LiveStringView::LiveStringView(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setReadOnly(true);
}

void LiveStringView::setCopyRefusal(const QString &reason)
{
    m_refusal = reason;
}

void LiveStringView::keyPressEvent(QKeyEvent *event)
{
    if (!m_refusal.isEmpty() && event->matches(QKeySequence::Copy)) {
        event->accept();
        Q_EMIT copyRefused(m_refusal);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void LiveStringView::contextMenuEvent(QContextMenuEvent *event)
{
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    if (!m_refusal.isEmpty()) {
        for (QAction *action : menu->actions()) {
            if (action->objectName() == u"edit-copy") {
                action->setEnabled(false);
                Q_EMIT copyRefused(m_refusal);
            }
        }
    }
    menu->exec(event->globalPos());
}

QMimeData *LiveStringView::createMimeDataFromSelection() const
{
    if (!m_refusal.isEmpty())
        return new QMimeData;
    return QPlainTextEdit::createMimeDataFromSelection();
}

QSize LiveStringView::sizeHint() const
{
    return {QPlainTextEdit::sizeHint().width(), linesHigh(Lines)};
}

int LiveStringView::linesHigh(int lines) const
{
    return fontMetrics().lineSpacing() * lines + 2 * frameWidth()
        + int(2 * document()->documentMargin());
}

} // namespace datalink
