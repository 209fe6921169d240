#pragma once

#include <QString>
#include <QStringView>

namespace zovi {

// The name of a field of a table, a compile-time constant. It turns into a QString over its own
// static text (as QStringLiteral does: no copy, no allocation), so it passes wherever a field
// name is taken (field(), fieldIndex(), locate(), filter texts built with arg()) and is usable
// from any translation unit at any time, static initialisation included.
class FieldName {
public:
    template <qsizetype N>
    constexpr explicit FieldName(const char16_t (&text)[N]) : m_text(text), m_size(N - 1) {}

    operator QString() const { return text(); }
    QString text() const { return QString(QString::DataPointer::fromRawData(m_text, m_size)); }
    constexpr QStringView view() const { return QStringView(m_text, m_size); }

private:
    const char16_t* m_text;
    qsizetype m_size;
};

// One constant per field of each table, named exactly as the field: fields::Data::IDsecond is
// the field "IDsecond" of Data.db. The schemas in schema.cpp are built from these constants, and
// every reader and writer names a field through them.
#define ZOVI_FIELD(name)                                                                           \
    inline constexpr FieldName name {                                                              \
        u"" #name                                                                                  \
    }

namespace fields {

namespace Data { // Data.db: the ledger
ZOVI_FIELD(ID);
ZOVI_FIELD(Date);
ZOVI_FIELD(Name);
ZOVI_FIELD(Gr1);
ZOVI_FIELD(Gr2);
ZOVI_FIELD(Type);
ZOVI_FIELD(Dohod);
ZOVI_FIELD(Rashod);
ZOVI_FIELD(NameRashod);
ZOVI_FIELD(InDol);
ZOVI_FIELD(Value);
ZOVI_FIELD(ValueDohod);
ZOVI_FIELD(ValueRashod);
ZOVI_FIELD(Valuta);
ZOVI_FIELD(ValutaDohod);
ZOVI_FIELD(ValutaRashod);
ZOVI_FIELD(Kurs);
ZOVI_FIELD(IDsecond);
ZOVI_FIELD(IDgrA);
ZOVI_FIELD(IDgrB);
ZOVI_FIELD(GrA);
ZOVI_FIELD(GrB);
} // namespace Data

namespace Gr1 { // Gr1.db: the accounts
ZOVI_FIELD(Name);
} // namespace Gr1

namespace GroupTable { // GrR.db and GrD.db: groups of charges and of incomes
ZOVI_FIELD(ID);
ZOVI_FIELD(Name);
ZOVI_FIELD(Value);
} // namespace GroupTable
namespace GrR = GroupTable;
namespace GrD = GroupTable;

namespace SubGroupTable { // GrR2.db and GrD2.db: their sub-groups, linked by IDsecond
ZOVI_FIELD(IDsecond);
ZOVI_FIELD(Name);
ZOVI_FIELD(Value);
ZOVI_FIELD(Vid);
} // namespace SubGroupTable
namespace GrR2 = SubGroupTable;
namespace GrD2 = SubGroupTable;

namespace Valuta { // Valuta.db: the currencies
ZOVI_FIELD(Def);
ZOVI_FIELD(Name);
ZOVI_FIELD(Znak);
ZOVI_FIELD(Kurs);
ZOVI_FIELD(Value);
ZOVI_FIELD(ValueSTR);
ZOVI_FIELD(More);
ZOVI_FIELD(OldValue);
ZOVI_FIELD(FastValue);
} // namespace Valuta

namespace Kurs { // Kurs.db
ZOVI_FIELD(Date);
ZOVI_FIELD(Valuta);
ZOVI_FIELD(Kurs);
} // namespace Kurs

namespace Report { // Report.db
ZOVI_FIELD(Date);
ZOVI_FIELD(Name);
ZOVI_FIELD(Gr1);
ZOVI_FIELD(Gr2);
ZOVI_FIELD(NameRashod);
ZOVI_FIELD(Dohod);
ZOVI_FIELD(Rashod);
ZOVI_FIELD(Value);
ZOVI_FIELD(Valuta);
} // namespace Report

namespace DRM { // DRM.db
ZOVI_FIELD(PeriodName);
ZOVI_FIELD(Value);
} // namespace DRM

namespace UserChart { // UserChart.db
ZOVI_FIELD(UserName);
ZOVI_FIELD(Value);
} // namespace UserChart

namespace Credit { // Credit.db: the debts
ZOVI_FIELD(ID);
ZOVI_FIELD(Date);
ZOVI_FIELD(Name);
ZOVI_FIELD(User);
ZOVI_FIELD(Valuta);
ZOVI_FIELD(Kurs);
ZOVI_FIELD(CD);
ZOVI_FIELD(Type);
ZOVI_FIELD(Procent);
ZOVI_FIELD(Days);
ZOVI_FIELD(ValueBegin);
ZOVI_FIELD(Value);
ZOVI_FIELD(ValueBeginSTR);
ZOVI_FIELD(ValueSTR);
ZOVI_FIELD(IDdata);
} // namespace Credit

namespace OplataCredit { // OplataCredit.db: the repayments of debts
ZOVI_FIELD(ID);
ZOVI_FIELD(IDcredit);
ZOVI_FIELD(Date);
ZOVI_FIELD(Value);
ZOVI_FIELD(ValueSTR);
ZOVI_FIELD(Comment);
ZOVI_FIELD(IDdata);
} // namespace OplataCredit

namespace Password { // data.un
ZOVI_FIELD(Password);
} // namespace Password

namespace ReportData { // Report/data.db in the program folder: the rows a report prints
ZOVI_FIELD(Date);
ZOVI_FIELD(Name);
ZOVI_FIELD(Group);
ZOVI_FIELD(SubGroup);
ZOVI_FIELD(Account);
ZOVI_FIELD(Income);
ZOVI_FIELD(Charge);
} // namespace ReportData

namespace TopData { // Report/topdata.db in the program folder: a report's heading
ZOVI_FIELD(DateTOP);
ZOVI_FIELD(AccountTOP);
ZOVI_FIELD(ValueTOP);
} // namespace TopData

} // namespace fields

#undef ZOVI_FIELD

} // namespace zovi
