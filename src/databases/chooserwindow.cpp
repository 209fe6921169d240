#include "databases/chooserwindow.h"

#include "core/lang.h"
#include "core/layouts.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/wait.h"
#include "databases/catalogueeditor.h"
#include "databases/databasecommands.h"
#include "databases/databasefolder.h"
#include "databases/passworddialog.h"
#include "store/datamodules.h"
#include "store/error.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <optional>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

QString LinkText(const QString& caption) {
    return u"<a href=\"editor\">%1</a>"_s.arg(caption.toHtmlEscaped());
}

} // namespace

ChooserWindow::ChooserWindow(LedgerTables& tables, DebtTables& cd, PasswordDialog* passwordDialog,
                             CatalogueEditor* editor, WaitWindow* wait, QWidget* parent)
    : QDialog(parent), m_data(tables), m_cd(cd), m_passwordDialog(passwordDialog), m_editor(editor),
      m_wait(wait) {
    setObjectName(u"TDBSelLite"_s);
    setModal(true);

    m_pictureLabel = Named(new QLabel(this), "Image1");
    m_pictureLabel->setAlignment(Qt::AlignCenter);
    m_databasesLabel = Named(new QLabel(u"Databases:"_s, this), "Label1");
    m_databaseList = Named(new QComboBox(this), "listdata");
    m_databaseList->setMinimumWidth(220);
    m_okButton = Named(new QPushButton(u"OK"_s, this), "Button1");
    m_okButton->setDefault(true);
    m_editorLink = Named(new QLabel(LinkText(u"Database Editor"_s), this), "Label2");
    m_editorLink->setTextFormat(Qt::RichText);
    m_editorLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse |
                                          Qt::LinksAccessibleByKeyboard);

    connect(m_okButton, &QPushButton::clicked, this, &ChooserWindow::onOkClicked);
    connect(m_editorLink, &QLabel::linkActivated, this, &ChooserWindow::openEditor);

    auto* row = new QHBoxLayout;
    row->addWidget(m_databaseList, 1);
    row->addWidget(m_okButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pictureLabel);
    layout->addWidget(m_databasesLabel);
    layout->addLayout(row);
    layout->addWidget(m_editorLink, 0, Qt::AlignRight);
}

void ChooserWindow::showEvent(QShowEvent* event) {
    // A window restored from the task bar is shown again by the system: nothing is re-read.
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    setWindowTitle(LangText(u"chooseDatabase"_s, u"Выбор базы данных"_s));
    QString text;
    if (LangString(u"databases"_s, text))
        m_databasesLabel->setText(text + u':');
    text.clear();
    if (LangString(u"editordata"_s, text))
        m_editorLink->setText(LinkText(text));
    m_okButton->setText(LangText(u"ok"_s, u"OK"_s));
    // Any picture or none: a missing or unreadable welcome.bmp leaves the space out.
    const QPixmap picture(FindFile(ProgramFolder::path(), u"welcome.bmp"_s));
    m_pictureLabel->setPixmap(picture);
    m_pictureLabel->setVisible(!picture.isNull());
    reloadCatalogue();
    QDialog::showEvent(event);
}

void ChooserWindow::reloadCatalogue() {
    try {
        Catalogue::ensureExists();
    } catch (const StoreError& e) {
        Messages::error(this, e.message());
    }
    try {
        m_entries = Catalogue::readForChooser();
    } catch (const StoreError& e) {
        m_entries.clear();
        Messages::error(this, e.message());
    }
    m_databaseList->clear();
    // A database whose tables are encrypted is marked after its name, for the eye and for the
    // screen reader.
    const QString mark = LangText(u"encryptedmark"_s, u"(encrypted)"_s);
    const QString description =
        LangText(u"encrypteddb"_s, u"The tables of this database are encrypted with its "
                                   u"password."_s);
    for (const CatalogueEntry& entry : m_entries) {
        if (!DatabaseFolder::isEncrypted(entry.folder)) {
            m_databaseList->addItem(entry.name);
            continue;
        }
        m_databaseList->addItem(entry.name + u' ' + mark);
        const int item = m_databaseList->count() - 1;
        m_databaseList->setItemData(item, description, Qt::AccessibleDescriptionRole);
        m_databaseList->setItemData(item, description, Qt::ToolTipRole);
    }
    const bool any = !m_entries.isEmpty();
    if (any)
        m_databaseList->setCurrentIndex(0);
    // A catalogue that gained entries (after the editor) can be chosen from again.
    m_databaseList->setEnabled(any);
    m_okButton->setEnabled(any);
}

void ChooserWindow::openEditor() {
    if (m_editor)
        m_editor->exec();
    reloadCatalogue();
}

void ChooserWindow::refuse(const QString& message, bool withBeep) {
    if (withBeep)
        Messages::beep();
    if (!message.isEmpty())
        Messages::error(this, message);
    m_okButton->setEnabled(true);
}

void ChooserWindow::onOkClicked() {
    m_okButton->setEnabled(false);
    m_databaseList->setEnabled(false);
    if (m_wait)
        m_wait->gauge()->setValue(0);
    std::optional<WaitGuard> wait(std::in_place, m_wait);

    const int index = m_databaseList->currentIndex();
    const QString folder =
        index >= 0 && index < m_entries.size() ? m_entries.at(index).folder : QString();
    // The wait window steps aside while the password is asked.
    const auto confirm = [&](const QString& stored) {
        wait.reset();
        const bool given = AskPassword(m_passwordDialog, stored);
        if (given)
            wait.emplace(m_wait);
        return given;
    };
    const auto step = [this] {
        if (m_wait)
            m_wait->step();
    };
    const OpenOutcome outcome = OpenChosenDatabase(m_data, m_cd, folder, confirm, step);
    if (!outcome.opened) {
        wait.reset();
        refuse(outcome.refusal, outcome.beep);
        return;
    }
    m_openedFolder = outcome.folder;
    m_openedName = m_entries.at(index).name;
    if (m_wait)
        m_wait->gauge()->setValue(m_wait->gauge()->maximum());
    wait.reset();
    if (!outcome.notice.isEmpty())
        Messages::info(this, outcome.notice);
    accept();
}

} // namespace zovi
