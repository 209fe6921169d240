#include "app/servicewindow.h"

#include "core/messages.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace zovi {

TfSystemMenu::TfSystemMenu(Tdata& tables, QWidget* parent) : QDialog(parent), m_data(tables) {
    setObjectName(QStringLiteral("TfSystemMenu"));
    setWindowTitle(QStringLiteral("Service"));
    auto* layout = new QGridLayout(this);
    const QList<TableHandle*> handles = {&m_data.tbData, &m_data.tbData2, &m_data.tbData3};
    int row = 0;
    for (TableHandle* handle : handles) {
        layout->addWidget(new QLabel(handle->objectName(), this), row, 0);
        auto add = [&](const QString& what, int column, auto&& work) {
            auto* button = new QPushButton(what, this);
            button->setObjectName(handle->objectName() + what);
            layout->addWidget(button, row, column);
            connect(button, &QPushButton::clicked, this, [this, work] {
                try {
                    work();
                } catch (const StoreError& e) {
                    Messages::error(this, e.message());
                }
            });
        };
        add(QStringLiteral("Open"), 1, [handle] { handle->open(); });
        add(QStringLiteral("Close"), 2, [handle] { handle->close(); });
        add(QStringLiteral("Refresh"), 3, [handle] { handle->refresh(); });
        ++row;
    }
    auto* close = new QPushButton(QStringLiteral("Close window"), this);
    close->setObjectName(QStringLiteral("ButtonClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, row, 0, 1, 4);
}

} // namespace zovi
