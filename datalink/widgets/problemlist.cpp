#include "datalink/widgets/problemlist.h"

#include "oledb/connectionstring.h"
#include "oledb/datalinkdraft.h"
#include "oledb/providercatalogue.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace datalink {

namespace {

// A string with thousands of pairs set twice would make as many widgets at every keystroke;
// once the first are fixed, the next show.
constexpr qsizetype MostShown = 50;
// Wider keywords and fix labels are cut short, with the whole in the tooltip, so that the
// button stays in sight however narrow the dialog.
constexpr int KeywordChars = 32;
constexpr int LabelChars = 36;

// The catalogue writes a source as "Title, what it says: address".
struct Citation
{
    QString title;
    QString address;
};

Citation citationOf(const QString &source)
{
    const qsizetype link = source.lastIndexOf(QStringLiteral(": http"));
    const QString described = link < 0 ? source : source.left(link);
    qsizetype end = described.size();
    for (const QString &separator : {QStringLiteral(", "), QStringLiteral(": ")}) {
        const qsizetype at = described.indexOf(separator);
        if (at > 0)
            end = std::min(end, at);
    }
    return {described.left(end).trimmed(), link < 0 ? QString() : source.mid(link + 2).trimmed()};
}

// Asks for every entry up to a few; more scroll rather than crowd out the string below.
class EntryScroll final : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override
    {
        const QWidget *content = widget();
        if (!content)
            return QScrollArea::sizeHint();
        // Wrapped lines are counted for the width they will have, or the dialog makes too
        // little room: before the first layout, about the window's.
        m_widthAsked = testAttribute(Qt::WA_Resized)
            ? viewport()->width()
            : window()->width() - 4 * fontMetrics().height();
        const int wanted = content->hasHeightForWidth() ? content->heightForWidth(m_widthAsked)
                                                        : content->sizeHint().height();
        const int most = 7 * fontMetrics().lineSpacing();
        return {content->sizeHint().width(), std::min(wanted, most) + 2 * frameWidth()};
    }

    // Qt's minimum has room for a scroll bar's arrows, taller than one problem on two lines.
    QSize minimumSizeHint() const override
    {
        const QSize least = QScrollArea::minimumSizeHint();
        return {least.width(), std::min(least.height(), sizeHint().height())};
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }

    // Wrapped lines make the entries taller as the dialog narrows.
    void resizeEvent(QResizeEvent *event) override
    {
        QScrollArea::resizeEvent(event);
        if (viewport()->width() != m_widthAsked)
            updateGeometry();
    }

private:
    mutable int m_widthAsked = -1;
};

// Where each pair stands, as the user counts: the Provider pair is the first.
QHash<qsizetype, int> pairNumbers(const QString &text)
{
    QHash<qsizetype, int> numbers;
    const QList<oledb::ParsedPair> pairs = oledb::parsePairs(text);
    for (qsizetype i = 0; i < pairs.size(); ++i)
        numbers.insert(pairs.at(i).span.start, int(i + 1));
    return numbers;
}

} // namespace

ProblemList::ProblemList(DataLinkDraft &draft, QWidget *parent)
    : QGroupBox(tr("Problems"), parent)
    , m_draft(draft)
    , m_scroll(new EntryScroll(this))
{
    setObjectName(QStringLiteral("problemList"));
    setAccessibleName(tr("Problems"));
    auto *layout = new QVBoxLayout(this);
    m_scroll->setObjectName(QStringLiteral("problemScroll"));
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    m_scroll->viewport()->setAutoFillBackground(false);
    layout->addWidget(m_scroll);
    hide();
}

bool ProblemList::refresh()
{
    const QString text = m_draft.connectionString();
    // Messages and labels come with their secrets masked.
    const QList<oledb::Problem> problems = m_draft.stringProblems();
    QStringList signature;
    for (const oledb::Problem &problem : problems) {
        signature.append(problem.rule + u'\n' + QString::number(problem.offset) + u'\n'
                         + problem.keyword + u'\n' + problem.message + u'\n' + problem.source
                         + u'\n' + (problem.fix ? problem.fix->label : QString()));
    }
    if (signature == m_signature)
        return false;
    m_signature = signature;
    m_buttons.clear();
    // The button clicked may be the one whose signal brought us here.
    if (QWidget *old = m_scroll->takeWidget()) {
        old->hide();
        old->deleteLater();
    }
    setVisible(!problems.isEmpty());
    if (problems.isEmpty())
        return true;

    auto *content = new QWidget;
    auto *entries = new QVBoxLayout(content);
    entries->setContentsMargins(0, 0, 0, 0);
    const int charWidth = fontMetrics().averageCharWidth();
    const QHash<qsizetype, int> numbers = pairNumbers(text);
    for (qsizetype i = 0; i < std::min(problems.size(), MostShown); ++i) {
        const oledb::Problem &problem = problems.at(i);
        const int number = numbers.value(problem.offset);
        const QString where = tr("%1, pair %2").arg(problem.keyword).arg(number);
        auto *entry = new QWidget(content);
        entry->setObjectName(QStringLiteral("problem:") + problem.rule);
        entry->setAccessibleName(where);
        entry->setAccessibleDescription(problem.message);
        auto *row = new QHBoxLayout(entry);
        row->setContentsMargins(0, 0, 0, 0);

        auto *column = new QVBoxLayout;
        column->setSpacing(0);
        const QString keyword
            = fontMetrics().elidedText(problem.keyword, Qt::ElideMiddle, KeywordChars * charWidth);
        // Plain text: keywords and values are the string's, not markup.
        auto *label = new QLabel(
            tr("%1, pair %2: %3").arg(keyword).arg(number).arg(problem.message), entry);
        label->setObjectName(QStringLiteral("problemText"));
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        if (keyword != problem.keyword)
            label->setToolTip(problem.keyword);
        column->addWidget(label);
        if (const QString source = m_draft.catalogue().source(problem.source); !source.isEmpty()) {
            const Citation citation = citationOf(source);
            auto *cited = new QLabel(entry);
            cited->setObjectName(QStringLiteral("problemSource"));
            cited->setTextFormat(Qt::RichText);
            cited->setWordWrap(true);
            cited->setText(
                citation.address.isEmpty()
                    ? tr("Source: %1").arg(citation.title.toHtmlEscaped())
                    : tr("Source: <a href=\"%1\">%2</a>")
                          .arg(citation.address.toHtmlEscaped(), citation.title.toHtmlEscaped()));
            cited->setToolTip(source);
            // Tab reaches the link, not the text: it says what the problem is, and names the
            // pair, as two problems may cite one page.
            cited->setAccessibleName(tr("Source for %1: %2").arg(where, citation.title));
            cited->setAccessibleDescription(problem.message);
            if (!citation.address.isEmpty()) {
                cited->setOpenExternalLinks(true);
                cited->setTextInteractionFlags(Qt::LinksAccessibleByMouse
                                               | Qt::LinksAccessibleByKeyboard);
            }
            column->addWidget(cited);
        }
        row->addLayout(column, 1);

        if (problem.fix) {
            const oledb::ProblemFix fix = *problem.fix;
            auto *button = new QPushButton(entry);
            button->setObjectName(fix.kind == oledb::ProblemFix::Kind::KeepOnlyInEffect
                                      ? QString(QStringLiteral("keep:") + fix.property)
                                      : QStringLiteral("fix:") + problem.rule + u':'
                                          + problem.keyword);
            const QString shown
                = fontMetrics().elidedText(fix.label, Qt::ElideRight, LabelChars * charWidth);
            // A value's `&` is no Alt key.
            button->setText(QString(shown).replace(u'&', QStringLiteral("&&")));
            if (shown != fix.label)
                button->setToolTip(fix.label);
            // The label alone may repeat; with the pair it names one button.
            button->setAccessibleName(tr("%1 (pair %2)").arg(fix.label).arg(number));
            button->setAccessibleDescription(problem.message);
            button->setAutoDefault(false);
            row->addWidget(button, 0, Qt::AlignTop);
            const qsizetype index = m_buttons.size();
            m_buttons.append(button);
            connect(button, &QPushButton::clicked, this, [this, fix, index] {
                m_refocus = index;
                m_draft.applyFix(fix);
                m_refocus = -1;
                Q_EMIT fixApplied();
            });
        }
        entries->addWidget(entry);
    }
    if (problems.size() > MostShown) {
        auto *more = new QLabel(tr("%n more not listed: they show as these are fixed.", nullptr,
                                   int(problems.size() - MostShown)),
                                content);
        more->setObjectName(QStringLiteral("moreProblemsNote"));
        more->setWordWrap(true);
        entries->addWidget(more);
    }
    m_scroll->setWidget(content);
    // On the dialog's own background, as the rest of the group box.
    content->setAutoFillBackground(false);
    content->installEventFilter(m_scroll);
    if (m_refocus >= 0 && !m_buttons.isEmpty())
        m_buttons.at(std::min(m_refocus, m_buttons.size() - 1))->setFocus(Qt::TabFocusReason);
    return true;
}

} // namespace datalink
