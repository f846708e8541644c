// The All tab with thousands of properties the provider does not declare: the time to open the
// dialog on it, to take one keystroke in a value and to add one property. Offscreen; CPU time of
// the process, as the machine it runs on is shared (wall time counts the neighbours' work too);
// medians of several runs. Run by hand (see README).

#include "datalink/datalinkdialog.h"
#include "drivers/discovery/odbcdatasources.h"
#include "oledb/datalinkproperties.h"
#include "oledb/providercatalogue.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

namespace {

class NoDataSources final : public drivers::IOdbcDataSources
{
public:
    QList<drivers::odbc::DataSource> dataSources() override { return {}; }
    QList<drivers::odbc::Driver> drivers() override { return {}; }
};

QString sampleString(int customProperties)
{
    QString text = QStringLiteral("Provider=SQLOLEDB.1;Data Source=srv;Initial Catalog=db");
    for (int i = 0; i < customProperties; ++i)
        text += QStringLiteral(";Custom Key %1=value %1").arg(i);
    return text;
}

// Milliseconds of CPU time since the last call.
class CpuTimer
{
public:
    void restart() { m_start = now(); }
    double elapsedMs() const { return (now() - m_start) * 1e3; }

private:
    static double now()
    {
        timespec reading {};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &reading);
        return double(reading.tv_sec) + double(reading.tv_nsec) / 1e9;
    }
    double m_start = now();
};

double median(QList<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples.at(samples.size() / 2);
}

struct Figures
{
    double openMs;
    double keystrokeMs;
    double addMs;
};

Figures measure(int customProperties)
{
    NoDataSources dataSources;
    const oledb::ProviderCatalogue &catalogue = oledb::ProviderCatalogue::builtIn();
    const QString text = sampleString(customProperties);
    CpuTimer timer;

    timer.restart();
    auto dialog = std::make_unique<datalink::DataLinkDialog>(
        catalogue, oledb::DataLinkProperties::fromString(catalogue, text), dataSources);
    dialog->showTab(datalink::DataLinkDialog::AllTab);
    dialog->show();
    QCoreApplication::processEvents();
    const double openMs = timer.elapsedMs();

    // A value in the middle of the table, open for editing as a double click leaves it.
    auto *table = dialog->findChild<QTableView *>(QStringLiteral("otherPropertiesTable"));
    const QModelIndex value = table->model()->index(customProperties / 2, 1);
    table->scrollTo(value);
    table->edit(value);
    QCoreApplication::processEvents();
    auto *editor = table->findChild<QLineEdit *>(
        QStringLiteral("value:Custom Key %1").arg(customProperties / 2));
    QList<double> keystrokes;
    for (int i = 0; i < 9; ++i) {
        timer.restart();
        QTest::keyClick(editor, i % 2 ? Qt::Key_Backspace : Qt::Key_X);
        QCoreApplication::processEvents();
        keystrokes.append(timer.elapsedMs());
    }

    QList<double> additions;
    for (int i = 0; i < 5; ++i) {
        dialog->findChild<QLineEdit *>(QStringLiteral("newPropertyNameEdit"))
            ->setText(QStringLiteral("Added %1").arg(i));
        timer.restart();
        dialog->findChild<QPushButton *>(QStringLiteral("addPropertyButton"))->click();
        QCoreApplication::processEvents();
        additions.append(timer.elapsedMs());
    }
    return {openMs, median(keystrokes), median(additions)};
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QList<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.append(QByteArray(argv[i]).toInt());
    if (sizes.isEmpty())
        sizes = {1000, 10000};
    std::printf("%10s %12s %14s %12s\n", "properties", "open (ms)", "keystroke (ms)", "add (ms)");
    for (int size : std::as_const(sizes)) {
        const Figures figures = measure(size);
        std::printf("%10d %12.1f %14.2f %12.2f\n", size, figures.openMs, figures.keystrokeMs,
                    figures.addMs);
    }
    return 0;
}
