#include "tools/aboutbox.h"

#include "core/lang.h"
#include "core/layouts.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtGlobal>
#include <sqlite3.h>

using namespace Qt::StringLiterals;

namespace zovi {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(u"TAboutBox"_s);
    setWindowTitle(u"About"_s);
    auto* layout = new QVBoxLayout(this);
    Label1 = new QLabel(u"Zovi"_s, this);
    Label1->setObjectName(u"Label1"_s);
    QFont big = Label1->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    Label1->setFont(big);
    layout->addWidget(Label1);
    Label2 = new QLabel(this);
    Label2->setObjectName(u"Label2"_s);
    layout->addWidget(Label2);
    GroupBox1 = new QGroupBox(u" Libraries "_s, this);
    GroupBox1->setObjectName(u"GroupBox1"_s);
    auto* frame = new QVBoxLayout(GroupBox1);
    Memo1 = new QPlainTextEdit(GroupBox1);
    Memo1->setObjectName(u"Memo1"_s);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setPlainText(libraries().join(u'\n'));
    frame->addWidget(Memo1);
    layout->addWidget(GroupBox1);
    Button1 = new QPushButton(u"&Ok"_s, this);
    Button1->setObjectName(u"Button1"_s);
    Button1->setDefault(true);
    layout->addLayout(ButtonRow({Button1}));
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    resize(460, 340);
}

QString AboutBox::version() {
    return QStringLiteral(ZOVI_VERSION);
}

QStringList AboutBox::libraries() {
    return {
        u"Qt %1 - LGPLv3"_s.arg(QString::fromLatin1(qVersion())),
        u"SQLite %1 - public domain"_s.arg(QString::fromLatin1(sqlite3_libversion())),
        u"shapelib (dBase files) - MIT or LGPL"_s,
        u"pxlib (Paradox tables of earlier versions) - GPL-2"_s,
        u"DejaVu fonts (printed reports) - free licence of the Bitstream Vera fonts"_s,
    };
}

void AboutBox::showEvent(QShowEvent* event) {
    setWindowTitle(LangText(u"about"_s, u"About"_s));
    Label1->setText(LangText(u"system001"_s, u"Zovi"_s));
    Label2->setText(LangText(u"version"_s, u"Version"_s) + u' ' + version());
    GroupBox1->setTitle(u' ' + LangText(u"libraries"_s, u"Libraries"_s) + u' ');
    Button1->setText(LangText(u"ok"_s, u"&Ok"_s));
    QDialog::showEvent(event);
}

} // namespace zovi
