#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace zovi {

class TableHandle;
class LedgerTables;

// One line of a selection list of the "Extended" filter page: a name the user may tick, or a
// header line naming the group whose sub-groups follow it (never ticked).
struct SelectionLine {
    QString text;
    bool header = false;

    friend bool operator==(const SelectionLine&, const SelectionLine&) = default;
};

// The lines of the five selection lists ("List1" to "List5"): the income groups (GrD), the charge
// groups (GrR), the income sub-groups under a header line per income group that has any (GrD2), the
// charge sub-groups under a header line per charge group, also one without sub-groups (GrR2), and
// the accounts (Gr1); each in table order. The sub-group handles are detached from their groups
// while they are read and linked again afterwards; no cursor moves. A closed table gives no lines.
std::array<QList<SelectionLine>, 5> SelectionListLines(LedgerTables& data);

// The summary label of a list: the lines joined by "; " and closed by "."; empty for none.
QString SummaryText(const QStringList& lines);

// The six lists of a preset: the ticked lines of the five selection lists and every line of
// the date-period list ("List6").
using PresetLists = std::array<QStringList, 6>;

// The bytes of a preset file: six lines ending in CR LF except the last, each holding its
// names, every one followed by "&", an "&" inside a name written "&&". The periods are written
// in yyyy-MM-dd ("2005-03-01-2005-03-31"), whatever the short date format is. Windows-1251 when
// every name has its character there; otherwise UTF-8, so that no name turns into question marks.
QByteArray PresetBytes(const PresetLists& lists);

// The lists of a preset file, read as DecodeText reads text (UTF-8 or Windows-1251). A line
// ending in CR LF or LF; each name is the text up to the next single "&" ("&&" is an "&" of
// the name), and a trailing text without "&" counts as a name as well; empty names are dropped.
// The periods, in yyyy-MM-dd or in the short date format of older files, come back in the short
// date format; a line that is no period stays as it is. Missing lines give empty lists and lines
// after the sixth are ignored, so a damaged file gives what it holds.
PresetLists ParsePreset(const QByteArray& bytes);

// The folder of the presets, "CFT/" in the program folder, made when it is missing; with a
// trailing separator.
QString PresetFolder();

// The names of the presets in the folder ("*.cft" without the extension), in name order
// without regard to letter case. Symbolic links are no presets and are left out.
QStringList PresetNames();

// Whether a (trimmed) name can be a preset file in the folder (IsPlainFileName): not empty, no "/"
// or "\", no control characters, and neither "." nor "..".
bool IsValidPresetName(const QString& name);

// The path of the preset file of a name.
QString PresetPath(const QString& name);

// Reads a preset file into bytes. A file that is a symbolic link is not read. The reason of a
// failure, or nothing on success.
std::optional<QString> ReadPresetFile(const QString& path, QByteArray* bytes);

// Writes a preset file safely: the old file stays whole until the new one is complete. A path
// that is a symbolic link is not written through. The reason of a failure, or nothing on success.
std::optional<QString> WritePresetFile(const QString& path, const QByteArray& bytes);

} // namespace zovi
