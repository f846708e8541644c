#pragma once

#include "datalink/pages/connectionpage.h"

class QCheckBox;

namespace datalink {

class LogOnFields;

// For Oracle and for any provider without a page of its own: the connection properties the
// provider declares, each asked for once.
class GenericPage final : public ConnectionPage
{
    Q_OBJECT

public:
    GenericPage(DataLinkDraft &draft, QWidget *parent = nullptr);

    void refresh() override;

private:
    QCheckBox *m_integrated = nullptr;
    LogOnFields *m_logOn = nullptr;
};

} // namespace datalink
