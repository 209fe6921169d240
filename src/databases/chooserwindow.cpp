#include "databases/chooserwindow.h"

#include "core/lang.h"
#include "core/messages.h"
#include "core/paths.h"
#include "core/wait.h"
#include "databases/catalogueeditor.h"
#include "databases/databasecommands.h"
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

ChooserWindow::ChooserWindow(LedgerTables& tables, DebtTables& cd, PasswordDialog* password, CatalogueEditor* editor,
                       WaitWindow* wait, QWidget* parent)
    : QDialog(parent), m_data(tables), m_cd(cd), m_password(password), m_editor(editor),
      m_wait(wait) {
    setObjectName(u"TDBSelLite"_s);
    setWindowTitle(QStringLiteral("Выбор базы данных"));
    setModal(true);

    Image1 = new QLabel(this);
    Image1->setObjectName(u"Image1"_s);
    Image1->setAlignment(Qt::AlignCenter);
    Label1 = new QLabel(u"Databases:"_s, this);
    Label1->setObjectName(u"Label1"_s);
    listdata = new QComboBox(this);
    listdata->setObjectName(u"listdata"_s);
    listdata->setMinimumWidth(220);
    Button1 = new QPushButton(u"OK"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button1->setDefault(true);
    Label2 = new QLabel(LinkText(u"Database Editor"_s), this);
    Label2->setObjectName(u"Label2"_s);
    Label2->setTextFormat(Qt::RichText);
    Label2->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);

    connect(Button1, &QPushButton::clicked, this, &ChooserWindow::Button1Click);
    connect(Label2, &QLabel::linkActivated, this, &ChooserWindow::openEditor);

    auto* row = new QHBoxLayout;
    row->addWidget(listdata, 1);
    row->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Image1);
    layout->addWidget(Label1);
    layout->addLayout(row);
    layout->addWidget(Label2, 0, Qt::AlignRight);
}

void ChooserWindow::showEvent(QShowEvent* event) {
    // A window restored from the task bar is shown again by the system: nothing is re-read.
    if (event->spontaneous()) {
        QDialog::showEvent(event);
        return;
    }
    QString text;
    if (LangString(u"databases"_s, text))
        Label1->setText(text + u':');
    text.clear();
    if (LangString(u"editordata"_s, text))
        Label2->setText(LinkText(text));
    // Any picture or none: a missing or unreadable welcome.bmp leaves the space out.
    const QPixmap picture(FindFile(ProgramFolder::path(), u"welcome.bmp"_s));
    Image1->setPixmap(picture);
    Image1->setVisible(!picture.isNull());
    ReDataList();
    QDialog::showEvent(event);
}

void ChooserWindow::ReDataList() {
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
    listdata->clear();
    for (const CatalogueEntry& entry : m_entries)
        listdata->addItem(entry.name);
    const bool any = !m_entries.isEmpty();
    if (any)
        listdata->setCurrentIndex(0);
    // A catalogue that gained entries (after the editor) can be chosen from again.
    listdata->setEnabled(any);
    Button1->setEnabled(any);
}

void ChooserWindow::openEditor() {
    if (m_editor)
        m_editor->exec();
    ReDataList();
}

void ChooserWindow::refuse(const QString& message, bool withBeep) {
    if (withBeep)
        Messages::beep();
    if (!message.isEmpty())
        Messages::error(this, message);
    Button1->setEnabled(true);
}

void ChooserWindow::Button1Click() {
    Button1->setEnabled(false);
    listdata->setEnabled(false);
    if (m_wait)
        m_wait->gauge()->setValue(0);
    std::optional<WaitGuard> wait(std::in_place, m_wait);

    const int index = listdata->currentIndex();
    const QString folder =
        index >= 0 && index < m_entries.size() ? m_entries.at(index).folder : QString();
    // The wait window steps aside while the password is asked.
    const auto confirm = [&](const QString& stored) {
        wait.reset();
        const bool given = AskPassword(m_password, stored);
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
    if (m_wait)
        m_wait->gauge()->setValue(m_wait->gauge()->maximum());
    wait.reset();
    if (!outcome.notice.isEmpty())
        Messages::info(this, outcome.notice);
    accept();
}

} // namespace zovi
