#include "reports/reporttemplate.h"

#include "core/lang.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>

namespace zovi {

int ReportTemplate::totalWidth() const {
    int total = 0;
    for (const ReportColumn& c : columns)
        total += c.width;
    return total;
}

namespace {

[[noreturn]] void Refuse(const QString& fileName, int line, const QString& what) {
    throw ReportError(
        LangText(QStringLiteral("reportTemplateBad"),
                 QStringLiteral("The report template %1 cannot be read (line %2): %3"))
            .arg(fileName)
            .arg(line)
            .arg(what));
}

ReportColumn ParseColumn(const QString& value, const QString& fileName, int line) {
    const QStringList parts = value.split(QLatin1Char('|'));
    if (parts.size() < 3 || parts.size() > 4)
        Refuse(fileName, line, QStringLiteral("column = fields | heading | width [| right]"));
    ReportColumn column;
    for (const QString& field : parts[0].split(QLatin1Char('+'))) {
        const QString name = field.trimmed();
        if (name.isEmpty())
            Refuse(fileName, line, QStringLiteral("a column without a field"));
        column.fields << name;
    }
    column.heading = parts[1].trimmed();
    bool ok = false;
    column.width = parts[2].trimmed().toInt(&ok);
    if (!ok || column.width < 1 || column.width > 200)
        Refuse(fileName, line, QStringLiteral("the width is not a number from 1 to 200"));
    if (parts.size() == 4) {
        const QString align = parts[3].trimmed();
        if (align == QLatin1String("right"))
            column.alignRight = true;
        else if (align != QLatin1String("left"))
            Refuse(fileName, line, QStringLiteral("the alignment is neither left nor right"));
    }
    return column;
}

// The program's texts that a template names by their key in brackets, such as
// "title = [reportTitle]": each in the language of the translation file, the built-in text for
// a key the file lacks.
QHash<QString, QString> ReportTexts() {
    return {
        {QStringLiteral("reportTitle"),
         LangText(QStringLiteral("reportTitle"), QStringLiteral("Отчет"))},
        {QStringLiteral("reportAccountLine"),
         LangText(QStringLiteral("reportAccountLine"), QStringLiteral("Счет: {AccountTOP}"))},
        {QStringLiteral("reportPeriodLine"),
         LangText(QStringLiteral("reportPeriodLine"), QStringLiteral("Период: {DateTOP}"))},
        {QStringLiteral("reportTotalLine"),
         LangText(QStringLiteral("reportTotalLine"), QStringLiteral("Итого: {ValueTOP}"))},
        {QStringLiteral("reportPageLine"),
         LangText(QStringLiteral("reportPageLine"), QStringLiteral("Страница {Page} из {Pages}"))},
        {QStringLiteral("date"), LangText(QStringLiteral("date"), QStringLiteral("Дата"))},
        {QStringLiteral("name"), LangText(QStringLiteral("name"), QStringLiteral("Наименование"))},
        {QStringLiteral("income"), LangText(QStringLiteral("income"), QStringLiteral("Доход"))},
        {QStringLiteral("charge"), LangText(QStringLiteral("charge"), QStringLiteral("Расход"))},
        {QStringLiteral("group"), LangText(QStringLiteral("group"), QStringLiteral("Группа"))},
        {QStringLiteral("reportGroupSubGroup"),
         LangText(QStringLiteral("reportGroupSubGroup"), QStringLiteral("Группа/Подгруппа"))},
        {QStringLiteral("account"), LangText(QStringLiteral("account"), QStringLiteral("Счет"))},
    };
}

// A template text with every bracketed key of texts replaced by its text; other brackets stay.
QString Translated(const QString& text, const QHash<QString, QString>& texts) {
    static const QRegularExpression named(QStringLiteral("\\[(\\w+)\\]"));
    QString result;
    qsizetype from = 0;
    for (const QRegularExpressionMatch& m : named.globalMatch(text)) {
        const auto found = texts.constFind(m.captured(1));
        if (found == texts.constEnd())
            continue;
        result += text.mid(from, m.capturedStart() - from) + *found;
        from = m.capturedEnd();
    }
    return result + text.mid(from);
}

} // namespace

ReportTemplate ParseReportTemplate(const QString& text, const QString& fileName) {
    ReportTemplate tmpl;
    const QHash<QString, QString> texts = ReportTexts();
    int lineNumber = 0;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        ++lineNumber;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) ||
            line.startsWith(QLatin1Char(';')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            Refuse(fileName, lineNumber, QStringLiteral("a line without \"=\""));
        const QString key = line.left(eq).trimmed().toLower();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("title")) {
            tmpl.title = Translated(value, texts);
        } else if (key == QLatin1String("line")) {
            tmpl.lines << Translated(value, texts);
        } else if (key == QLatin1String("footer")) {
            tmpl.footer = Translated(value, texts);
        } else if (key == QLatin1String("font")) {
            if (!value.isEmpty())
                tmpl.fontFamily = value;
        } else if (key == QLatin1String("size")) {
            bool ok = false;
            tmpl.fontSize = QLocale::c().toDouble(value, &ok);
            if (!ok || !(tmpl.fontSize >= 4 && tmpl.fontSize <= 72))
                Refuse(fileName, lineNumber,
                       QStringLiteral("the size is not a number from 4 to 72"));
        } else if (key == QLatin1String("column")) {
            tmpl.columns << ParseColumn(value, fileName, lineNumber);
            tmpl.columns.last().heading = Translated(tmpl.columns.last().heading, texts);
        } else {
            Refuse(fileName, lineNumber, QStringLiteral("unknown key \"%1\"").arg(key));
        }
    }
    if (tmpl.columns.isEmpty())
        Refuse(fileName, lineNumber, QStringLiteral("the template has no column"));
    return tmpl;
}

ReportTemplate ReadReportTemplate(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw ReportError(LangText(QStringLiteral("reportTemplateMissing"),
                                   QStringLiteral("The report template %1 cannot be opened."))
                              .arg(QFileInfo(path).absoluteFilePath()));
    }
    return ParseReportTemplate(QString::fromUtf8(file.readAll()), QFileInfo(path).fileName());
}

QString ExpandReportText(const QString& text, const ReportHeading& heading, int page, int pages) {
    if (!text.contains(QLatin1Char('{')))
        return text;
    QString result = text;
    result.replace(QLatin1String("{AccountTOP}"), heading.accountTop);
    result.replace(QLatin1String("{DateTOP}"), heading.dateTop);
    result.replace(QLatin1String("{ValueTOP}"), heading.valueTop);
    result.replace(QLatin1String("{Page}"), QString::number(page));
    result.replace(QLatin1String("{Pages}"), QString::number(pages));
    return result;
}

} // namespace zovi
