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
    m_nameLabel = Named(new QLabel(u"Zovi"_s, this), "Label1");
    QFont big = m_nameLabel->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    m_nameLabel->setFont(big);
    layout->addWidget(m_nameLabel);
    m_versionLabel = Named(new QLabel(this), "Label2");
    layout->addWidget(m_versionLabel);
    m_librariesBox = Named(new QGroupBox(u" Libraries "_s, this), "GroupBox1");
    auto* frame = new QVBoxLayout(m_librariesBox);
    m_librariesText = Named(new QPlainTextEdit(m_librariesBox), "Memo1");
    m_librariesText->setReadOnly(true);
    m_librariesText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_librariesText->setPlainText(libraries().join(u'\n'));
    frame->addWidget(m_librariesText);
    layout->addWidget(m_librariesBox);
    m_okButton = Named(new QPushButton(u"&Ok"_s, this), "Button1");
    m_okButton->setDefault(true);
    layout->addLayout(ButtonRow({m_okButton}));
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
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
    m_nameLabel->setText(LangText(u"system001"_s, u"Zovi"_s));
    m_versionLabel->setText(LangText(u"version"_s, u"Version"_s) + u' ' + version());
    m_librariesBox->setTitle(u' ' + LangText(u"libraries"_s, u"Libraries"_s) + u' ');
    m_okButton->setText(LangText(u"ok"_s, u"&Ok"_s));
    QDialog::showEvent(event);
}

} // namespace zovi
