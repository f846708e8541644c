#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>
#include <utility>

class QLineEdit;

namespace drivers {
class IOdbcDataSources;
}

namespace datalink {

class DataLinkDraft;

// Asks the user for a file or a folder; an empty result means the user gave up.
using FileChooser = std::function<QString(QWidget *parent, const QString &caption,
                                          const QString &filter, bool folder)>;

// The part of the Connection tab that fits the chosen provider. Pages write the draft only for
// what the user does, so a string opened and left alone comes back exactly as it went in.
class ConnectionPage : public QWidget
{
    Q_OBJECT

public:
    explicit ConnectionPage(DataLinkDraft &draft, QWidget *parent = nullptr);

    // Shows the draft's values again after a change made elsewhere.
    virtual void refresh();

protected:
    // A line edit for one property: typing sets it, emptying the field takes it out.
    QLineEdit *addBoundLineEdit(const QString &objectName, const QString &property);

    DataLinkDraft &m_draft;

private:
    QList<std::pair<QLineEdit *, QString>> m_boundEdits;
};

ConnectionPage *makeConnectionPage(DataLinkDraft &draft, drivers::IOdbcDataSources &dataSources,
                                   const FileChooser &chooseFile, QWidget *parent);

} // namespace datalink
