#pragma once

#include "core/translate.h"

#include <QWidget>

class QListWidget;
class QPushButton;

namespace zovi {

class LedgerTables;
class PresetNameDialog;
class SelectionListsFrame;
struct FilterState;

// The "Extended" filter page: the selection lists of groups, sub-groups, accounts and date
// periods, shown above the grid while the page is, and the presets that keep their ticks and
// periods under a name.
class ExtendedFilterPage : public QWidget {
    Q_OBJECT

public:
    ExtendedFilterPage(LedgerTables& tables, QWidget* parent = nullptr);

    // The panel of the selection lists, placed above the grid by the ledger page.
    QWidget* selectionListsPanel() const { return m_listsPanel; }

    // The page became the shown one: the lists start from the classifiers as they are now,
    // nothing ticked; the periods stay, and so do the summaries until the next tick or load.
    void activate();
    // Another page became the shown one: the lists hide.
    void deactivate();

    // The page's part of the filter state.
    void readFilterState(FilterState& state) const;
    // The summaries of the accounts and of the dates, as their labels show them.
    QString accountsSummary() const;
    QString datesSummary() const;

    // The page's keys, with the numbered hints of the preset buttons and the preset list, the
    // page's 22nd to 25th.
    TranslationKeys translationKeys();

Q_SIGNALS:
    // A tick, a period or a loaded preset changed what the lists admit.
    void changed();

private:
    void listTicked(int list);
    void addPeriod();
    void deletePeriod();
    void listPresets();
    // The file of the preset selected in the list; empty, after the error noneChosen, when none
    // is selected.
    QString chosenPresetPath(const QString& noneChosen);
    void onLoadPresetClicked();
    void onDeletePresetClicked();
    void onSavePresetClicked();

    LedgerTables& m_data;
    QWidget* m_listsPanel = nullptr;
    SelectionListsFrame* m_lists = nullptr;
    QListWidget* m_presetList = nullptr;
    QPushButton* m_loadPresetButton = nullptr;
    QPushButton* m_deletePresetButton = nullptr;
    QPushButton* m_savePresetButton = nullptr;
    PresetNameDialog* m_presetName = nullptr;
};

} // namespace zovi
