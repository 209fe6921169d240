// The "Extended" filter page: the selection lists above the grid, their date periods, and the
// presets that keep the ticks and periods under a name.
#include "core/clock.h"
#include "core/lang.h"
#include "core/locale.h"
#include "core/messages.h"
#include "ledger/ledgerpage.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "views/dateeditor.h"
#include "views/framestat.h"
#include "views/presetdialog.h"
#include "views/presets.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>

namespace zovi {

namespace {

QString DeleteQuestion() {
    return LangText(QStringLiteral("err011"), QStringLiteral("Do you want delete?"));
}

} // namespace

void LedgerPage::connectSelectionLists() {
    connect(FrameStat1, &SelectionListsFrame::lineTicked, this, &LedgerPage::listTicked);
    connect(FrameStat1, &SelectionListsFrame::addClicked, this, &LedgerPage::addPeriod);
    connect(FrameStat1, &SelectionListsFrame::deleteClicked, this, &LedgerPage::deletePeriod);
    connect(Button1, &QPushButton::clicked, this, &LedgerPage::Button1Click);
    connect(Button7, &QPushButton::clicked, this, &LedgerPage::Button7Click);
    connect(Button9, &QPushButton::clicked, this, &LedgerPage::Button9Click);
}

QString LedgerPage::accountsSummary() const {
    return FrameStat1->summary(4);
}

QString LedgerPage::datesSummary() const {
    return FrameStat1->summary(SelectionListsFrame::kDates);
}

void LedgerPage::refreshIfAuto() {
    if (CheckBox7->isChecked())
        SelFilter();
}

void LedgerPage::filterPageChanged(int index) {
    if (index == 1) {
        // The lists start from the classifiers as they are now, nothing ticked; the periods
        // stay, and so do the summaries until the next tick or load.
        if (m_data.tbGrD.isOpen()) {
            try {
                const auto lines = SelectionListLines(m_data);
                for (int list = 0; list < int(lines.size()); ++list)
                    FrameStat1->setLines(list, lines[size_t(list)]);
            } catch (const StoreError& e) {
                Messages::error(this, e.message());
            }
        }
        Panel2->show();
        FrameStat1->selectBox(0);
        ListPreset();
    } else {
        Panel2->hide();
    }
    SelFilter();
}

void LedgerPage::listTicked(int list) {
    refreshIfAuto();
    FrameStat1->updateSummary(list);
}

void LedgerPage::addPeriod() {
    DateEditor dialog(this);
    dialog.setWindowTitle(LangText(QStringLiteral("caption012"), QStringLiteral("Period")));
    const QDate today = Clock::today();
    dialog.setPeriod(today, today);
    if (dialog.exec() != QDialog::Accepted)
        return;
    FrameStat1->addPeriod(AppLocale::formatDate(dialog.from()) + QLatin1Char('-') +
                          AppLocale::formatDate(dialog.to()));
    refreshIfAuto();
    FrameStat1->updateSummary(SelectionListsFrame::kDates);
}

void LedgerPage::deletePeriod() {
    if (FrameStat1->ticked(SelectionListsFrame::kDates).isEmpty()) {
        Messages::error(this, LangText(QStringLiteral("err021"),
                                       QStringLiteral("There are no periods to delete.")));
        return;
    }
    if (Messages::confirm(this, DeleteQuestion()))
        FrameStat1->removeSelectedPeriod();
    refreshIfAuto();
    FrameStat1->updateSummary(SelectionListsFrame::kDates);
}

void LedgerPage::ListPreset() {
    ListBox1->clear();
    ListBox1->addItems(PresetNames());
}

void LedgerPage::Button9Click() {
    if (!m_presetName)
        m_presetName = new PresetNameDialog(this);
    QString typed;
    if (!m_presetName->ask(typed))
        return;
    const QString name = typed.trimmed();
    if (name.isEmpty())
        return;
    if (!IsValidPresetName(name)) {
        Messages::error(this, LangText(QStringLiteral("presetname"),
                                       QStringLiteral("A preset name cannot hold \"/\" or \"\\\", "
                                                      "nor be \".\" or \"..\".")));
        return;
    }
    const QString path = PresetPath(name);
    if (QFileInfo::exists(path)) {
        Messages::error(this, LangText(QStringLiteral("err023"),
                                       QStringLiteral("A preset with this name already exists.")));
        return;
    }
    PresetLists lists;
    for (int list = 0; list < SelectionListsFrame::kLists; ++list)
        lists[size_t(list)] = FrameStat1->ticked(list);
    if (const auto failure = WritePresetFile(path, PresetBytes(lists))) {
        Messages::error(this, LangText(QStringLiteral("presetnotsaved"),
                                       QStringLiteral("The preset cannot be saved: %1"))
                                  .arg(*failure));
        return;
    }
    ListPreset();
}

void LedgerPage::Button7Click() {
    const QList<QListWidgetItem*> chosen = ListBox1->selectedItems();
    if (chosen.isEmpty()) {
        Messages::error(this, LangText(QStringLiteral("err027"), QStringLiteral("Error #027")));
        return;
    }
    if (!Messages::confirm(this, DeleteQuestion()))
        return;
    QFile file(PresetPath(chosen.first()->text()));
    if (!file.remove()) {
        Messages::error(this, LangText(QStringLiteral("presetnotdeleted"),
                                       QStringLiteral("The preset cannot be deleted: %1"))
                                  .arg(file.errorString()));
    }
    ListPreset();
}

void LedgerPage::Button1Click() {
    const QList<QListWidgetItem*> chosen = ListBox1->selectedItems();
    if (chosen.isEmpty()) {
        Messages::error(this, LangText(QStringLiteral("err026"), QStringLiteral("Error #026")));
        return;
    }
    QFile file(PresetPath(chosen.first()->text()));
    if (!file.open(QIODevice::ReadOnly)) {
        Messages::error(this, LangText(QStringLiteral("presetnotread"),
                                       QStringLiteral("The preset cannot be read: %1"))
                                  .arg(file.errorString()));
        ListPreset();
        return;
    }
    const PresetLists lists = ParsePreset(file.readAll());
    for (int list = 0; list < SelectionListsFrame::kDates; ++list)
        FrameStat1->setTicked(list, lists[size_t(list)]);
    FrameStat1->setPeriods(lists[SelectionListsFrame::kDates]);
    for (int list = 0; list < SelectionListsFrame::kLists; ++list)
        FrameStat1->updateSummary(list);
    refreshIfAuto();
}

} // namespace zovi
