// The menus of the main window with their shortcuts, the translation of its captions, and the
// appearance the settings choose.
#include "app/mainwindow.h"
#include "charts/diagramspage.h"
#include "core/lang.h"
#include "core/layouts.h"
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

QString Utf8(const char* text) {
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

    QMenu* items = Named(bar->addMenu(Utf8("Items")), "N1");
    items->addAction(action("UndoCommand", Utf8("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z)));
    items->addAction(
        action("RedoCommand", Utf8("Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    items->addSeparator();
    QMenu* newMenu = Named(items->addMenu(Utf8("New")), "N2");
    newMenu->addAction(action("NewRec", Utf8("Charge/Income"), QKeySequence(Qt::CTRL | Qt::Key_N)));
    newMenu->addAction(
        action("bperevod", Utf8("Transfer into account"), QKeySequence(Qt::CTRL | Qt::Key_T)));
    newMenu->addAction(
        action("NewObmen", Utf8("Conversion of currency"), QKeySequence(Qt::CTRL | Qt::Key_C)));
    items->addAction(action("DeleteRec", Utf8("Delete"), QKeySequence(Qt::CTRL | Qt::Key_D)));
    items->addAction(action("EditRec", Utf8("Edit"), QKeySequence(Qt::ALT | Qt::Key_Backspace)));
    items->addAction(action("MoveRec", Utf8("Move"), QKeySequence(Qt::CTRL | Qt::Key_M)));

    QMenu* debt = Named(bar->addMenu(Utf8("Debt")), "N3");
    debt->addAction(action("NewCredit", Utf8("New"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_N)));
    debt->addAction(
        action("DeleteCredit", Utf8("Delete"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_D)));
    debt->addAction(
        action("EditCredit", Utf8("Edit"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_E)));
    for (QAction* a : debt->actions())
        a->setEnabled(false);

    QMenu* accounts = Named(bar->addMenu(Utf8("Accounts")), "N4");
    accounts->addAction(action("Users", Utf8("Accounts")));
    accounts->addAction(action("GroupsCharges", Utf8("Groups of charges")));
    accounts->addAction(action("GroupsIncomes", Utf8("Groups of incomes")));
    accounts->addAction(action("Currency", Utf8("Currency")));
    accounts->addAction(action("Interface", Utf8("Interface")));

    QMenu* additional = Named(bar->addMenu(Utf8("Additional")), "N5");
    additional->addAction(
        action("PrintData", Utf8("Print"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P)));
    additional->addAction(action("Calendar", Utf8("Calendar")));
    additional->addAction(action("Calculator", Utf8("Calculator")));
    QMenu* import = Named(additional->addMenu(Utf8("Import")), "N6");
    import->addAction(action("ImportZovi5", Utf8("Zovi 5")));
    import->addAction(action("ImportQif", Utf8("QIF file...")));
    import->addAction(action("ImportCsv", Utf8("CSV file...")));
    import->addAction(action("ImportOfx", Utf8("OFX file...")));
    QMenu* exportMenu = Named(additional->addMenu(Utf8("Export")), "N7");
    exportMenu->addAction(action("ExportDbf", Utf8("dBase [*.dbf]")));
    exportMenu->addAction(action("ExportCsv", Utf8("CSV file...")));
    additional->addAction(
        action("SaveData", Utf8("Save data"), QKeySequence(Qt::CTRL | Qt::Key_F2)));

    QMenu* chart = Named(bar->addMenu(Utf8("Chart")), "N8");
    chart->addAction(action("ChartSaveAs", Utf8("Save as...")));
    chart->addAction(action("ChartPrint", Utf8("Print")));
    for (QAction* a : chart->actions())
        a->setEnabled(false);

    QMenu* help = Named(bar->addMenu(Utf8("Help")), "N9");
    help->addAction(action("Help", Utf8("Help")));
    help->addAction(action("About", Utf8("About")));

    // Shortcuts without a menu item.
    action("SystemMenu", LangText(QStringLiteral("service"), Utf8("Service")),
           QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Z));
}

void MainWindow::translate() {
    updateHistoryActions();
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
        {QStringLiteral("editor"), TabText(m_pages, 0)},
        {QStringLiteral("debts"), TabText(m_pages, 1)},
        {QStringLiteral("diagrams"), TabText(m_pages, 2)},
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
        {QStringLiteral("importqif"), Text(act("ImportQif"))},
        {QStringLiteral("importcsv"), Text(act("ImportCsv"))},
        {QStringLiteral("importofx"), Text(act("ImportOfx"))},
        {QStringLiteral("export"), Title(menu("N7"))},
        {QStringLiteral("exportcsv"), Text(act("ExportCsv"))},
    };
    // Every control belongs to one page or to the frame, so each part applies its keys in
    // table order and the later of two keys reaching a control still wins.
    ApplyTranslations(keys);
    ApplyTranslations(m_ledger->translationKeys());
    ApplyTranslations(m_debts->translationKeys());
    ApplyTranslations(m_diagrams->translationKeys());
}

void MainWindow::applyAppearance() {
    const bool transparent = settings::transparentToolbars.read();
    const bool flat = settings::flatButtons.read();
    m_ledger->applyFace(settings::accountTabsStyle.read(), transparent, flat,
                        settings::filterTabsBelow.read());
    m_debts->applyFace(transparent, flat);

    // The skin is loaded only when it differs from the one worn (a preview may have loaded it
    // already); one that is not ready gives way to the program's own.
    QString skin = settings::skin.read();
    if (skin.isEmpty())
        skin = SkinEngine::defaultSkin();
    if (skin != SkinEngine::loaded() && !SkinEngine::load(skin))
        SkinEngine::load(SkinEngine::defaultSkin());
    m_ledger->setFading(settings::fadeDialogs.read());

    for (const Setting<bool>& arrangement :
         {settings::pageTabsLeft, settings::filterTabsBelow, settings::valuePanelCompact})
        arrangement.writeFallbackIfMissing();
    const bool pageLeft = settings::pageTabsLeft.read();
    m_pages->setTabPosition(pageLeft ? QTabWidget::West : QTabWidget::North);
    const int tabWidth = pageLeft ? 130 : 230;
    m_pages->tabBar()->setStyleSheet(
        QStringLiteral("QTabBar::tab { %1: %2px; }")
            .arg(pageLeft ? QStringLiteral("min-height") : QStringLiteral("min-width"))
            .arg(tabWidth));
    m_pages->setProperty("tabWidth", tabWidth);
    m_ledger->setBottomPanelExtended(!settings::valuePanelCompact.read());
}

void MainWindow::loadColumnWidths() {
    m_ledger->grid()->loadColumnWidths(width());
    m_debts->loadColumnWidths(width());
}

void MainWindow::saveColumnWidths() {
    m_ledger->grid()->saveColumnWidths();
}

} // namespace zovi
