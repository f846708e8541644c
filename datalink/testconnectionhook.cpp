#include "datalink/testconnectionhook.h"

#include "drivers/testing/providerdispatcher.h"
#include "drivers/testing/testconnectionrunner.h"

#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>

namespace datalink {

namespace {

const QString Title = QStringLiteral("Test Connection");
const QString ProgressName = QStringLiteral("testConnectionProgress");
const QString ResultName = QStringLiteral("testConnectionResult");
// Long enough that a test answered at once (a file check, a refused port) shows no flicker.
constexpr int ProgressDelayMs = 400;

void showResult(QWidget *dialog, const drivers::TestResult &result)
{
    const auto icon = result.outcome == drivers::TestResult::Outcome::Failed
        ? QMessageBox::Warning
        : QMessageBox::Information;
    auto *box = new QMessageBox(icon, Title, result.message, QMessageBox::Ok, dialog);
    box->setObjectName(ResultName);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::WindowModal);
    box->open();
}

} // namespace

ConnectionTester makeTestConnectionHook(std::shared_ptr<drivers::IConnectionTester> tester,
                                        const oledb::ProviderCatalogue &catalogue)
{
    return [tester, &catalogue](const QString &connectionString, QWidget *dialog) {
        if (dialog && dialog->findChild<QProgressDialog *>(ProgressName))
            return;

        // Everything hangs off the progress dialog, so closing the Data Link dialog mid-test
        // takes the runner along and the late result goes nowhere.
        auto *progress = new QProgressDialog(QStringLiteral("Testing the connection..."),
                                             QStringLiteral("Cancel"), 0, 0, dialog);
        progress->setObjectName(ProgressName);
        progress->setWindowTitle(Title);
        progress->setWindowModality(Qt::WindowModal);
        progress->setAutoClose(false);
        progress->setAutoReset(false);
        progress->setMinimumDuration(ProgressDelayMs);
        progress->setValue(0);

        auto *runner = new drivers::TestConnectionRunner(tester, catalogue, progress);
        QObject::connect(progress, &QProgressDialog::canceled, runner, [progress, runner] {
            runner->cancel();
            progress->deleteLater();
        });
        const QPointer<QWidget> owner(dialog);
        const bool owned = dialog != nullptr;
        QObject::connect(runner, &drivers::TestConnectionRunner::finished, runner,
                         [progress, owner, owned](const drivers::TestResult &result) {
                             progress->hide();
                             progress->deleteLater();
                             if (owner || !owned)
                                 showResult(owner, result);
                         });
        runner->start(connectionString);
    };
}

ConnectionTester makeTestConnectionHook(const oledb::ProviderCatalogue &catalogue)
{
    return makeTestConnectionHook(drivers::makeConnectionTester(catalogue), catalogue);
}

} // namespace datalink
