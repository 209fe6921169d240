// A stand-in for the date-period editor until its own window is in: the two dates with OK and
// Cancel, enough for the callers to link and be driven.
#include "views/dateeditor.h"

#include "core/layouts.h"

#include <QDateEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zovi {

TfEditDate::TfEditDate(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TfEditDate"));
    setModal(true);
    DateTimePicker1 = Named(new QDateEdit(this), "DateTimePicker1");
    DateTimePicker2 = Named(new QDateEdit(this), "DateTimePicker2");
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "Button1");
    auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "Button2");
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DateTimePicker1);
    layout->addWidget(DateTimePicker2);
    layout->addLayout(ButtonRow({ok, cancel}));
}

void TfEditDate::setPeriod(const QDate& from, const QDate& to) {
    DateTimePicker1->setDate(from);
    DateTimePicker2->setDate(to);
}

QDate TfEditDate::from() const {
    return DateTimePicker1->date();
}

QDate TfEditDate::to() const {
    return DateTimePicker2->date();
}

} // namespace zovi
