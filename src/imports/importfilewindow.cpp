#include "imports/importfilewindow.h"

#include "core/lang.h"
#include "core/language.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/textutil.h"
#include "core/wait.h"
#include "imports/csvimport.h"
#include "imports/csvsettingsbox.h"
#include "imports/ofximport.h"
#include "imports/qifimport.h"
#include "ledger/classifiers.h"
#include "ledger/entrykinds.h"
#include "store/error.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

// The last item of the account box: a new account, named in the field beside it.
constexpr int kNewAccount = -1;

QString KindText(const PlannedEntry& p) {
    switch (p.kind) {
    case EntryKind::Income:
        return LangText(u"income"_s, u"Income"_s);
    case EntryKind::Charge:
        return LangText(u"charge"_s, u"Charge"_s);
    case EntryKind::TransferOut:
        return LangText(u"importtransferto"_s, u"Transfer to %1"_s).arg(p.transferAccount);
    case EntryKind::TransferIn:
        return LangText(u"importtransferfrom"_s, u"Transfer from %1"_s).arg(p.transferAccount);
    case EntryKind::Exchange:
        return LangText(u"importexchange"_s, u"Exchange of %1 %2"_s)
            .arg(NumberText(std::fabs(p.given)), p.givenSign);
    default:
        return TypeCode(p.kind);
    }
}

// The group cell as the ledger grid shows it: the group, or the label of the entry's kind.
QString GroupText(const PlannedEntry& p) {
    const QString label = Info(p.kind).labelKey ? KindLabel(TypeCode(p.kind)) : QString();
    return label.isEmpty() ? p.group : label;
}

QString UnreadText(const UnreadLine& line) {
    return LangText(u"importunreadline"_s, u"Line %1: %2 (%3)"_s)
        .arg(line.line)
        .arg(line.text.simplified().left(120), line.reason);
}

} // namespace

ImportFileWindow::ImportFileWindow(LedgerTables& tables, ImportKind kind, const QString& path,
                                   const QString& shownAccount, QWidget* parent)
    : QDialog(parent), m_data(tables), m_kind(kind), m_path(path) {
    setObjectName(u"ImportFileWindow"_s);
    setWindowTitle(LangText(u"importfiletitle"_s, u"Import %1"_s).arg(QFileInfo(path).fileName()));
    setModal(true);

    auto* fileLabel = Named(new QLabel(QDir::toNativeSeparators(path), this), "importFileLabel");
    fileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_accountBox = Named(new QComboBox(this), "importAccountBox");
    m_newAccountEdit = Named(new QLineEdit(this), "importNewAccountEdit");
    m_newAccountEdit->setPlaceholderText(
        LangText(u"importnewaccounthint"_s, u"Name of the new account"_s));
    m_newAccountEdit->setAccessibleName(m_newAccountEdit->placeholderText());
    m_newAccountEdit->setMaxLength(30);
    auto* accountLabel =
        Named(new QLabel(LangText(u"importaccount"_s, u"&Import into the account:"_s), this),
              "importAccountLabel");
    accountLabel->setBuddy(m_accountBox);
    auto* accountRow = new QHBoxLayout;
    accountRow->addWidget(accountLabel);
    accountRow->addWidget(m_accountBox, 1);
    accountRow->addWidget(m_newAccountEdit, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fileLabel);
    layout->addLayout(accountRow);

    if (kind == ImportKind::Csv) {
        auto* csvFrame =
            Named(new QGroupBox(LangText(u"importcsvformat"_s, u"Format and columns"_s), this),
                  "importCsvFrame");
        m_csvBox = new CsvSettingsBox(csvFrame);
        auto* csvLayout = new QVBoxLayout(csvFrame);
        csvLayout->addWidget(m_csvBox);
        layout->addWidget(csvFrame);
        connect(m_csvBox, &CsvSettingsBox::changed, this, &ImportFileWindow::rebuild);
    }

    auto* previewLabel =
        Named(new QLabel(LangText(u"importpreview"_s, u"&Entries as they will be stored:"_s), this),
              "importPreviewLabel");
    m_preview = Named(new QTableWidget(this), "importPreview");
    previewLabel->setBuddy(m_preview);
    m_preview->setAccessibleName(previewLabel->text().remove(u'&'));
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_preview->setTabKeyNavigation(false);
    m_preview->verticalHeader()->hide();
    m_preview->setColumnCount(8);
    m_preview->setHorizontalHeaderLabels(
        {LangText(u"date"_s, u"Date"_s), LangText(u"name"_s, u"Name"_s),
         LangText(u"importkind"_s, u"Income or charge"_s), LangText(u"importamount"_s, u"Amount"_s),
         LangText(u"currency"_s, u"Currency"_s), LangText(u"group"_s, u"Group"_s),
         LangText(u"sub-group"_s, u"Sub-group"_s), LangText(u"account"_s, u"Account"_s)});
    m_preview->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(previewLabel);
    layout->addWidget(m_preview, 1);

    m_countLabel = Named(new QLabel(this), "importCountLabel");
    m_countLabel->setWordWrap(true);
    layout->addWidget(m_countLabel);

    m_unreadList = Named(new QListWidget(this), "importUnreadList");
    m_unreadList->setAccessibleName(
        LangText(u"importunreadtitle"_s, u"Lines that cannot be read"_s));
    m_unreadList->setMaximumHeight(90);
    layout->addWidget(m_unreadList);

    m_importButton =
        Named(new QPushButton(LangText(u"importbutton"_s, u"&Import"_s), this), "importButton");
    m_importButton->setDefault(true);
    m_cancelButton =
        Named(new QPushButton(LangText(u"cancel"_s, u"Cancel"_s), this), "importCancelButton");
    m_cancelButton->setAutoDefault(false);
    layout->addLayout(ButtonRow({m_importButton, m_cancelButton}));

    fillAccounts(shownAccount);
    connect(m_accountBox, &QComboBox::currentIndexChanged, this, [this] {
        const bool fresh = m_accountBox->currentData().toInt() == kNewAccount;
        m_newAccountEdit->setEnabled(fresh);
        if (fresh)
            m_newAccountEdit->setFocus();
        rebuild();
    });
    // The preview follows the name of a new account once the user pauses typing.
    m_rebuildTimer = new QTimer(this);
    m_rebuildTimer->setSingleShot(true);
    m_rebuildTimer->setInterval(300);
    connect(m_rebuildTimer, &QTimer::timeout, this, &ImportFileWindow::rebuild);
    connect(m_newAccountEdit, &QLineEdit::textEdited, m_rebuildTimer, qOverload<>(&QTimer::start));
    connect(m_importButton, &QPushButton::clicked, this, &ImportFileWindow::onImportClicked);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    resize(900, kind == ImportKind::Csv ? 720 : 560);
}

void ImportFileWindow::fillAccounts(const QString& shownAccount) {
    QStringList accounts = AccountNames(m_data);
    accounts << AllAccounts();
    for (const QString& account : std::as_const(accounts))
        m_accountBox->addItem(account, 0);
    m_accountBox->addItem(LangText(u"importnewaccount"_s, u"New account…"_s), kNewAccount);
    const int shown = int(accounts.indexOf(shownAccount));
    m_accountBox->setCurrentIndex(shown >= 0 ? shown : 0);
    m_newAccountEdit->setEnabled(false);
}

QString ImportFileWindow::chosenAccount() const {
    if (m_accountBox->currentData().toInt() == kNewAccount)
        return m_newAccountEdit->text().trimmed();
    return m_accountBox->currentText();
}

bool ImportFileWindow::load() {
    try {
        if (m_kind == ImportKind::Ofx) {
            m_file = ReadOfx(m_path);
        } else {
            QFile file(m_path);
            if (!file.open(QIODevice::ReadOnly))
                throw ImportError(
                    LangText(u"importcannotread"_s, u"The file %1 cannot be read: %2"_s)
                        .arg(QDir::toNativeSeparators(m_path), file.errorString()));
            const QByteArray bytes = file.readAll();
            if (m_kind == ImportKind::Qif)
                m_file = ReadQif(bytes);
            else
                m_csvBox->setFile(bytes);
        }
    } catch (const ImportError& e) {
        Messages::error(parentWidget(), e.message());
        return false;
    }
    rebuild();
    return true;
}

void ImportFileWindow::rebuild() {
    m_rebuildTimer->stop();
    m_problem.clear();
    BusyCursor busy;
    ImportedFile file;
    if (m_kind == ImportKind::Csv) {
        try {
            file = CsvEntries(m_csvBox->table(), m_csvBox->format(), m_csvBox->mapping());
        } catch (const ImportError& e) {
            m_problem = e.message();
        }
    } else {
        file = m_file;
    }
    const QString account = chosenAccount();
    if (account.isEmpty() && m_problem.isEmpty())
        m_problem = LangText(u"importnameaccount"_s, u"Type the name of the new account."_s);
    try {
        m_plan = PlanImport(m_data, file, account.isEmpty() ? AllAccounts() : account);
    } catch (const StoreError& e) {
        m_plan = {};
        m_problem = e.message();
    }
    showPlan();
}

void ImportFileWindow::showPlan() {
    const int rows = int(std::min<qsizetype>(m_plan.entries.size(), kPreviewRows));
    m_preview->setUpdatesEnabled(false);
    m_preview->clearContents();
    m_preview->setRowCount(rows);
    const QString already = LangText(u"importalready"_s, u"Already there: it is skipped."_s);
    for (int r = 0; r < rows; ++r) {
        const PlannedEntry& p = m_plan.entries[r];
        const QStringList cells = {
            ShownDate(p.date), p.name,       KindText(p), NumberText(std::fabs(p.amount)),
            p.currency,        GroupText(p), p.subGroup,  p.account};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (p.duplicate) {
                item->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
                item->setToolTip(already);
            }
            if (c == 3)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_preview->setItem(r, c, item);
        }
    }
    m_preview->resizeColumnsToContents();
    m_preview->setUpdatesEnabled(true);

    m_unreadList->clear();
    for (const UnreadLine& line : std::as_const(m_plan.unread))
        m_unreadList->addItem(UnreadText(line));
    m_unreadList->setVisible(!m_plan.unread.isEmpty());

    QStringList counts;
    if (!m_problem.isEmpty()) {
        counts << m_problem;
    } else {
        counts << LangText(u"importwillstore"_s, u"Entries to import: %1."_s).arg(m_plan.toStore());
        if (m_plan.duplicates > 0)
            counts << LangText(u"importduplicates"_s, u"%1 of %2 were already there."_s)
                          .arg(m_plan.duplicates)
                          .arg(m_plan.entries.size());
        if (!m_plan.unread.isEmpty())
            counts << LangText(u"importunreadcount"_s, u"Lines that cannot be read: %1."_s)
                          .arg(m_plan.unread.size());
        if (m_plan.entries.size() > rows)
            counts << LangText(u"importpreviewfirst"_s, u"The first %1 are shown."_s).arg(rows);
    }
    m_countLabel->setText(counts.join(u' '));
    m_importButton->setEnabled(m_problem.isEmpty() && m_plan.toStore() > 0);
}

void ImportFileWindow::onImportClicked() {
    rebuild();
    if (!m_problem.isEmpty() || m_plan.toStore() == 0)
        return;
    if (!m_plan.unread.isEmpty()) {
        const int answer = Messages::choose(
            this,
            LangText(u"importskipunread"_s,
                     u"Lines that cannot be read: %1, the first: %2. Import the other %3 "
                     u"entries, or cancel with nothing stored?"_s)
                .arg(m_plan.unread.size())
                .arg(UnreadText(m_plan.unread.front()))
                .arg(m_plan.toStore()),
            {LangText(u"importtherest"_s, u"Import the rest"_s),
             LangText(u"cancel"_s, u"Cancel"_s)});
        if (answer != 0)
            return;
    }
    try {
        BusyCursor busy;
        m_stored = StoreImport(m_data, m_plan);
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
        return;
    }
    if (m_csvBox)
        m_csvBox->rememberMapping();
    Messages::info(this, LangText(u"importdone"_s, u"Imported entries: %1."_s).arg(m_stored));
    accept();
}

} // namespace zovi
