#include "app/servicewindow.h"

#include "core/lang.h"
#include "core/messages.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace zovi {

ServiceWindow::ServiceWindow(LedgerTables& tables, QWidget* parent)
    : QDialog(parent), m_data(tables) {
    setObjectName(u"TfSystemMenu"_s);
    setWindowTitle(u"Service"_s);
    auto* layout = new QGridLayout(this);
    int row = 0;
    for (TableHandle* handle : {&m_data.tbData, &m_data.tbData2, &m_data.tbData3}) {
        const QString name = handle->objectName();
        layout->addWidget(new QLabel(name, this), row, 0);
        auto* state = new QLabel(this);
        state->setObjectName(name + u"State"_s);
        state->setMinimumWidth(140);
        layout->addWidget(state, row, 1);
        auto add = [&](const QString& what, int column, auto&& work) {
            auto* button = new QPushButton(what, this);
            button->setObjectName(name + what);
            layout->addWidget(button, row, column);
            connect(button, &QPushButton::clicked, this, [this, work] {
                try {
                    work();
                } catch (const StoreError& e) {
                    Messages::error(this, e.message());
                }
                showStates();
            });
            return button;
        };
        HandleRow r{handle, state, nullptr, nullptr, nullptr};
        r.open = add(u"Open"_s, 2, [handle] { handle->open(); });
        r.close = add(u"Close"_s, 3, [handle] { handle->close(); });
        r.refresh = add(u"Refresh"_s, 4, [handle] { handle->refresh(); });
        m_rows.append(r);
        ++row;
    }
    m_close = new QPushButton(u"Close window"_s, this);
    m_close->setObjectName(u"ButtonClose"_s);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(m_close, row, 0, 1, 5);
}

void ServiceWindow::showEvent(QShowEvent* event) {
    setWindowTitle(LangText(u"service"_s, u"Service"_s));
    const QString open = LangText(u"open"_s, u"Open"_s);
    const QString close = LangText(u"close"_s, u"Close"_s);
    const QString refresh = LangText(u"refresh"_s, u"Refresh"_s);
    for (const HandleRow& r : std::as_const(m_rows)) {
        r.open->setText(open);
        r.close->setText(close);
        r.refresh->setText(refresh);
    }
    m_close->setText(LangText(u"closewindow"_s, u"Close window"_s));
    showStates();
    QDialog::showEvent(event);
}

void ServiceWindow::showStates() {
    for (const HandleRow& r : std::as_const(m_rows)) {
        const bool opened = r.handle->isOpen();
        r.state->setText(
            opened ? LangText(u"handleopen"_s, u"open, %1 rows"_s).arg(r.handle->recordCount())
                   : LangText(u"handleclosed"_s, u"closed"_s));
        r.open->setEnabled(!opened);
        r.close->setEnabled(opened);
        r.refresh->setEnabled(opened);
    }
}

} // namespace zovi
