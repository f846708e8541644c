#pragma once

#include <QPlainTextEdit>

namespace datalink {

// The live connection string, read-only. What it shows may not be what OK writes (passwords
// masked, a long string cut short); a copy of that would look whole and fail at log-on, so
// copying is refused then, and the refusal is reported for the dialog to say why.
class LiveStringView final : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit LiveStringView(QWidget *parent = nullptr);

    // Lines shown at least; the dialog gives the view any height left over.
    static constexpr int Lines = 4;

    QSize sizeHint() const override;
    int linesHigh(int lines) const;

    // Why the text shown cannot stand for the string; empty when it can, and copying works.
    void setCopyRefusal(const QString &reason);
    QString copyRefusal() const { return m_refusal; }

Q_SIGNALS:
    void copyRefused(const QString &reason);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    // Also what a drag and the X11 selection carry.
    QMimeData *createMimeDataFromSelection() const override;

private:
    QString m_refusal;
};

} // namespace datalink
