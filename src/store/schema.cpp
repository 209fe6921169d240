#include "store/schema.h"

#include <QDir>
#include <QFileInfo>

namespace zovi {

namespace {

QString SqlType(FieldType type) {
    switch (type) {
    case FieldType::Text:
    case FieldType::Date:
        return QStringLiteral("TEXT");
    case FieldType::Float:
        return QStringLiteral("REAL");
    case FieldType::Integer:
    case FieldType::Boolean:
        return QStringLiteral("INTEGER");
    case FieldType::AutoInc:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    }
    return QStringLiteral("TEXT");
}

QString Quoted(const QString& name) {
    return QLatin1Char('"') + name + QLatin1Char('"');
}

FieldDef F(FieldName name, FieldType type, int width = 0) {
    return FieldDef{name, type, width};
}

TableSchema Make(const char* file, const char* table, QList<FieldDef> fields,
                 QList<IndexDef> indexes = {}) {
    return TableSchema{QString::fromLatin1(file), QString::fromLatin1(table), std::move(fields),
                       std::move(indexes)};
}

IndexDef Index(const char* name, FieldName field, bool caseInsensitive = false) {
    return IndexDef{QString::fromLatin1(name), field, caseInsensitive};
}

using T = FieldType;

TableSchema GroupTable(const char* file, const char* table) {
    namespace f = fields::GroupTable;
    return Make(file, table,
                {F(f::ID, T::AutoInc), F(f::Name, T::Text, 30), F(f::Value, T::Float)});
}

TableSchema SubGroupTable(const char* file, const char* table) {
    namespace f = fields::SubGroupTable;
    return Make(file, table,
                {F(f::IDsecond, T::Integer), F(f::Name, T::Text, 30), F(f::Value, T::Float),
                 F(f::Vid, T::Text, 30)},
                {Index("forLink", f::IDsecond)});
}

} // namespace

FieldType FieldTypeOfDeclaration(const QString& declared) {
    const QString d = declared.toUpper();
    if (d.contains(QLatin1String("INT")))
        return FieldType::Integer;
    if (d.contains(QLatin1String("REAL")) || d.contains(QLatin1String("FLOA")) ||
        d.contains(QLatin1String("DOUB")) || d.contains(QLatin1String("NUM")))
        return FieldType::Float;
    if (d.contains(QLatin1String("DATE")))
        return FieldType::Date;
    if (d.contains(QLatin1String("BOOL")))
        return FieldType::Boolean;
    return FieldType::Text;
}

int TableSchema::fieldIndex(const QString& name) const {
    for (int i = 0; i < fields.size(); ++i) {
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString TableSchema::createSql() const {
    QStringList columns;
    for (const FieldDef& f : fields)
        columns << Quoted(f.name) + QLatin1Char(' ') + SqlType(f.type);
    QString sql = QStringLiteral("CREATE TABLE %1 (%2);")
                      .arg(Quoted(tableName), columns.join(QStringLiteral(", ")));
    for (const IndexDef& ix : indexes) {
        sql += QStringLiteral(" CREATE INDEX %1 ON %2 (%3%4);")
                   .arg(Quoted(ix.name), Quoted(tableName), Quoted(ix.field),
                        ix.caseInsensitive ? QStringLiteral(" COLLATE NOCASE") : QString());
    }
    return sql;
}

namespace schemas {

const TableSchema& Data() {
    namespace f = fields::Data;
    static const TableSchema s =
        Make("Data.db", "Data", {F(f::ID, T::AutoInc),           F(f::Date, T::Date),
                                 F(f::Name, T::Text, 60),        F(f::Gr1, T::Text, 30),
                                 F(f::Gr2, T::Text, 30),         F(f::Type, T::Text, 2),
                                 F(f::Dohod, T::Text, 30),       F(f::Rashod, T::Text, 30),
                                 F(f::NameRashod, T::Text, 30),  F(f::InDol, T::Float),
                                 F(f::Value, T::Float),          F(f::ValueDohod, T::Float),
                                 F(f::ValueRashod, T::Float),    F(f::Valuta, T::Text, 60),
                                 F(f::ValutaDohod, T::Text, 60), F(f::ValutaRashod, T::Text, 60),
                                 F(f::Kurs, T::Float),           F(f::IDsecond, T::Float),
                                 F(f::IDgrA, T::Float),          F(f::IDgrB, T::Float),
                                 F(f::GrA, T::Text, 60),         F(f::GrB, T::Text, 60)},
             {Index("indName", f::Date, true)});
    return s;
}

const TableSchema& Gr1() {
    namespace f = fields::Gr1;
    static const TableSchema s = Make("Gr1.db", "Gr1", {F(f::Name, T::Text, 30)});
    return s;
}

const TableSchema& GrR() {
    static const TableSchema s = GroupTable("GrR.db", "GrR");
    return s;
}

const TableSchema& GrD() {
    static const TableSchema s = GroupTable("GrD.db", "GrD");
    return s;
}

const TableSchema& GrR2() {
    static const TableSchema s = SubGroupTable("GrR2.db", "GrR2");
    return s;
}

const TableSchema& GrD2() {
    static const TableSchema s = SubGroupTable("GrD2.db", "GrD2");
    return s;
}

const TableSchema& Valuta() {
    namespace f = fields::Valuta;
    static const TableSchema s =
        Make("Valuta.db", "Valuta",
             {F(f::Def, T::Boolean), F(f::Name, T::Text, 60), F(f::Znak, T::Text, 10),
              F(f::Kurs, T::Float), F(f::Value, T::Float), F(f::ValueSTR, T::Text, 30),
              F(f::More, T::Boolean), F(f::OldValue, T::Text, 30), F(f::FastValue, T::Text, 30)});
    return s;
}

const TableSchema& Kurs() {
    namespace f = fields::Kurs;
    static const TableSchema s = Make(
        "Kurs.db", "Kurs", {F(f::Date, T::Date), F(f::Valuta, T::Text, 60), F(f::Kurs, T::Float)});
    return s;
}

const TableSchema& Report() {
    namespace f = fields::Report;
    static const TableSchema s =
        Make("Report.db", "Report",
             {F(f::Date, T::Date), F(f::Name, T::Text, 60), F(f::Gr1, T::Text, 30),
              F(f::Gr2, T::Text, 30), F(f::NameRashod, T::Text, 30), F(f::Dohod, T::Text, 30),
              F(f::Rashod, T::Text, 30), F(f::Value, T::Float), F(f::Valuta, T::Text, 60)});
    return s;
}

const TableSchema& DRM() {
    namespace f = fields::DRM;
    static const TableSchema s =
        Make("DRM.db", "DRM", {F(f::PeriodName, T::Text, 60), F(f::Value, T::Float)});
    return s;
}

const TableSchema& UserChart() {
    namespace f = fields::UserChart;
    static const TableSchema s =
        Make("UserChart.db", "UserChart", {F(f::UserName, T::Text, 60), F(f::Value, T::Float)});
    return s;
}

const TableSchema& Credit() {
    namespace f = fields::Credit;
    static const TableSchema s = Make(
        "Credit.db", "Credit",
        {F(f::ID, T::AutoInc), F(f::Date, T::Date), F(f::Name, T::Text, 60),
         F(f::User, T::Text, 30), F(f::Valuta, T::Text, 60), F(f::Kurs, T::Float),
         F(f::CD, T::Text, 1), F(f::Type, T::Text, 1), F(f::Procent, T::Float),
         F(f::Days, T::Integer), F(f::ValueBegin, T::Float), F(f::Value, T::Float),
         F(f::ValueBeginSTR, T::Text, 30), F(f::ValueSTR, T::Text, 30), F(f::IDdata, T::Integer)});
    return s;
}

const TableSchema& OplataCredit() {
    namespace f = fields::OplataCredit;
    static const TableSchema s =
        Make("OplataCredit.db", "OplataCredit",
             {F(f::ID, T::AutoInc), F(f::IDcredit, T::Integer), F(f::Date, T::Date),
              F(f::Value, T::Float), F(f::ValueSTR, T::Text, 30), F(f::Comment, T::Text, 60),
              F(f::IDdata, T::Integer)},
             {Index("forCredit", f::IDcredit)});
    return s;
}

const TableSchema& Password() {
    namespace f = fields::Password;
    // The field keeps the password's self-describing hash (about 100 characters), or a password
    // an older version kept as typed: its width is not fixed.
    static const TableSchema s = Make("data.un", "un", {F(f::Password, T::Text)});
    return s;
}

const TableSchema& ReportData() {
    namespace f = fields::ReportData;
    static const TableSchema s =
        Make("data.db", "data",
             {F(f::Date, T::Text, 20), F(f::Name, T::Text, 60), F(f::Group, T::Text, 30),
              F(f::SubGroup, T::Text, 30), F(f::Account, T::Text, 30), F(f::Income, T::Text, 30),
              F(f::Charge, T::Text, 30)});
    return s;
}

const TableSchema& TopData() {
    namespace f = fields::TopData;
    static const TableSchema s = Make(
        "topdata.db", "topdata",
        {F(f::DateTOP, T::Text, 60), F(f::AccountTOP, T::Text, 60), F(f::ValueTOP, T::Text, 60)});
    return s;
}

} // namespace schemas

QList<const TableSchema*> DatabaseTables() {
    using namespace schemas;
    return {&Data(), &Gr1(), &GrR(),    &GrR2(),      &GrD2(),   &GrD(),         &Report(),
            &Kurs(), &DRM(), &Valuta(), &UserChart(), &Credit(), &OplataCredit()};
}

QList<const TableSchema*> LinkedTables() {
    using namespace schemas;
    return {&Data(), &Gr1(),    &GrR(),    &GrR2(),        &GrD(),
            &GrD2(), &Valuta(), &Credit(), &OplataCredit()};
}

QList<const TableSchema*> PrintTables() {
    return {&schemas::ReportData(), &schemas::TopData()};
}

const TableSchema* SchemaForFile(const QString& fileName) {
    for (const TableSchema* s : DatabaseTables()) {
        if (s->fileName.compare(fileName, Qt::CaseInsensitive) == 0)
            return s;
    }
    for (const TableSchema* s : {&schemas::Password(), &schemas::TopData()}) {
        if (s->fileName.compare(fileName, Qt::CaseInsensitive) == 0)
            return s;
    }
    return nullptr;
}

const TableSchema* SchemaForPath(const QString& path) {
    const QFileInfo info(path);
    if (info.dir().dirName().compare(QLatin1String("Report"), Qt::CaseInsensitive) == 0) {
        for (const TableSchema* s : PrintTables()) {
            if (s->fileName.compare(info.fileName(), Qt::CaseInsensitive) == 0)
                return s;
        }
    }
    return SchemaForFile(info.fileName());
}

} // namespace zovi
