#include "platform/qt/qtcontrols.h"

#include "platform/formevents.h"
#include "platform/qt/eventdispatch.h"
#include "platform/qt/formwindow.h"
#include "platform/qt/handletable.h"

#include <QCursor>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>

#include <algorithm>

namespace platform::qt {

namespace {

// The document's characters, one per position, with its paragraph breaks as line breaks.
QString documentText(const QPlainTextEdit *editor)
{
    QString text = editor->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u'\n');
    return text;
}

// Where each of the document's positions starts in the text it was given, and the text's end
// last: the document makes one line break of a carriage return, a line feed, a paragraph
// separator or a carriage return with its line feed, and one position of every other character.
QList<qsizetype> positionStarts(const QString &text)
{
    QList<qsizetype> starts;
    starts.reserve(text.size() + 1);
    for (qsizetype i = 0; i < text.size(); ++i) {
        starts.append(i);
        if (text.at(i) == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
    }
    starts.append(text.size());
    return starts;
}

// What the document shows of a text it is given.
QString asDocumentShows(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            continue;
        shown.append(c == u'\r' || c == QChar::ParagraphSeparator ? QChar(u'\n') : c);
    }
    return shown;
}

} // namespace

void ExactTextEdit::insertFromMimeData(const QMimeData *source)
{
    const QTextCursor cursor = textCursor();
    m_insertion = Insertion {cursor.selectionStart(),
                             cursor.selectionEnd() - cursor.selectionStart(), source->text()};
    QPlainTextEdit::insertFromMimeData(source);
    m_insertion.reset();
}

QtTextBox::QtTextBox(ExactTextEdit *editor, QString name, const EventDispatch &dispatch)
    : QtControlOf(editor, std::move(name))
    , m_dispatch(dispatch)
    , m_text(documentText(editor))
    , m_shown(m_text)
{
    QObject::connect(editor, &QPlainTextEdit::textChanged, editor, [this] {
        if (m_setting)
            return;
        followEdit();
        raiseChange();
    });
}

QString QtTextBox::Text()
{
    editor();
    return m_text;
}

void QtTextBox::SetText(const QString &value)
{
    auto *text = editor();
    m_setting = true;
    text->setPlainText(value);
    m_setting = false;
    m_text = value;
    m_shown = documentText(text);
    raiseChange();
}

// A paste is taken as pasted where the document shows it landed. Otherwise the part of the
// document that changed lies between what stayed the same at either end, and the held text
// takes the document's characters there: what was typed.
void QtTextBox::followEdit()
{
    const QString now = documentText(editor());
    const auto paste = editor()->takeInsertion();
    const QList<qsizetype> starts = positionStarts(m_text);
    if (starts.size() != m_shown.size() + 1) {
        m_text = m_shown = now; // never expected; the display is then the best there is
        return;
    }
    if (paste && paste->at + paste->replaced < starts.size()) {
        const QString shown = asDocumentShows(paste->text);
        if (now.size() == m_shown.size() - paste->replaced + shown.size()
            && now.mid(paste->at, shown.size()) == shown) {
            m_text = m_text.left(starts.at(paste->at)) + paste->text
                + m_text.mid(starts.at(paste->at + paste->replaced));
            m_shown = now;
            return;
        }
    }
    const qsizetype shorter = std::min(now.size(), m_shown.size());
    qsizetype head = 0;
    while (head < shorter && now.at(head) == m_shown.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head
           && now.at(now.size() - 1 - tail) == m_shown.at(m_shown.size() - 1 - tail))
        ++tail;
    m_text = m_text.left(starts.at(head)) + now.mid(head, now.size() - tail - head)
        + m_text.mid(starts.at(m_shown.size() - tail));
    m_shown = now;
}

ExactTextEdit *QtTextBox::editor() const
{
    return static_cast<ExactTextEdit *>(widget());
}

void QtTextBox::raiseChange()
{
    const QString name = m_name;
    m_dispatch.raise([&name](platform::IFormEvents &events) { events.textChangeEvent(name); });
}

QtWindow::QtWindow(FormWindow *window)
    : m_window(window)
    , m_name(window->objectName())
    , m_handle(HandleTable::registerWindow(window))
    , m_icon(HandleTable::registerIcon(window->icon()))
{ }

quint32 QtWindow::hWnd()
{
    window();
    return m_handle;
}

float QtWindow::Width()
{
    return toTwips(window()->frameGeometry().width());
}

void QtWindow::SetWidth(float v)
{
    auto *w = window();
    const int frame = w->frameGeometry().width() - w->width();
    w->resize(std::max(1, toPixels(v) - frame), w->height());
}

float QtWindow::Height()
{
    return toTwips(window()->frameGeometry().height());
}

void QtWindow::SetHeight(float v)
{
    auto *w = window();
    const int frame = w->frameGeometry().height() - w->height();
    w->resize(w->width(), std::max(1, toPixels(v) - frame));
}

platform::WindowState QtWindow::WindowState()
{
    const auto state = window()->windowState();
    if (state & Qt::WindowMinimized)
        return platform::WindowState::Minimized;
    if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return platform::WindowState::Maximized;
    return platform::WindowState::Normal;
}

void QtWindow::SetWindowState(platform::WindowState state)
{
    Qt::WindowStates qtState = Qt::WindowNoState;
    switch (state) {
    case platform::WindowState::Normal:
        break;
    case platform::WindowState::Minimized:
        qtState = Qt::WindowMinimized;
        break;
    case platform::WindowState::Maximized:
        qtState = Qt::WindowMaximized;
        break;
    }
    window()->setStateRaisingResize(qtState);
}

bool QtWindow::Visible()
{
    return window()->isVisible();
}

void QtWindow::Show()
{
    window()->show();
}

void QtWindow::Hide()
{
    window()->hide();
}

platform::ScaleMode QtWindow::ScaleMode()
{
    return window()->scaleMode();
}

quint32 QtWindow::Icon()
{
    window();
    return m_icon;
}

void QtWindow::PopupMenu(platform::IMenu &menu)
{
    window();
    auto *qtMenu = dynamic_cast<QtMenu *>(&menu);
    if (!qtMenu || !qtMenu->menu())
        throw Error(QStringLiteral("The menu cannot be popped up"));
    qtMenu->menu()->exec(QCursor::pos());
}

void QtWindow::Unload()
{
    window()->unload();
}

FormWindow *QtWindow::window() const
{
    if (!m_window)
        throwUnreachable(m_name);
    return m_window;
}

} // namespace platform::qt
