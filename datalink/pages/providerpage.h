#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

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
    // Where a ProgID is still to be typed.
    void focusProgId();

Q_SIGNALS:
    void nextRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void choose();
    void next();

    DataLinkDraft &m_draft;
    QListWidget *m_list;
    QLabel *m_otherLabel;
    QLineEdit *m_otherProgId;
    QPushButton *m_next;
};

} // namespace datalink
