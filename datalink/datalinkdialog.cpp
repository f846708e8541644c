#include "datalink/datalinkdialog.h"

#include "datalink/pages/advancedpage.h"
#include "datalink/pages/allpropertiespage.h"
#include "datalink/pages/providerpage.h"
#include "datalink/widgets/controlnames.h"
#include "datalink/widgets/livestringview.h"
#include "datalink/widgets/problemlist.h"
#include "datalink/widgets/propertyeditor.h"
#include "datalink/widgets/taborder.h"
#include "datalink/widgets/wheelguard.h"
#include "oledb/connectionstring.h"
#include "oledb/datalinkdraft.h"
#include "oledb/datalinkproperties.h"
#include "oledb/formaterror.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <utility>

namespace datalink {

namespace {

// The platform's own file dialog may be a portal or another process that a modal dialog cannot
// own; Qt's is always a child of ours.
QString chooseWithQtDialog(QWidget *parent, const QString &caption, const QString &filter,
                           bool folder)
{
    if (folder) {
        return QFileDialog::getExistingDirectory(parent, caption, QString(),
                                                 QFileDialog::ShowDirsOnly
                                                     | QFileDialog::DontUseNativeDialog);
    }
    return QFileDialog::getOpenFileName(parent, caption, QString(), filter, nullptr,
                                        QFileDialog::DontUseNativeDialog);
}

// Asks for the whole page: Qt's scroll area asks for no more than 24 lines, and the page would
// scroll on a screen with room to show it.
class PageScroll final : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override
    {
        if (!widget())
            return QScrollArea::sizeHint();
        return widget()->sizeHint() + QSize(2 * frameWidth(), 2 * frameWidth());
    }

protected:
    // A line shown or hidden on the page (the saved-password warning) changes what it asks
    // for; the layouts above hear of it only from here.
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }
};

// Asks for the lines it must show; the dialog gives it more where the screen has them.
QWidget *padded(QWidget *page, QWidget *parent)
{
    auto *holder = new QWidget(parent);
    auto *layout = new QVBoxLayout(holder);
    layout->addWidget(page);
    return holder;
}

} // namespace

DataLinkDialog::DataLinkDialog(const oledb::ProviderCatalogue &catalogue,
                               const oledb::DataLinkProperties &properties,
                               drivers::IOdbcDataSources &dataSources, QWidget *parent,
                               KeptDialogSize *keptSize)
    : QDialog(parent)
    , m_draft(new DataLinkDraft(catalogue, properties, this))
    , m_dataSources(dataSources)
    , m_keptSize(keptSize ? *keptSize : m_ownSize)
    , m_chooseFile(&chooseWithQtDialog)
    , m_discovery(makeDiscovery(catalogue))
    , m_tabs(new QTabWidget(this))
    , m_providerPage(new ProviderPage(*m_draft, this))
    , m_allPage(new AllPropertiesPage(*m_draft, this))
    , m_problemList(new ProblemList(*m_draft, this))
    , m_problems(new QLabel(this))
    , m_notice(new QLabel(this))
{
    setObjectName(QStringLiteral("dataLinkDialog"));
    setWindowTitle(tr("Data Link Properties"));
    setSizeGripEnabled(true);

    m_tabs->setObjectName(QStringLiteral("tabs"));
    // The tab bar takes the focus; the tab widget passing it on would be one more, unnamed, stop
    // for a screen reader. (The policy goes to the focus proxy too, hence the second line.)
    m_tabs->setFocusPolicy(Qt::NoFocus);
    m_tabs->tabBar()->setFocusPolicy(Qt::TabFocus);
    m_tabs->addTab(padded(m_providerPage, m_tabs), tr("Provider"));
    m_tabs->addTab(buildConnectionTab(), tr("Connection"));
    auto *advanced = new QWidget(m_tabs);
    m_advancedSlot = new QVBoxLayout(advanced);
    m_tabs->addTab(advanced, tr("Advanced"));
    m_tabs->addTab(padded(m_allPage, m_tabs), tr("All"));

    m_problems->setObjectName(QStringLiteral("problemLabel"));
    m_problems->setWordWrap(true);
    m_problems->setTextFormat(Qt::PlainText);
    m_problems->hide();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));
    buttons->button(QDialogButtonBox::Cancel)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &DataLinkDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DataLinkDialog::reject);

    m_notice->setObjectName(QStringLiteral("unreadableNotice"));
    m_notice->setWordWrap(true);
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setFrameShape(QFrame::StyledPanel);
    m_notice->setMargin(6);
    m_notice->hide();

    // Ctrl+Tab turns the page wherever the focus is: a drop-down or a text field would keep
    // the key from reaching the tab widget otherwise.
    const auto turnPage = [this](int step) {
        showTab(Tab((m_tabs->currentIndex() + step + m_tabs->count()) % m_tabs->count()));
    };
    for (const QKeySequence &keys :
         {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [turnPage] { turnPage(1); });
    }
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                     QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                     QKeySequence(Qt::CTRL | Qt::Key_PageUp)}) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [turnPage] { turnPage(-1); });
    }

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_notice);
    layout->addWidget(m_tabs);
    layout->addWidget(m_problemList);
    // Height beyond what the pages need goes to the string, which can be long.
    layout->addWidget(buildStringPanel(), 1);
    layout->addWidget(m_problems);
    layout->addWidget(buttons);

    connect(m_providerPage, &ProviderPage::nextRequested, this, [this] { showTab(ConnectionTab); });
    // Pages and the All tab's rows are rebuilt when the provider or the set of properties
    // changes; new widgets would otherwise take the focus after Cancel.
    connect(m_draft, &DataLinkDraft::shapeChanged, this, [this] { m_tabOrderStale = true; });
    connect(m_draft, &DataLinkDraft::changed, this, &DataLinkDialog::refresh);
    // The last fix took its entry, and the button with it, away.
    connect(m_problemList, &ProblemList::fixApplied, this, [this] {
        if (!m_problemList->isAncestorOf(focusWidget()))
            m_tabs->tabBar()->setFocus(Qt::TabFocusReason);
    });
    rebuildProviderPages();
    refresh();
    // The size is the one without problems, so that a string with some does not set the size
    // kept for the run; the list's room comes on top.
    const bool listed = !m_problemList->isHidden();
    m_problemList->hide();
    resize(openingSize());
    m_sized = true;
    if (listed) {
        m_problemList->show();
        fitProblemList();
    }
}

QSize DataLinkDialog::roomOnScreen() const
{
    const QScreen *display = parentWidget() ? parentWidget()->screen() : screen();
    // Room for the window manager's frame and the desktop's panels.
    return display ? display->availableGeometry().size() - QSize(16, 48) : QSize();
}

void DataLinkDialog::fitProblemList()
{
    if (m_problemList->isHidden()) {
        const int grown = std::exchange(m_grownBy, 0);
        // The minimum the list made the layout set goes first.
        layout()->activate();
        if (grown > 0)
            resize(width(), height() - grown);
        return;
    }
    // Taller by the list where the screen has room, rather than the page scrolling; the room
    // goes back with the list.
    const QSize room = roomOnScreen();
    const int wanted = m_problemList->sizeHint().height() + layout()->spacing();
    const int by = room.isValid() ? std::clamp(room.height() - height(), 0, wanted) : wanted;
    if (by > 0) {
        m_grownBy += by;
        resize(width(), height() + by);
    }
}

// One size whatever the provider: the tallest Connection page (a SQL Server driver's, with the
// saved-password warning) shows whole and the widest tab fits, within the screen.
QSize DataLinkDialog::openingSize()
{
    QSize size = m_keptSize.size;
    if (!size.isValid()) {
        DataLinkDraft tallest(m_draft->catalogue(),
                              oledb::DataLinkProperties::fromString(
                                  m_draft->catalogue(),
                                  QStringLiteral("Provider=MSOLEDBSQL19.1;Persist Security Info="
                                                 "True;User ID=u;Password=p")));
        ConnectionPage *page = makeConnectionPage(tallest, m_dataSources, m_chooseFile,
                                                  m_connectionSlot->parentWidget());
        page->hide();
        const int pageHeight = page->sizeHint().height();
        delete page;
        const QSize hint = sizeHint();
        const int shownPage = m_connectionScroll->sizeHint().height();
        size = QSize(hint.width(), std::max(hint.height(), hint.height() - shownPage + pageHeight));
        // An ordinary SQL Server string takes six lines at this width; the string gets them
        // where the screen has room.
        size.rheight() += 2 * m_stringView->fontMetrics().lineSpacing();
    }
    if (const QSize room = roomOnScreen(); room.isValid())
        size = size.boundedTo(room).expandedTo(minimumSizeHint());
    return size;
}

void DataLinkDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (m_sized)
        m_keptSize.size = size() - QSize(0, m_grownBy);
}

DataLinkDialog::~DataLinkDialog() = default;

QWidget *DataLinkDialog::buildConnectionTab()
{
    auto *tab = new QWidget(m_tabs);
    auto *layout = new QVBoxLayout(tab);
    // The SQL Server page is taller than a small screen leaves room for; it scrolls there.
    m_connectionScroll = new PageScroll(tab);
    m_connectionScroll->setObjectName(QStringLiteral("connectionScroll"));
    m_connectionScroll->setWidgetResizable(true);
    m_connectionScroll->setFrameShape(QFrame::NoFrame);
    m_connectionScroll->setFocusPolicy(Qt::NoFocus);
    m_connectionScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto *content = new QWidget(m_connectionScroll);
    m_connectionSlot = new QVBoxLayout(content);
    m_connectionSlot->setContentsMargins(0, 0, 0, 0);
    m_connectionScroll->setWidget(content);
    content->installEventFilter(m_connectionScroll);
    layout->addWidget(m_connectionScroll, 1);

    auto *testRow = new QHBoxLayout;
    m_testMessage = new QLabel(tab);
    m_testMessage->setObjectName(QStringLiteral("testConnectionMessage"));
    m_testMessage->setWordWrap(true);
    auto *test = new QPushButton(tr("&Test Connection"), tab);
    test->setObjectName(QStringLiteral("testConnectionButton"));
    test->setAutoDefault(false);
    testRow->addWidget(m_testMessage, 1);
    testRow->addWidget(test);
    layout->addLayout(testRow);
    connect(test, &QPushButton::clicked, this, &DataLinkDialog::testConnection);
    return tab;
}

QWidget *DataLinkDialog::buildStringPanel()
{
    auto *panel = new QGroupBox(tr("Connection string"), this);
    auto *layout = new QVBoxLayout(panel);
    m_stringView = new LiveStringView(panel);
    m_stringView->setObjectName(QStringLiteral("connectionStringView"));
    m_stringView->setTabChangesFocus(true);
    // Unshaped, as the main window's box: a long string is laid out again after every change.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setStyleStrategy(QFont::StyleStrategy(fixed.styleStrategy() | QFont::PreferNoShaping));
    m_stringView->setFont(fixed);
    m_stringView->setMinimumHeight(m_stringView->linesHigh(LiveStringView::Lines));
    m_stringView->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_reveal = new QCheckBox(tr("Sho&w password"), panel);
    m_reveal->setObjectName(QStringLiteral("revealPasswordCheck"));
    m_copyNote = new QLabel(panel);
    m_copyNote->setObjectName(QStringLiteral("copyRefusedNote"));
    m_copyNote->setWordWrap(true);
    m_copyNote->setTextFormat(Qt::PlainText);
    m_copyNote->hide();
    layout->addWidget(m_stringView);
    layout->addWidget(m_reveal);
    layout->addWidget(m_copyNote);
    connect(m_reveal, &QCheckBox::toggled, this, [this](bool reveal) {
        m_draft->setRevealsSecrets(reveal);
        // The All tab follows one row at a time otherwise; every row may hold a secret.
        m_allPage->refresh();
    });
    connect(m_stringView, &LiveStringView::copyRefused, this, [this](const QString &reason) {
        m_copyNote->setText(reason);
        m_copyNote->show();
    });
    return panel;
}

QString DataLinkDialog::connectionString() const
{
    return m_draft->connectionString();
}

void DataLinkDialog::showTab(Tab tab)
{
    m_tabs->setCurrentIndex(tab);
    // Where the user starts typing, not on the OK button: the page's first field.
    QWidget *page = m_tabs->currentWidget();
    for (QWidget *field = nextInFocusChain(); field != this; field = field->nextInFocusChain()) {
        if (page->isAncestorOf(field) && (field->focusPolicy() & Qt::TabFocus) && field->isEnabled()
            && field->isVisibleTo(page)) {
            field->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
    // Styles mark the focus only after the keyboard moved it; here the dialog moved it, and
    // the user must see where typing goes.
    setAttribute(Qt::WA_KeyboardFocusChange);
}

void DataLinkDialog::explainUnreadable(const QString &text)
{
    QString reason;
    try {
        oledb::ConnectionString::parse(text);
        return;
    } catch (const oledb::FormatError &error) {
        reason = error.explain(text, m_draft->catalogue());
    }
    m_notice->setText(tr("The connection string in the box cannot be read as it stands; the "
                         "dialog opened the pairs it could read and left the faulty ones out.\n"
                         "%1\nOK replaces the text in the box with the string built here; Cancel "
                         "leaves the box as it is.")
                          .arg(reason));
    m_notice->show();
}

void DataLinkDialog::setConnectionTester(ConnectionTester tester)
{
    m_tester = std::move(tester);
}

void DataLinkDialog::setFileChooser(FileChooser chooser)
{
    m_chooseFile = std::move(chooser);
    m_builtFor.clear();
    rebuildProviderPages();
    refresh();
}

void DataLinkDialog::setDiscovery(Discovery discovery)
{
    m_discovery = std::move(discovery);
    m_connectionPage->setDiscovery(m_discovery);
}

void DataLinkDialog::accept()
{
    // A string without a provider opens nothing; OK waits for it as Next does.
    if (m_draft->providerProgId().isEmpty()) {
        m_problems->setText(tr("Choose a provider on the Provider tab, or type the ProgID of the "
                               "one you want, before OK."));
        m_problems->show();
        showTab(ProviderTab);
        m_providerPage->focusProgId();
        return;
    }
    const QList<PropertyProblem> problems = m_draft->problems();
    if (problems.isEmpty()) {
        QDialog::accept();
        return;
    }
    QStringList lines;
    for (const PropertyProblem &problem : problems)
        lines.append(problem.explanation);
    m_problems->setText(tr("The connection string cannot be used yet. Correct or remove the "
                           "marked value on the All tab:\n")
                        + lines.join(u'\n'));
    m_problems->show();
    showTab(AllTab);
    if (PropertyEditor *editor = m_allPage->editorFor(problems.first().name))
        editor->setFocus();
}

void DataLinkDialog::rebuildProviderPages()
{
    const QString provider = m_draft->pagesKey();
    if (m_builtFor == provider && m_connectionPage)
        return;
    m_builtFor = provider;
    // Replaced pages go later, as the provider list that asked for this may still be on the
    // stack; they leave the dialog at once so that no lookup by name finds them.
    for (QWidget *old :
         {static_cast<QWidget *>(m_connectionPage), static_cast<QWidget *>(m_advancedPage)}) {
        if (old) {
            old->setParent(nullptr);
            old->deleteLater();
        }
    }
    m_connectionPage = makeConnectionPage(*m_draft, m_dataSources, m_chooseFile,
                                          m_connectionSlot->parentWidget());
    m_connectionPage->setDiscovery(m_discovery);
    m_connectionSlot->addWidget(m_connectionPage);
    // The page may scroll down on a small screen, never sideways.
    m_connectionScroll->setMinimumWidth(
        m_connectionPage->minimumSizeHint().width()
        + m_connectionScroll->verticalScrollBar()->sizeHint().width());
    m_advancedPage = new AdvancedPage(*m_draft, m_advancedSlot->parentWidget());
    m_advancedSlot->addWidget(m_advancedPage);
    m_tabOrderStale = true;
}

void DataLinkDialog::refresh()
{
    rebuildProviderPages();
    m_providerPage->refresh();
    m_connectionPage->refresh();
    m_advancedPage->refresh();

    QString shown = m_draft->revealsSecrets() ? m_draft->connectionString()
                                              : m_draft->maskedConnectionString();
    QString refusal;
    if (shown != m_draft->connectionString()) {
        refusal = tr("Nothing was copied: the string is shown with its passwords masked, and a "
                     "copy would not log on. Tick Show password to copy it as OK writes it.");
    }
    // Laying out text costs time by the character, and a string of thousands of properties
    // would be laid out again at every keystroke; four lines show a beginning anyway.
    constexpr qsizetype Longest = 16384;
    if (shown.size() > Longest) {
        const qsizetype rest = shown.size() - Longest;
        shown.truncate(Longest);
        shown
            += tr(" \u2026 (%n more characters)", nullptr, int(std::min<qsizetype>(rest, INT_MAX)));
        refusal = tr("Nothing was copied: the string is too long to show whole here. Copy it from "
                     "the box after OK.");
    }
    if (shown != m_shownString) {
        m_shownString = shown;
        m_stringView->setPlainText(shown);
    }
    m_stringView->setCopyRefusal(refusal);
    if (refusal.isEmpty())
        m_copyNote->hide();

    const QList<PropertyProblem> problems = m_draft->problems();
    if (problems.isEmpty()) {
        m_problems->hide();
    } else {
        QStringList lines;
        for (const PropertyProblem &problem : problems)
            lines.append(problem.explanation);
        m_problems->setText(lines.join(u'\n'));
        m_problems->show();
    }
    const bool listed = !m_problemList->isHidden();
    if (m_problemList->refresh()) {
        m_tabOrderStale = true;
        if (m_sized && listed == m_problemList->isHidden())
            fitProblemList();
    }
    if (m_tabOrderStale) {
        connectLabelsToControls(this);
        orderTabsByLayout(this);
        // New rows and pages bring new drop-downs; scrolling over them must not change them.
        guardWheel(this);
        m_tabOrderStale = false;
    }
}

void DataLinkDialog::testConnection()
{
    if (!m_tester) {
        m_testMessage->setText(tr("Testing connections is not available in this version."));
        return;
    }
    m_testMessage->clear();
    m_tester(m_draft->connectionStringWithSecrets(), this);
}

} // namespace datalink
