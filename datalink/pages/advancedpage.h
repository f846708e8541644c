#pragma once

#include <QList>
#include <QWidget>

#include <utility>

namespace datalink {

class DataLinkDraft;
class PropertyEditor;

// Time-out, access permissions, impersonation and protection: whichever the provider has.
class AdvancedPage final : public QWidget
{
    Q_OBJECT

public:
    explicit AdvancedPage(DataLinkDraft &draft, QWidget *parent = nullptr);

    void refresh();

private:
    DataLinkDraft &m_draft;
    QList<std::pair<QString, PropertyEditor *>> m_editors;
};

} // namespace datalink
