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

FieldDef F(const char* name, FieldType type, int width = 0) {
    return FieldDef{QString::fromLatin1(name), type, width};
}

TableSchema Make(const char* file, const char* table, QList<FieldDef> fields,
                 QList<IndexDef> indexes = {}) {
    return TableSchema{QString::fromLatin1(file), QString::fromLatin1(table), std::move(fields),
                       std::move(indexes)};
}

IndexDef Index(const char* name, const char* field, bool caseInsensitive = false) {
    return IndexDef{QString::fromLatin1(name), QString::fromLatin1(field), caseInsensitive};
}

using T = FieldType;

TableSchema GroupTable(const char* file, const char* table) {
    return Make(file, table, {F("ID", T::AutoInc), F("Name", T::Text, 30), F("Value", T::Float)});
}

TableSchema SubGroupTable(const char* file, const char* table) {
    return Make(file, table,
                {F("IDsecond", T::Integer), F("Name", T::Text, 30), F("Value", T::Float),
                 F("Vid", T::Text, 30)},
                {Index("forLink", "IDsecond")});
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
    static const TableSchema s =
        Make("Data.db", "Data", {F("ID", T::AutoInc),           F("Date", T::Date),
                                 F("Name", T::Text, 60),        F("Gr1", T::Text, 30),
                                 F("Gr2", T::Text, 30),         F("Type", T::Text, 2),
                                 F("Dohod", T::Text, 30),       F("Rashod", T::Text, 30),
                                 F("NameRashod", T::Text, 30),  F("InDol", T::Float),
                                 F("Value", T::Float),          F("ValueDohod", T::Float),
                                 F("ValueRashod", T::Float),    F("Valuta", T::Text, 60),
                                 F("ValutaDohod", T::Text, 60), F("ValutaRashod", T::Text, 60),
                                 F("Kurs", T::Float),           F("IDsecond", T::Float),
                                 F("IDgrA", T::Float),          F("IDgrB", T::Float),
                                 F("GrA", T::Text, 60),         F("GrB", T::Text, 60)},
             {Index("indName", "Date", true)});
    return s;
}

const TableSchema& Gr1() {
    static const TableSchema s = Make("Gr1.db", "Gr1", {F("Name", T::Text, 30)});
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
    static const TableSchema s =
        Make("Valuta.db", "Valuta",
             {F("Def", T::Boolean), F("Name", T::Text, 60), F("Znak", T::Text, 10),
              F("Kurs", T::Float), F("Value", T::Float), F("ValueSTR", T::Text, 30),
              F("More", T::Boolean), F("OldValue", T::Text, 30), F("FastValue", T::Text, 30)});
    return s;
}

const TableSchema& Kurs() {
    static const TableSchema s = Make(
        "Kurs.db", "Kurs", {F("Date", T::Date), F("Valuta", T::Text, 60), F("Kurs", T::Float)});
    return s;
}

const TableSchema& Report() {
    static const TableSchema s =
        Make("Report.db", "Report",
             {F("Date", T::Date), F("Name", T::Text, 60), F("Gr1", T::Text, 30),
              F("Gr2", T::Text, 30), F("NameRashod", T::Text, 30), F("Dohod", T::Text, 30),
              F("Rashod", T::Text, 30), F("Value", T::Float), F("Valuta", T::Text, 60)});
    return s;
}

const TableSchema& DRM() {
    static const TableSchema s =
        Make("DRM.db", "DRM", {F("PeriodName", T::Text, 60), F("Value", T::Float)});
    return s;
}

const TableSchema& UserChart() {
    static const TableSchema s =
        Make("UserChart.db", "UserChart", {F("UserName", T::Text, 60), F("Value", T::Float)});
    return s;
}

const TableSchema& Credit() {
    static const TableSchema s = Make(
        "Credit.db", "Credit",
        {F("ID", T::AutoInc), F("Date", T::Date), F("Name", T::Text, 60), F("User", T::Text, 30),
         F("Valuta", T::Text, 60), F("Kurs", T::Float), F("CD", T::Text, 1), F("Type", T::Text, 1),
         F("Procent", T::Float), F("Days", T::Integer), F("ValueBegin", T::Float),
         F("Value", T::Float), F("ValueBeginSTR", T::Text, 30), F("ValueSTR", T::Text, 30),
         F("IDdata", T::Integer)});
    return s;
}

const TableSchema& OplataCredit() {
    static const TableSchema s = Make(
        "OplataCredit.db", "OplataCredit",
        {F("ID", T::AutoInc), F("IDcredit", T::Integer), F("Date", T::Date), F("Value", T::Float),
         F("ValueSTR", T::Text, 30), F("Comment", T::Text, 60), F("IDdata", T::Integer)},
        {Index("forCredit", "IDcredit")});
    return s;
}

const TableSchema& Password() {
    static const TableSchema s = Make("data.un", "un", {F("Password", T::Text, 60)});
    return s;
}

const TableSchema& ReportData() {
    static const TableSchema s =
        Make("data.db", "data",
             {F("Date", T::Text, 20), F("Name", T::Text, 60), F("Group", T::Text, 30),
              F("SubGroup", T::Text, 30), F("Account", T::Text, 30), F("Income", T::Text, 30),
              F("Charge", T::Text, 30)});
    return s;
}

const TableSchema& TopData() {
    static const TableSchema s =
        Make("topdata.db", "topdata",
             {F("DateTOP", T::Text, 60), F("AccountTOP", T::Text, 60), F("ValueTOP", T::Text, 60)});
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
        for (const TableSchema* s : {&schemas::ReportData(), &schemas::TopData()}) {
            if (s->fileName.compare(info.fileName(), Qt::CaseInsensitive) == 0)
                return s;
        }
    }
    return SchemaForFile(info.fileName());
}

} // namespace zovi
