#include "core/toolbaroverflow.h"

#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>

namespace zovi {

namespace {

// Takes the clicks and keys of the toolbar's extension button and shows the overflow menu
// instead of the expansion the toolbar would only do inside a main window's toolbar area.
class OverflowFilter : public QObject {
public:
    OverflowFilter(QToolBar* bar, QObject* parent) : QObject(parent), m_bar(bar) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* extension = qobject_cast<QToolButton*>(watched);
        if (!extension || !m_bar)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            showMenu(extension);
            return true;
        case QEvent::MouseButtonRelease:
            return true;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter ||
                key == Qt::Key_Down) {
                showMenu(extension);
                return true;
            }
            return false;
        }
        default:
            return false;
        }
    }

private:
    void showMenu(QToolButton* extension) {
        QMenu* menu = ToolBarOverflowMenu(m_bar);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(extension->mapToGlobal(QPoint(0, extension->height())));
    }

    QPointer<QToolBar> m_bar;
};

} // namespace

QMenu* ToolBarOverflowMenu(QToolBar* bar) {
    auto* menu = new QMenu(bar);
    menu->setObjectName(QStringLiteral("OverflowMenu"));
    for (QAction* action : bar->actions()) {
        auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
        if (!button || button->isVisibleTo(bar) || button->objectName().startsWith(u"qt_"))
            continue;
        QAction* item = menu->addAction(button->text());
        item->setObjectName(button->objectName());
        item->setToolTip(button->toolTip());
        item->setEnabled(button->isEnabled());
        QPointer<QToolButton> target(button);
        QObject::connect(item, &QAction::triggered, button, [target] {
            if (target && target->isEnabled())
                target->click();
        });
    }
    return menu;
}

void AddToolBarOverflow(QToolBar* bar) {
    auto* extension = bar->findChild<QToolButton*>(QStringLiteral("qt_toolbar_ext_button"));
    if (extension)
        extension->installEventFilter(new OverflowFilter(bar, bar));
}

} // namespace zovi
