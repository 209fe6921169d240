// The menus of the main window with their shortcuts, the translation of its captions, and the
// appearance the settings choose.
#include "app/mainwindow.h"
#include "charts/diagramspage.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/skin.h"
#include "core/translate.h"
#include "debts/debtspage.h"
#include "ledger/ledgergridview.h"
#include "ledger/ledgerpage.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>

namespace zovi {

namespace {

QString S(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

QAction* MainWindow::action(const char* name, const QString& text, const QKeySequence& shortcut) {
    auto* a = new QAction(text, this);
    a->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) {
        a->setShortcut(shortcut);
        a->setShortcutContext(Qt::WindowShortcut);
    }
    addAction(a);
    m_actions.insert(a->objectName(), a);
    return a;
}

QAction* MainWindow::act(const char* name) const {
    return m_actions.value(QString::fromLatin1(name));
}

void MainWindow::buildMenus() {
    auto* bar = Named(menuBar(), "Menu1");

    QMenu* items = Named(bar->addMenu(S("Items")), "N1");
    QMenu* newMenu = Named(items->addMenu(S("New")), "N2");
    newMenu->addAction(action("NewRec", S("Charge/Income"), QKeySequence(Qt::CTRL | Qt::Key_N)));
    newMenu->addAction(
        action("bperevod", S("Transfer into account"), QKeySequence(Qt::CTRL | Qt::Key_T)));
    newMenu->addAction(
        action("NewObmen", S("Conversion of currency"), QKeySequence(Qt::CTRL | Qt::Key_C)));
    items->addAction(action("DeleteRec", S("Delete"), QKeySequence(Qt::CTRL | Qt::Key_D)));
    items->addAction(action("EditRec", S("Edit"), QKeySequence(Qt::ALT | Qt::Key_Backspace)));
    items->addAction(action("MoveRec", S("Move"), QKeySequence(Qt::CTRL | Qt::Key_M)));

    QMenu* debt = Named(bar->addMenu(S("Debt")), "N3");
    debt->addAction(action("NewCredit", S("New"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_N)));
    debt->addAction(
        action("DeleteCredit", S("Delete"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D)));
    debt->addAction(action("EditCredit", S("Edit"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_E)));
    for (QAction* a : debt->actions())
        a->setEnabled(false);

    QMenu* accounts = Named(bar->addMenu(S("Accounts")), "N4");
    accounts->addAction(action("Users", S("Accounts")));
    accounts->addAction(action("GroupsCharges", S("Groups of charges")));
    accounts->addAction(action("GroupsIncomes", S("Groups of incomes")));
    accounts->addAction(action("Currency", S("Currency")));
    accounts->addAction(action("Interface", S("Interface")));

    QMenu* additional = Named(bar->addMenu(S("Additional")), "N5");
    additional->addAction(
        action("PrintData", S("Print"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P)));
    additional->addAction(action("Calendar", S("Calendar")));
    additional->addAction(action("Calculator", S("Calculator")));
    QMenu* import = Named(additional->addMenu(S("Import")), "N6");
    import->addAction(action("ImportZovi5", S("Zovi 5")));
    QMenu* exportMenu = Named(additional->addMenu(S("Export")), "N7");
    exportMenu->addAction(action("ExportDbf", S("dBase [*.dbf]")));
    additional->addAction(action("SaveData", S("Save data"), QKeySequence(Qt::CTRL | Qt::Key_F2)));

    QMenu* chart = Named(bar->addMenu(S("Chart")), "N8");
    chart->addAction(action("ChartSaveAs", S("Save as...")));
    chart->addAction(action("ChartPrint", S("Print")));
    for (QAction* a : chart->actions())
        a->setEnabled(false);

    QMenu* help = Named(bar->addMenu(S("Help")), "N9");
    help->addAction(action("Help", S("Help")));
    help->addAction(action("About", S("About")));

    // Shortcuts without a menu item.
    action("SystemMenu", S("Service"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
}

void MainWindow::Lang() {
    using namespace translation;
    auto menu = [this](const char* name) {
        return menuBar()->findChild<QMenu*>(QString::fromLatin1(name));
    };
    const TranslationKeys keys = {
        {QStringLiteral("delete"), All({Text(act("DeleteRec")), Text(act("DeleteCredit"))})},
        {QStringLiteral("edit"), All({Text(act("EditRec")), Text(act("EditCredit"))})},
        {QStringLiteral("groups of incomes"), Text(act("GroupsIncomes"))},
        {QStringLiteral("groups of charges"), Text(act("GroupsCharges"))},
        {QStringLiteral("transfer into account"), Text(act("bperevod"))},
        {QStringLiteral("conversion of currency"), Text(act("NewObmen"))},
        {QStringLiteral("print"), All({Text(act("PrintData")), Text(act("ChartPrint"))})},
        {QStringLiteral("system001"),
         [this](const QString& t) {
             setWindowTitle(t);
         }},
        {QStringLiteral("editor"), TabText(Page, 0)},
        {QStringLiteral("debts"), TabText(Page, 1)},
        {QStringLiteral("diagrams"), TabText(Page, 2)},
        {QStringLiteral("items"), Title(menu("N1"))},
        {QStringLiteral("new"), All({Title(menu("N2")), Text(act("NewCredit"))})},
        {QStringLiteral("move"), Text(act("MoveRec"))},
        {QStringLiteral("charge/income"), Text(act("NewRec"))},
        {QStringLiteral("settings"), Title(menu("N4"))},
        {QStringLiteral("accounts"), Text(act("Users"))},
        {QStringLiteral("rate of exchange"), Text(act("Currency"))},
        {QStringLiteral("user interface"), Text(act("Interface"))},
        {QStringLiteral("additional"), Title(menu("N5"))},
        {QStringLiteral("calendar"), Text(act("Calendar"))},
        {QStringLiteral("calculator"), Text(act("Calculator"))},
        {QStringLiteral("help"), All({Title(menu("N9")), Text(act("Help"))})},
        {QStringLiteral("about"), Text(act("About"))},
        {QStringLiteral("chart"), Title(menu("N8"))},
        {QStringLiteral("save as"),
         [this](const QString& t) {
             act("ChartSaveAs")->setText(t + QStringLiteral("..."));
         }},
        {QStringLiteral("savedata"), Text(act("SaveData"))},
        {QStringLiteral("debt"), Title(menu("N3"))},
        {QStringLiteral("import"), Title(menu("N6"))},
        {QStringLiteral("dbzovi5"), Text(act("ImportZovi5"))},
        {QStringLiteral("export"), Title(menu("N7"))},
    };
    // Every control belongs to one page or to the frame, so each part applies its keys in
    // table order and the later of two keys reaching a control still wins.
    ApplyTranslations(keys);
    ApplyTranslations(m_ledger->translationKeys());
    ApplyTranslations(m_debts->translationKeys());
    ApplyTranslations(m_diagrams->translationKeys());
}

void MainWindow::LoadFace() {
    const bool transparent = settings::transparentToolbars.read();
    const bool flat = settings::flatButtons.read();
    m_ledger->applyFace(settings::accountTabsStyle.read(), transparent, flat,
                        settings::filterTabsBelow.read());
    m_debts->applyFace(transparent, flat);

    // The skin is loaded only when it differs from the one worn (a preview may have loaded it
    // already); one that is not ready gives way to the program's own.
    QString skin = settings::skin.read();
    if (skin.isEmpty())
        skin = ProgramFolder::file(QStringLiteral("Skins/Longhorn.sui"));
    if (skin != SkinEngine::loaded() && !SkinEngine::load(skin))
        SkinEngine::load(ProgramFolder::file(QStringLiteral("Skins/Longhorn.sui")));
    m_ledger->setFading(settings::fadeDialogs.read());

    for (const Setting<bool>& arrangement :
         {settings::pageTabsLeft, settings::filterTabsBelow, settings::valuePanelCompact})
        arrangement.writeFallbackIfMissing();
    const bool pageLeft = settings::pageTabsLeft.read();
    Page->setTabPosition(pageLeft ? QTabWidget::West : QTabWidget::North);
    const int tabWidth = pageLeft ? 130 : 230;
    Page->tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { %1: %2px; }")
            .arg(pageLeft ? QStringLiteral("min-height") : QStringLiteral("min-width"))
            .arg(tabWidth));
    Page->setProperty("tabWidth", tabWidth);
    m_ledger->setBottomPanelExtended(!settings::valuePanelCompact.read());
}

void MainWindow::SizeLoad() {
    m_ledger->grid()->loadColumnWidths(width());
    m_debts->loadColumnWidths(width());
}

void MainWindow::SizeSave() {
    m_ledger->grid()->saveColumnWidths();
}

} // namespace zovi
