#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;

namespace datalink {

class DataLinkDraft;

// The providers by description. The last entry stands for any provider the catalogue does not
// know, named by its ProgID.
class ProviderPage final : public QWidget
{
    Q_OBJECT

public:
    explicit ProviderPage(DataLinkDraft &draft, QWidget *parent = nullptr);

    void refresh();

Q_SIGNALS:
    void nextRequested();

private:
    void choose();

    DataLinkDraft &m_draft;
    QListWidget *m_list;
    QLabel *m_otherLabel;
    QLineEdit *m_otherProgId;
};

} // namespace datalink
