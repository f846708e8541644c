// Opens the dialog for each kind of provider, with the saved-password warning showing, on every
// tab, and prints what a user at this screen's scale could not see: a page that needs a
// horizontal scroll bar, a control cut off or outside the screen, a page that scrolls where it
// must fit (--no-scrolling; unless problems are listed), a dialog that grows wider as its tabs
// are shown. Exits 1 when it found anything. Run by tst_dialoglayout under each scale and font
// resolution.
#include "dialogdriver.h"

#include "oledb/datalinkproperties.h"
#include "oledb/providercatalogue.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// A shown or hidden line asks for a new layout through a posted event, whose handling posts the
// next level's: a fixed wait measures a half-settled dialog on a slow or loaded machine.
void settle()
{
    for (int round = 0; round < 20; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

QStringList problemsOnTab(datalink::DataLinkDialog &dialog, const QString &where, bool noScrolling)
{
    QStringList problems;
    const QRect screen = dialog.screen()->availableGeometry();
    if (!screen.contains(dialog.frameGeometry()))
        problems.append(QStringLiteral("%1: the dialog (%2x%3) does not fit the screen (%4x%5)")
                            .arg(where)
                            .arg(dialog.frameGeometry().width())
                            .arg(dialog.frameGeometry().height())
                            .arg(screen.width())
                            .arg(screen.height()));
    // A problem listed (a deprecated provider's) takes room that a small screen does not have
    // beside the tallest page: the page scrolls then.
    const bool listed = dialog.findChild<QWidget *>(u"problemList"_s)->isVisible();
    for (auto *area : dialog.findChildren<QAbstractScrollArea *>()) {
        if (!area->isVisible())
            continue;
        if (area->horizontalScrollBar()->isVisible())
            problems.append(where + u": "_s + area->objectName() + u" scrolls sideways"_s);
        if (noScrolling && !listed && area->objectName() == u"connectionScroll"_s
            && area->verticalScrollBar()->isVisible())
            problems.append(
                QStringLiteral("%1: the page scrolls (%2 of %3 pixels shown)")
                    .arg(where)
                    .arg(area->viewport()->height())
                    .arg(static_cast<QScrollArea *>(area)->widget()->sizeHint().height()));
    }
    // Cut off on the right is a fault anywhere; below, only where no scroll bar reaches.
    for (auto *widget : dialog.findChildren<QWidget *>()) {
        if (!widget->isVisible() || widget->focusPolicy() == Qt::NoFocus || widget->focusProxy()
            || qobject_cast<QScrollBar *>(widget))
            continue;
        QWidget *clip = widget->parentWidget();
        while (clip && clip != &dialog
               && !qobject_cast<QAbstractScrollArea *>(clip->parentWidget()))
            clip = clip->parentWidget();
        const QRect shown = QRect(widget->mapTo(&dialog, QPoint()), widget->size());
        const QRect room = clip && clip != &dialog
            ? QRect(clip->parentWidget()->mapTo(&dialog, QPoint()), clip->parentWidget()->size())
            : dialog.rect();
        const bool scrollsDown = clip && clip != &dialog;
        if (shown.right() > room.right() || shown.left() < room.left()
            || (!scrollsDown && shown.bottom() > room.bottom()))
            problems.append(QStringLiteral("%1: %2 at %3,%4 %5x%6 is outside %7x%8")
                                .arg(where, widget->objectName())
                                .arg(shown.x())
                                .arg(shown.y())
                                .arg(shown.width())
                                .arg(shown.height())
                                .arg(room.width())
                                .arg(room.height()));
    }
    return problems;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const bool noScrolling = app.arguments().contains(u"--no-scrolling"_s);
    testing::FixedDataSources dataSources {{QStringLiteral("Sales")}};
    QStringList problems;
    for (const char *progId : {"SQLOLEDB.1", "MSOLEDBSQL19.1", "Microsoft.ACE.OLEDB.16.0",
                               "MSDASQL.1", "MSDAORA.1", "Vendor.Provider.1"}) {
        datalink::DataLinkDialog dialog(
            oledb::ProviderCatalogue::builtIn(),
            oledb::DataLinkProperties(oledb::ProviderCatalogue::builtIn()), dataSources);
        testing::DialogDriver driver(dialog);
        driver.chooseProvider(progId);
        driver.pick("authenticationCombo", 1);
        driver.type("userNameEdit", "sa");
        driver.type("passwordEdit", "secret");
        driver.click("allowSavingPasswordCheck");
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return 2;
        settle();
        const int openedWidth = dialog.width();
        for (auto tab :
             {datalink::DataLinkDialog::ProviderTab, datalink::DataLinkDialog::ConnectionTab,
              datalink::DataLinkDialog::AdvancedTab, datalink::DataLinkDialog::AllTab}) {
            dialog.showTab(tab);
            settle();
            problems
                += problemsOnTab(dialog,
                                 QString::fromLatin1(progId) + u", "_s
                                     + dialog.findChild<QTabWidget *>()->tabText(tab).remove(u'&'),
                                 noScrolling);
        }
        if (dialog.width() != openedWidth)
            problems.append(QStringLiteral("%1: the dialog grew from %2 to %3 pixels wide")
                                .arg(QString::fromLatin1(progId))
                                .arg(openedWidth)
                                .arg(dialog.width()));
    }
    for (const QString &problem : std::as_const(problems))
        std::printf("%s\n", qPrintable(problem));
    return problems.isEmpty() ? 0 : 1;
}
