// Applies the translation table to the main window: every key in its order, the later of two
// keys that reach the same control winning.
#include "app/mainwindow.h"
#include "core/lang.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <functional>
#include <utility>
#include <vector>

namespace zovi {

void Tstart_form::Lang() {
    using Apply = std::function<void(const QString&)>;
    auto act = [this](const char* name) {
        return m_actions.value(QString::fromLatin1(name));
    };
    auto button = [this](const char* name) {
        return m_buttons.value(QString::fromLatin1(name));
    };
    auto menu = [this](const char* name) {
        return menuBar()->findChild<QMenu*>(QString::fromLatin1(name));
    };
    auto pushButton = [this](const char* name) {
        return findChild<QPushButton*>(QString::fromLatin1(name));
    };
    auto text = [](auto* target) {
        return [target](const QString& t) {
            target->setText(t);
        };
    };
    auto hint = [](auto* target) {
        return [target](const QString& t) {
            target->setToolTip(t);
        };
    };
    auto title = [](QMenu* target) {
        return [target](const QString& t) {
            target->setTitle(t);
        };
    };
    auto all = [](std::vector<Apply> targets) {
        return [targets = std::move(targets)](const QString& t) {
            for (const Apply& f : targets)
                f(t);
        };
    };
    auto item = [](QComboBox* box, int index) {
        return [box, index](const QString& t) {
            if (index < box->count())
                box->setItemText(index, t);
        };
    };
    auto boxed = [](QGroupBox* box) {
        return [box](const QString& t) {
            box->setTitle(QLatin1Char(' ') + t + QLatin1Char(' '));
        };
    };
    auto filterPage = [this](int index) {
        return [this, index](const QString& t) {
            PageControl2->setTabText(index, t);
        };
    };
    auto filterPageHint = [this](int index) {
        return [this, index](const QString& t) {
            PageControl2->setTabToolTip(index, t);
        };
    };
    const Apply none;

    std::vector<std::pair<const char*, Apply>> keys = {
        {"groups", text(CheckBox3)},
        {"date", all({item(ComboBox3, 0), text(Filter)})},
        {"add", none},
        {"delete",
         all({text(act("DeleteRec")), text(act("DeleteCredit")), hint(button("DeleteCredit_bt")),
              text(pushButton("DeleteOplata")), text(act("PopupDelete")), hint(button("tb2"))})},
        {"edit", all({text(act("EditRec")), text(act("EditCredit")), hint(button("EditCredit_bt")),
                      text(act("PopupEdit")), hint(button("tb3"))})},
        {"groups of incomes", all({text(act("GroupsIncomes")), item(ComboBox2, 0)})},
        {"groups of charges", all({text(act("GroupsCharges")), item(ComboBox2, 1)})},
        {"sub-groups of charges", item(ComboBox2, 2)},
        {"sub-groups of incomes", item(ComboBox2, 3)},
        {"category of filter", hint(ComboBox2)},
        {"value of filter", hint(ComboBox1)},
        {"add charge/income", hint(button("tb1"))},
        {"transfer into account", all({text(act("bperevod")), hint(button("tb4"))})},
        {"conversion of currency", all({text(act("NewObmen")), hint(button("tb5"))})},
        {"print", all({text(act("PrintData")), text(act("ChartPrint")), hint(button("tb6"))})},
        {"exit", hint(button("tb8"))},
        {"fromdate", text(CheckBox4)},
        {"todate", text(CheckBox5)},
        {"system001",
         [this](const QString& t) {
             setWindowTitle(t);
         }},
        {"refresh", text(Button17)},
        {"editor",
         [this](const QString& t) {
             Page->setTabText(0, t);
         }},
        {"debts",
         [this](const QString& t) {
             Page->setTabText(1, t);
         }},
        {"diagrams",
         [this](const QString& t) {
             Page->setTabText(2, t);
         }},
        {"stat1", filterPage(0)},
        {"stat2", filterPage(1)},
        {"items", title(menu("N1"))},
        {"new", all({title(menu("N2")), text(act("NewCredit")), hint(button("NewCredit_bt")),
                     text(pushButton("AddOplata"))})},
        {"move", text(act("MoveRec"))},
        {"charge/income", text(act("NewRec"))},
        {"settings", title(menu("N4"))},
        {"accounts", text(act("Users"))},
        {"rate of exchange", text(act("Currency"))},
        {"columns", none},
        {"user interface", text(act("Interface"))},
        {"currency", none},
        {"additional", title(menu("N5"))},
        {"calendar", text(act("Calendar"))},
        {"calculator", text(act("Calculator"))},
        {"search", filterPage(2)},
        {"help", all({title(menu("N9")), text(act("Help"))})},
        {"about", text(act("About"))},
        {"yes", none},
        {"chart", title(menu("N8"))},
        {"save as",
         [act](const QString& t) {
             act("ChartSaveAs")->setText(t + QStringLiteral("..."));
         }},
        {"savedata", text(act("SaveData"))},
        {"calculating value to", boxed(GroupBoxValue)},
        {"pay debt", boxed(GroupBoxPay)},
        {"debt", title(menu("N3"))},
        {"import", title(menu("N6"))},
        {"dbzovi5", text(act("ImportZovi5"))},
        {"export", title(menu("N7"))},
        {"chart: incomes/charges",
         [this](const QString& t) {
             PageControl1->setTabText(0, t);
         }},
        {"chart: groups",
         [this](const QString& t) {
             PageControl1->setTabText(1, t);
         }},
        {"chargesandincomes", none},
        {"onlycharges", none},
        {"onlyincomes", none},
        {"refresh data", none},
        {"day", none},
        {"month", none},
        {"year", none},
        {"incomes - charges", none},
        {"incomes", text(rIncomes)},
        {"charges", text(rCharges)},
        {"sub-groups", none},
        {"all", text(rAll)},
        {"show plan", text(CheckBox10)},
        {"auto refresh", text(CheckBox7)},
        {"find", text(ButtonSearch1)},
        {"name", all({item(ComboBox3, 1), text(LabelSearch)})},
        {"zoom", none},
        {"rotation", none},
        {"elevation", none},
        {"horizoffset", none},
        {"vertoffset", none},
        {"perspective", none},
        {"showaxis", none},
        {"group", item(ComboBox3, 2)},
        {"sub-group", item(ComboBox3, 3)},
        {"account", item(ComboBox3, 4)},
        {"sorting", text(LabelSort)},
        {"load", text(pushButton("ButtonLoad"))},
        {"save", none},
    };

    // Toolbar captions and hints, and the numbered hints of the other controls.
    static const char* const toolbar[] = {"tb1", "tb2", "tb3", "tb4", "tb5", "tb6", "tb8"};
    static const char* const debtBar[] = {"NewCredit_bt", "DeleteCredit_bt", "EditCredit_bt"};
    std::vector<std::pair<QString, Apply>> numbered;
    for (int i = 0; i < 7; ++i)
        numbered.emplace_back(QStringLiteral("button%1").arg(i + 1, 2, 10, QLatin1Char('0')),
                              text(button(toolbar[i])));
    for (int i = 0; i < 3; ++i)
        numbered.emplace_back(QStringLiteral("button%1").arg(i + 8, 2, 10, QLatin1Char('0')),
                              text(button(debtBar[i])));
    const std::vector<Apply> hints = {
        hint(button("tb1")),
        hint(button("tb2")),
        hint(button("tb3")),
        hint(button("tb4")),
        hint(button("tb5")),
        hint(button("tb6")),
        hint(button("tb8")),
        all({hint(LabelSort), hint(ComboBox3)}),
        hint(rAll),
        hint(rIncomes),
        hint(rCharges),
        hint(CheckBox10),
        hint(Filter),
        all({hint(CheckBox4), hint(DateTimePicker1)}),
        all({hint(CheckBox5), hint(DateTimePicker2)}),
        hint(CheckBox3),
        hint(ComboBox2),
        hint(ComboBox1),
        filterPageHint(0),
        filterPageHint(1),
        filterPageHint(2),
        hint(pushButton("ButtonLoad")),
        hint(pushButton("ButtonDelete")),
        hint(pushButton("ButtonSaveAs")),
        hint(ListPresets),
        all({hint(LabelSearch), hint(EditSearch)}),
        hint(ButtonSearch1),
        hint(LabelV),
        hint(ComboBoxV),
        hint(GridValutaV),
        hint(CheckBox7),
        hint(Button17),
    };
    for (size_t i = 0; i < hints.size(); ++i)
        numbered.emplace_back(QStringLiteral("hint%1").arg(int(i) + 1, 3, 10, QLatin1Char('0')),
                              hints[i]);

    for (const auto& [key, apply] : keys) {
        QString value;
        if (LangString(QString::fromLatin1(key), value) && apply)
            apply(value);
    }
    for (const auto& [key, apply] : numbered) {
        QString value;
        if (LangString(key, value) && apply)
            apply(value);
    }
}

} // namespace zovi
