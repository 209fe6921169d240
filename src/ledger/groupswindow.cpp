#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/translate.h"
#include "ledger/classifierwindows.h"
#include "store/datamodules.h"

#include <QGroupBox>
#include <QPushButton>
#include <QShowEvent>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

TableModel& GroupModel(LedgerTables& data, GroupSide side) {
    return side == GroupSide::Charges ? data.dsGrR : data.dsGrD;
}

TableModel& SubGroupModel(LedgerTables& data, GroupSide side) {
    return side == GroupSide::Charges ? data.dsGrR2 : data.dsGrD2;
}

// The column of the name in the group and sub-group tables.
int NameColumn(TableHandle& t) {
    return t.isOpen() ? t.fieldIndex(fields::GroupTable::Name) : 1;
}

// The window's title names its side: "Groups of charges" or "Groups of incomes".
QString WindowTitle(GroupSide side) {
    return side == GroupSide::Charges ? LangText(u"chargegroups"_s, u"Groups of charges"_s)
                                      : LangText(u"incomegroups"_s, u"Groups of incomes"_s);
}

// The name editor's labels for a group and a sub-group.
QString GroupNameLabel() {
    return LangText(u"groupname"_s, u"Group name:"_s);
}

QString SubGroupNameLabel() {
    return LangText(u"subgroupname"_s, u"Sub-group name:"_s);
}

} // namespace

GroupsWindow::GroupsWindow(LedgerTables& tables, GroupSide side, NameEditor* editor,
                           const QStringList& names, QWidget* parent)
    : QDialog(parent), m_data(tables), m_side(side), m_editor(editor) {
    setWindowTitle(WindowTitle(side));
    setModal(true);

    // Both tables keep the name in their second column.
    m_groupsFrame = new QGroupBox(u" Groups "_s, this);
    m_groupsGrid = ClassifierGrid(m_groupsFrame, "DBGrid1", &GroupModel(tables, side), 1);
    m_subGroupsFrame = new QGroupBox(u" Sub-groups "_s, this);
    m_subGroupsGrid = ClassifierGrid(m_subGroupsFrame, "DBGrid2", &SubGroupModel(tables, side), 1);

    auto button = [&](QWidget* frame, int index, const QString& text) {
        auto* b = Named(new QPushButton(text, frame), names.at(index));
        b->setAutoDefault(false);
        return b;
    };
    m_addGroup = button(m_groupsFrame, 0, u"Add"_s);
    m_deleteGroup = button(m_groupsFrame, 1, u"Delete"_s);
    m_editGroup = button(m_groupsFrame, 2, u"Edit"_s);
    m_addSubGroup = button(m_subGroupsFrame, 3, u"Add"_s);
    m_deleteSubGroup = button(m_subGroupsFrame, 4, u"Delete"_s);
    m_editSubGroup = button(m_subGroupsFrame, 5, u"Edit"_s);
    m_ok = button(this, 6, u"OK"_s);
    m_ok->setDefault(true);

    auto* groups = new QVBoxLayout(m_groupsFrame);
    groups->addWidget(m_groupsGrid, 1);
    groups->addLayout(ButtonRow({m_addGroup, m_deleteGroup, m_editGroup}));
    auto* subGroups = new QVBoxLayout(m_subGroupsFrame);
    subGroups->addWidget(m_subGroupsGrid, 1);
    subGroups->addLayout(ButtonRow({m_addSubGroup, m_deleteSubGroup, m_editSubGroup}));
    auto* frames = new QHBoxLayout;
    frames->addWidget(m_groupsFrame, 1);
    frames->addWidget(m_subGroupsFrame, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames, 1);
    layout->addLayout(ButtonRow({m_ok}));
    resize(560, 360);

    // The sub-group grid follows the selected group: its first sub-group is selected.
    connect(m_groupsGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { selectSubGroup(0); });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_addGroup, &QPushButton::clicked, this, &GroupsWindow::onAddGroupClicked);
    connect(m_deleteGroup, &QPushButton::clicked, this, &GroupsWindow::onDeleteGroupClicked);
    connect(m_editGroup, &QPushButton::clicked, this, &GroupsWindow::onEditGroupClicked);
    connect(m_addSubGroup, &QPushButton::clicked, this, &GroupsWindow::onAddSubGroupClicked);
    connect(m_deleteSubGroup, &QPushButton::clicked, this, &GroupsWindow::onDeleteSubGroupClicked);
    connect(m_editSubGroup, &QPushButton::clicked, this, &GroupsWindow::onEditSubGroupClicked);
    updateButtons();
}

// The cancel key closes with OK too: every change is stored already.
void GroupsWindow::reject() {
    accept();
}

void GroupsWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        setWindowTitle(WindowTitle(m_side));
        QString caption;
        if (LangString(u"groups"_s, caption))
            m_groupsFrame->setTitle(u" "_s + caption + u" "_s);
        if (LangString(u"sub-groups"_s, caption))
            m_subGroupsFrame->setTitle(u" "_s + caption + u" "_s);
        for (QPushButton* b : {m_addGroup, m_addSubGroup})
            Translate(b, u"add"_s);
        for (QPushButton* b : {m_deleteGroup, m_deleteSubGroup})
            Translate(b, u"delete"_s);
        for (QPushButton* b : {m_editGroup, m_editSubGroup})
            Translate(b, u"edit"_s);
        Translate(m_ok, u"ok"_s);
        selectGroup(0);
    }
    QDialog::showEvent(event);
}

qint64 GroupsWindow::currentGroupId() const {
    TableHandle& g = GroupTable(m_data, m_side);
    const int row = m_groupsGrid->currentIndex().row();
    if (!g.isOpen() || row < 0 || row >= g.recordCount())
        return 0;
    return g.textAt(row, g.fieldIndex(fields::GroupTable::ID)).toLongLong();
}

QString GroupsWindow::currentGroupName() const {
    TableHandle& g = GroupTable(m_data, m_side);
    const int row = m_groupsGrid->currentIndex().row();
    if (!g.isOpen() || row < 0 || row >= g.recordCount())
        return QString();
    return g.textAt(row, NameColumn(g));
}

QString GroupsWindow::currentSubGroupName() const {
    TableHandle& s = SubGroupTable(m_data, m_side);
    const int row = m_subGroupsGrid->currentIndex().row();
    if (!s.isOpen() || row < 0 || row >= s.recordCount())
        return QString();
    return s.textAt(row, NameColumn(s));
}

void GroupsWindow::selectGroup(int row) {
    TableModel& groups = GroupModel(m_data, m_side);
    const int count = groups.rowCount();
    if (count > 0) {
        const QModelIndex index = groups.index(qBound(0, row, count - 1), 1);
        // A row already current moves nothing: the sub-groups are selected here.
        if (m_groupsGrid->currentIndex() == index)
            groups.selectRow(index.row());
        m_groupsGrid->setCurrentIndex(index);
    }
    selectSubGroup(0);
}

void GroupsWindow::selectSubGroup(int row) {
    TableModel& subGroups = SubGroupModel(m_data, m_side);
    const int count = subGroups.rowCount();
    if (count > 0)
        m_subGroupsGrid->setCurrentIndex(subGroups.index(qBound(0, row, count - 1), 1));
    updateButtons();
}

void GroupsWindow::updateButtons() {
    const bool open = GroupTable(m_data, m_side).isOpen();
    const bool anyGroup = open && GroupModel(m_data, m_side).rowCount() > 0;
    const bool anySubGroup = anyGroup && SubGroupModel(m_data, m_side).rowCount() > 0;
    m_addGroup->setEnabled(open);
    m_deleteGroup->setEnabled(anyGroup);
    m_editGroup->setEnabled(anyGroup);
    m_addSubGroup->setEnabled(anyGroup);
    m_deleteSubGroup->setEnabled(anySubGroup);
    m_editSubGroup->setEnabled(anySubGroup);
}

void GroupsWindow::changed() {
    if (m_changed)
        m_changed();
}

void GroupsWindow::onAddGroupClicked() {
    QString name;
    if (!m_editor->ask(GroupNameLabel(), QString(), name))
        return;
    const int row = m_groupsGrid->currentIndex().row();
    if (RunCommand(this, [&] { AddGroup(m_data, m_side, name); })) {
        selectGroup(GroupTable(m_data, m_side).recNo() - 1);
        changed();
    } else {
        selectGroup(row);
    }
}

void GroupsWindow::onDeleteGroupClicked() {
    const qint64 id = currentGroupId();
    if (id == 0)
        return;
    const int row = m_groupsGrid->currentIndex().row();
    if (!Messages::confirm(this, LangText(u"err011"_s, u"Do you want delete?"_s)))
        return;
    const bool deleted = RunCommand(this, [&] { DeleteGroup(m_data, m_side, id); });
    selectGroup(row);
    if (deleted)
        changed();
}

void GroupsWindow::onEditGroupClicked() {
    const qint64 id = currentGroupId();
    if (id == 0)
        return;
    const int row = m_groupsGrid->currentIndex().row();
    QString name;
    if (!m_editor->ask(GroupNameLabel(), currentGroupName(), name))
        return;
    const bool renamed = RunCommand(this, [&] { RenameGroup(m_data, m_side, id, name); });
    selectGroup(row);
    if (renamed)
        changed();
}

void GroupsWindow::onAddSubGroupClicked() {
    const qint64 id = currentGroupId();
    if (id == 0)
        return;
    const int row = m_groupsGrid->currentIndex().row();
    QString name;
    if (!m_editor->ask(SubGroupNameLabel(), QString(), name))
        return;
    const bool added = RunCommand(this, [&] { AddSubGroup(m_data, m_side, id, name); });
    selectGroup(row);
    if (added) {
        selectSubGroup(SubGroupModel(m_data, m_side).rowCount() - 1);
        changed();
    }
}

void GroupsWindow::onDeleteSubGroupClicked() {
    const qint64 id = currentGroupId();
    const QString sub = currentSubGroupName();
    if (id == 0 || m_subGroupsGrid->currentIndex().row() < 0)
        return;
    const int row = m_groupsGrid->currentIndex().row();
    const int subRow = m_subGroupsGrid->currentIndex().row();
    if (!Messages::confirm(this, LangText(u"err011"_s, u"Do you want delete?"_s)))
        return;
    const bool deleted = RunCommand(this, [&] { DeleteSubGroup(m_data, m_side, id, sub); });
    selectGroup(row);
    selectSubGroup(subRow);
    if (deleted)
        changed();
}

void GroupsWindow::onEditSubGroupClicked() {
    const qint64 id = currentGroupId();
    const QString sub = currentSubGroupName();
    if (id == 0 || m_subGroupsGrid->currentIndex().row() < 0)
        return;
    const int row = m_groupsGrid->currentIndex().row();
    const int subRow = m_subGroupsGrid->currentIndex().row();
    QString name;
    if (!m_editor->ask(SubGroupNameLabel(), sub, name))
        return;
    const bool renamed = RunCommand(this, [&] { RenameSubGroup(m_data, m_side, id, sub, name); });
    selectGroup(row);
    selectSubGroup(subRow);
    if (renamed)
        changed();
}

ChargeGroupsWindow::ChargeGroupsWindow(LedgerTables& tables, NameEditor* editor, QWidget* parent)
    : GroupsWindow(tables, GroupSide::Charges, editor,
                   {u"Button1"_s, u"Button2"_s, u"Button3"_s, u"Button4"_s, u"Button5"_s,
                    u"Button6"_s, u"Button7"_s},
                   parent) {
    setObjectName(u"TVidRashod"_s);
}

IncomeGroupsWindow::IncomeGroupsWindow(LedgerTables& tables, NameEditor* editor, QWidget* parent)
    : GroupsWindow(tables, GroupSide::Incomes, editor,
                   {u"Button1"_s, u"Button2"_s, u"Button3"_s, u"Button5"_s, u"Button6"_s,
                    u"Button7"_s, u"Button4"_s},
                   parent) {
    setObjectName(u"TVidDohod"_s);
}

} // namespace zovi
