#include "views/presets.h"

#include "core/keptfile.h"
#include "core/lang.h"
#include "core/paths.h"
#include "core/textutil.h"
#include "store/datamodules.h"
#include "store/table.h"
#include "views/dateperiods.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

namespace zovi {

namespace {

// Why a preset file that is a symbolic link is neither read nor written: a preset is a file of
// the CFT folder, and a link would lead the program to a file anywhere.
QString SymbolicLinkRefusal() {
    return LangText(QStringLiteral("presetlink"),
                    QStringLiteral("the preset file is a symbolic link, which is not followed."));
}

// The names of a table's view, in its order; none when it is closed. The accounts (Gr1) and the
// group tables all keep a row's name in Name.
QList<SelectionLine> NameLines(const TableHandle& table) {
    QList<SelectionLine> lines;
    if (!table.isOpen())
        return lines;
    const int column = table.fieldIndex(fields::Gr1::Name);
    for (int row = 0; row < table.recordCount(); ++row)
        lines.append({table.textAt(row, column), false});
    return lines;
}

// Each group's name as a header line followed by the names of its sub-groups; a group without
// sub-groups is left out unless withEmptyGroups. The sub-group handle is read detached from its
// group, so that the group handle's cursor, and with it every detail view, stays where it was.
QList<SelectionLine> SubGroupLines(const TableHandle& groups, TableHandle& subGroups,
                                   bool withEmptyGroups) {
    QList<SelectionLine> lines;
    if (!groups.isOpen() || !subGroups.isOpen())
        return lines;
    const bool relink = subGroups.masterAttached();
    if (relink)
        subGroups.detachMaster();
    const auto relinkAgain = qScopeGuard([&] {
        if (relink)
            subGroups.attachMaster();
    });
    const int groupId = groups.fieldIndex(fields::GroupTable::ID);
    const int groupName = groups.fieldIndex(fields::GroupTable::Name);
    const int link = subGroups.fieldIndex(fields::SubGroupTable::IDsecond);
    const int subName = subGroups.fieldIndex(fields::SubGroupTable::Name);
    for (int g = 0; g < groups.recordCount(); ++g) {
        const QString id = groups.textAt(g, groupId);
        QList<SelectionLine> subs;
        for (int s = 0; s < subGroups.recordCount(); ++s) {
            if (subGroups.textAt(s, link) == id)
                subs.append({subGroups.textAt(s, subName), false});
        }
        if (subs.isEmpty() && !withEmptyGroups)
            continue;
        lines.append({groups.textAt(g, groupName), true});
        lines.append(subs);
    }
    return lines;
}

// The index of the dates list among the preset's lists.
constexpr size_t kPeriods = 5;

// A name as a preset line holds it: an "&" inside written twice, then the "&" that ends it.
QString LineName(const QString& name) {
    QString text = name;
    text.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return text + QLatin1Char('&');
}

// The names of one preset line: each runs up to the next single "&", "&&" standing for an "&"
// of the name; what follows the last "&" counts as a name as well; empty names are dropped. A
// run of three "&" ends the name before it with an "&" of its own: "B&&&A&" is "B&" and "A".
// (The writer gives the same text for "B" and "&A"; a name ending in "&" is taken to be the
// likelier of the two.)
QStringList LineNames(const QString& line) {
    QStringList names;
    QString name;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c != QLatin1Char('&')) {
            name += c;
        } else if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('&')) {
            name += c;
            ++i;
        } else {
            if (!name.isEmpty())
                names << name;
            name.clear();
        }
    }
    if (!name.isEmpty())
        names << name;
    return names;
}

// A period of the dates list as the file keeps it, in yyyy-MM-dd, so that it reads the same
// under every locale; a line that is no period is kept as it is.
QString StoredPeriod(const QString& line) {
    const auto period = ParsePeriodText(line);
    return period ? PeriodText(*period, DateForm::Iso) : line;
}

// A period of the file as the dates list shows it: yyyy-MM-dd, or the short date format of the
// files written before the periods were kept in yyyy-MM-dd. Anything else is kept as it is.
QString ShownPeriod(const QString& stored) {
    auto period = ParsePeriodText(stored, DateForm::Iso);
    if (!period)
        period = ParsePeriodText(stored);
    return period ? PeriodText(*period) : stored;
}

} // namespace

std::array<QList<SelectionLine>, 5> SelectionListLines(LedgerTables& data) {
    return {NameLines(data.tbGrD), NameLines(data.tbGrR),
            SubGroupLines(data.tbGrD, data.tbGrD2, false),
            SubGroupLines(data.tbGrR, data.tbGrR2, true), NameLines(data.tbGr1)};
}

QString SummaryText(const QStringList& lines) {
    return lines.isEmpty() ? QString() : lines.join(QStringLiteral("; ")) + QLatin1Char('.');
}

QByteArray PresetBytes(const PresetLists& lists) {
    QString text;
    for (size_t i = 0; i < lists.size(); ++i) {
        for (const QString& name : lists[i])
            text += LineName(i == kPeriods ? StoredPeriod(name) : name);
        if (i + 1 < lists.size())
            text += QStringLiteral("\r\n");
    }
    const QByteArray cp1251 = EncodeCp1251(text);
    return DecodeCp1251(cp1251) == text ? cp1251 : text.toUtf8();
}

PresetLists ParsePreset(const QByteArray& bytes) {
    PresetLists lists;
    const QStringList lines = DecodeText(bytes).split(QLatin1Char('\n'));
    for (size_t i = 0; i < lists.size() && qsizetype(i) < lines.size(); ++i) {
        QString line = lines.at(qsizetype(i));
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        lists[i] = LineNames(line);
    }
    for (QString& period : lists[kPeriods])
        period = ShownPeriod(period);
    return lists;
}

QString PresetFolder() {
    const QString folder = DataFolder::file(QStringLiteral("CFT/"));
    QDir().mkpath(folder);
    return folder;
}

QStringList PresetNames() {
    const QDir folder(PresetFolder());
    QStringList names = folder.entryList({QStringLiteral("*.cft")},
                                         QDir::Files | QDir::NoSymLinks | QDir::CaseSensitive,
                                         QDir::Name | QDir::IgnoreCase);
    for (QString& name : names)
        name.chop(4);
    names.removeIf([](const QString& name) { return !IsValidPresetName(name); });
    return names;
}

bool IsValidPresetName(const QString& name) {
    return IsPlainFileName(name);
}

QString PresetPath(const QString& name) {
    return PresetFolder() + name + QStringLiteral(".cft");
}

std::optional<QString> ReadPresetFile(const QString& path, QByteArray* bytes) {
    if (QFileInfo(path).isSymLink())
        return SymbolicLinkRefusal();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    *bytes = file.readAll();
    return std::nullopt;
}

std::optional<QString> WritePresetFile(const QString& path, const QByteArray& bytes) {
    // A link would be written through to wherever it points.
    if (QFileInfo(path).isSymLink())
        return SymbolicLinkRefusal();
    return WriteKeptFile(path, bytes);
}

} // namespace zovi
