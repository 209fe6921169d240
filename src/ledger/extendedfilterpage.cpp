#include "ledger/extendedfilterpage.h"

#include "core/clock.h"
#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "views/dateeditor.h"
#include "views/dateperiods.h"
#include "views/filterbuilder.h"
#include "views/presetdialog.h"
#include "views/presets.h"
#include "views/selectionlists.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace zovi {

namespace {

QString DeleteQuestion() {
    return LangText(QStringLiteral("err011"), QStringLiteral("Do you want delete?"));
}

} // namespace

ExtendedFilterPage::ExtendedFilterPage(LedgerTables& tables, QWidget* parent)
    : QWidget(parent), m_data(tables) {
    setObjectName(QStringLiteral("TabSheetExtended"));
    auto* layout = new QHBoxLayout(this);
    m_presetList = Named(new QListWidget(this), "ListBox1");
    layout->addWidget(m_presetList, 1);
    // The buttons stand in one row at the top beside the list: the panel under the grid is
    // too low for a column of three buttons.
    auto* presetButtons = new QHBoxLayout;
    m_loadPresetButton = Named(new QPushButton(QStringLiteral("Load"), this), "Button1");
    m_deletePresetButton = Named(new QPushButton(QStringLiteral("Delete"), this), "Button7");
    m_savePresetButton = Named(new QPushButton(QStringLiteral("Save as..."), this), "Button9");
    for (QPushButton* b : {m_loadPresetButton, m_deletePresetButton, m_savePresetButton})
        presetButtons->addWidget(b);
    layout->addLayout(presetButtons);
    layout->setAlignment(presetButtons, Qt::AlignTop);

    // The lists sit above the grid while the page is shown.
    m_listsPanel = Named(new QWidget(this), "Panel2");
    m_lists = Named(new SelectionListsFrame(m_listsPanel), "FrameStat1");
    auto* panelLayout = new QVBoxLayout(m_listsPanel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(m_lists);
    m_listsPanel->setMaximumHeight(220);
    m_listsPanel->hide();

    connect(m_lists, &SelectionListsFrame::lineTicked, this, &ExtendedFilterPage::listTicked);
    connect(m_lists, &SelectionListsFrame::addClicked, this, &ExtendedFilterPage::addPeriod);
    connect(m_lists, &SelectionListsFrame::deleteClicked, this, &ExtendedFilterPage::deletePeriod);
    connect(m_loadPresetButton, &QPushButton::clicked, this,
            &ExtendedFilterPage::onLoadPresetClicked);
    connect(m_deletePresetButton, &QPushButton::clicked, this,
            &ExtendedFilterPage::onDeletePresetClicked);
    connect(m_savePresetButton, &QPushButton::clicked, this,
            &ExtendedFilterPage::onSavePresetClicked);
}

void ExtendedFilterPage::activate() {
    if (m_data.tbGrD.isOpen()) {
        try {
            const auto lines = SelectionListLines(m_data);
            for (int list = 0; list < int(lines.size()); ++list)
                m_lists->setLines(list, lines[size_t(list)]);
        } catch (const StoreError& e) {
            Messages::error(this, e.message());
        }
    }
    m_listsPanel->show();
    m_lists->selectBox(0);
    listPresets();
}

void ExtendedFilterPage::deactivate() {
    m_listsPanel->hide();
}

void ExtendedFilterPage::readFilterState(FilterState& state) const {
    state.incomeGroups = m_lists->ticked(SelectionListsFrame::kIncomeGroups);
    state.chargeGroups = m_lists->ticked(SelectionListsFrame::kChargeGroups);
    state.incomeSubGroups = m_lists->ticked(SelectionListsFrame::kIncomeSubGroups);
    state.chargeSubGroups = m_lists->ticked(SelectionListsFrame::kChargeSubGroups);
    state.accounts = m_lists->ticked(SelectionListsFrame::kAccounts);
    state.periods = m_lists->ticked(SelectionListsFrame::kDates);
}

QString ExtendedFilterPage::accountsSummary() const {
    return m_lists->summary(SelectionListsFrame::kAccounts);
}

QString ExtendedFilterPage::datesSummary() const {
    return m_lists->summary(SelectionListsFrame::kDates);
}

void ExtendedFilterPage::listTicked(int list) {
    Q_EMIT changed();
    m_lists->updateSummary(list);
}

void ExtendedFilterPage::addPeriod() {
    DateEditor dialog(this);
    dialog.setWindowTitle(LangText(QStringLiteral("caption012"), QStringLiteral("Period")));
    const QDate today = Clock::today();
    dialog.setPeriod(today, today);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_lists->addPeriod(PeriodText({dialog.from(), dialog.to()}));
    Q_EMIT changed();
    m_lists->updateSummary(SelectionListsFrame::kDates);
}

void ExtendedFilterPage::deletePeriod() {
    if (m_lists->ticked(SelectionListsFrame::kDates).isEmpty()) {
        Messages::error(this, LangText(QStringLiteral("err021"),
                                       QStringLiteral("There are no periods to delete.")));
        return;
    }
    if (Messages::confirm(this, DeleteQuestion()))
        m_lists->removeSelectedPeriod();
    Q_EMIT changed();
    m_lists->updateSummary(SelectionListsFrame::kDates);
}

void ExtendedFilterPage::listPresets() {
    m_presetList->clear();
    m_presetList->addItems(PresetNames());
}

void ExtendedFilterPage::onSavePresetClicked() {
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
        lists[size_t(list)] = m_lists->ticked(list);
    if (const auto failure = WritePresetFile(path, PresetBytes(lists))) {
        Messages::error(this, LangText(QStringLiteral("presetnotsaved"),
                                       QStringLiteral("The preset cannot be saved: %1"))
                                  .arg(*failure));
        return;
    }
    listPresets();
}

QString ExtendedFilterPage::chosenPresetPath(const QString& noneChosen) {
    const QList<QListWidgetItem*> chosen = m_presetList->selectedItems();
    if (chosen.isEmpty()) {
        Messages::error(this, noneChosen);
        return QString();
    }
    return PresetPath(chosen.first()->text());
}

void ExtendedFilterPage::onDeletePresetClicked() {
    const QString path =
        chosenPresetPath(LangText(QStringLiteral("err027"), QStringLiteral("Error #027")));
    if (path.isEmpty() || !Messages::confirm(this, DeleteQuestion()))
        return;
    QFile file(path);
    if (!file.remove()) {
        Messages::error(this, LangText(QStringLiteral("presetnotdeleted"),
                                       QStringLiteral("The preset cannot be deleted: %1"))
                                  .arg(file.errorString()));
    }
    listPresets();
}

void ExtendedFilterPage::onLoadPresetClicked() {
    const QString path =
        chosenPresetPath(LangText(QStringLiteral("err026"), QStringLiteral("Error #026")));
    if (path.isEmpty())
        return;
    QByteArray bytes;
    if (const auto failure = ReadPresetFile(path, &bytes)) {
        Messages::error(this, LangText(QStringLiteral("presetnotread"),
                                       QStringLiteral("The preset cannot be read: %1"))
                                  .arg(*failure));
        listPresets();
        return;
    }
    const PresetLists lists = ParsePreset(bytes);
    for (int list = 0; list < SelectionListsFrame::kDates; ++list)
        m_lists->setTicked(list, lists[size_t(list)]);
    m_lists->setPeriods(lists[SelectionListsFrame::kDates]);
    for (int list = 0; list < SelectionListsFrame::kLists; ++list)
        m_lists->updateSummary(list);
    Q_EMIT changed();
}

TranslationKeys ExtendedFilterPage::translationKeys() {
    using namespace translation;
    TranslationKeys keys = {
        {QStringLiteral("load"), Text(m_loadPresetButton)},
        {QStringLiteral("delete"), Text(m_deletePresetButton)},
        {QStringLiteral("save as"),
         [this](const QString& t) {
             m_savePresetButton->setText(t + QStringLiteral("..."));
         }},
    };
    const TranslationKeys lists = m_lists->translationKeys();
    keys.insert(keys.end(), lists.begin(), lists.end());
    AddNumbered(keys, "hint", 3, 22,
                {Hint(m_loadPresetButton), Hint(m_deletePresetButton), Hint(m_savePresetButton),
                 Hint(m_presetList)});
    return keys;
}

} // namespace zovi
