#include "databases/databasecommands.h"

#include "core/lang.h"
#include "core/paths.h"
#include "databases/databasefolder.h"
#include "databases/passwordhash.h"
#include "databases/rekey.h"
#include "store/datamodules.h"
#include "store/error.h"
#include "store/schema.h"
#include "store/tablecrypt.h"
#include "store/template.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace zovi {

namespace {

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The folder a new database is made in, or an empty text with the refusal of the input.
QString TargetFolder(const NewDatabase& request, QString* refusal) {
    if (request.inDatabases) {
        // The name becomes a folder under Databases/: it must be one plain folder name.
        const QString& name = request.name;
        if (name.isEmpty()) {
            *refusal = LangText(u"nameempty"_s, u"Enter the name of the new database: it becomes "
                                                u"the name of its folder."_s);
            return QString();
        }
        if (name == u"."_s || name == u".."_s || name.contains(u'/') || name.contains(u'\\')) {
            *refusal = LangText(u"namefolder"_s,
                                u"The name \"%1\" cannot be the name of a folder: it must not be "
                                u"\".\" or \"..\" nor hold \"/\" or \"\\\"."_s)
                           .arg(name);
            return QString();
        }
        return DataFolder::file(u"Databases/"_s) + name + u'/';
    }
    if (request.folder.trimmed().isEmpty()) {
        *refusal = LangText(u"folderempty"_s, u"Enter or choose the folder of the new database."_s);
        return QString();
    }
    return Catalogue::withSeparator(QFileInfo(request.folder).absoluteFilePath());
}

// The outermost folder of path that does not exist yet; empty when path exists.
QString OutermostMissing(const QString& path) {
    QString missing;
    QString current = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    while (!QFileInfo::exists(current)) {
        missing = current;
        const QString parent = QFileInfo(current).absolutePath();
        if (parent == current)
            break;
        current = parent;
    }
    return missing;
}

const QDir::Filters kEverything =
    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

// Takes back what making a database added: the folders it made, or, in a folder that existed
// before, every file and folder that was not there.
class CreationUndo {
public:
    explicit CreationUndo(const QString& folder)
        : m_folder(folder), m_missing(OutermostMissing(folder)) {
        if (m_missing.isEmpty())
            m_before = QDir(folder).entryList(kEverything);
    }

    void undo() const {
        if (!m_missing.isEmpty()) {
            QDir(m_missing).removeRecursively();
            return;
        }
        const QDir dir(m_folder);
        for (const QString& name : dir.entryList(kEverything)) {
            if (m_before.contains(name))
                continue;
            const QString path = dir.filePath(name);
            if (QFileInfo(path).isDir() && !QFileInfo(path).isSymLink())
                QDir(path).removeRecursively();
            else
                QFile::remove(path);
        }
    }

private:
    QString m_folder;
    QString m_missing;
    QStringList m_before;
};

// While a copy of an encrypted database is made, its target folder is read and written with the
// database's key, so that the copies of its tables are encrypted with it (and the copy's data.un,
// plain, is copied as it is: the copy opens with the same password). A plain database leaves the
// target as it is.
class KeyedTarget {
public:
    KeyedTarget(const QString& folder, const QString& target)
        : m_target(target),
          m_key(TableCrypt::keyFor(QDir(folder).filePath(schemas::Data().fileName))) {
        if (m_key)
            TableCrypt::remember(m_target, m_key);
    }
    ~KeyedTarget() {
        if (m_key)
            TableCrypt::forget(m_target);
    }
    KeyedTarget(const KeyedTarget&) = delete;
    KeyedTarget& operator=(const KeyedTarget&) = delete;

private:
    QString m_target;
    std::shared_ptr<const TableKey> m_key;
};

// Copies the listed files of folder into target on a thread of its own (see
// BackupCopy::copyListed). Meanwhile this thread's event loop keeps turning without user input,
// so that windows paint and timers run while the copy waits for a locked file; step runs here,
// once per file, in order.
QStringList CopyAside(const QString& folder, const QString& target,
                      const std::function<void()>& step, QStringList* reasons) {
    QObject steps; // lives on this thread: the copy's steps are delivered to it
    const auto post = [&steps, step] {
        if (step)
            QMetaObject::invokeMethod(&steps, step, Qt::QueuedConnection);
    };
    QStringList failed;
    const KeyedTarget keyed(folder, target);
    std::unique_ptr<QThread> copier(
        QThread::create([&] { failed = BackupCopy::copyListed(folder, target, post, reasons); }));
    QEventLoop loop;
    QObject::connect(copier.get(), &QThread::finished, &loop, &QEventLoop::quit);
    copier->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    copier->wait();
    // Steps posted just before the end are delivered before the caller goes on.
    QCoreApplication::sendPostedEvents(&steps, QEvent::MetaCall);
    return failed;
}

// A password an older version kept as typed has just been given (it was compared as typed):
// data.un gets its hash in its place, and the copies made from now on hold the hash. Should
// data.un not be writable now, the password stays as it was and works as before; the next
// opening tries again.
void KeepHashOnly(const QString& folder, const QString& stored) {
    if (stored.isEmpty() || PasswordHash::isHash(stored) || PasswordHash::isKeyed(stored))
        return;
    try {
        DatabaseFolder::setPassword(folder, stored);
    } catch (const StoreError&) {
    }
}

} // namespace

PasswordCheck CheckPassword(const QString& folder, const PasswordConfirm& confirm) {
    PasswordCheck result;
    if (!DatabaseFolder::exists(folder)) {
        result.passed = true;
        return result;
    }
    // A rewrite that cannot be finished now stays committed, and the next opening goes on with
    // it; until then the folder holds tables of both keys, and nothing of it is opened.
    QString unfinished;
    if (!Rekey::finishInterrupted(folder, &unfinished)) {
        result.error =
            LangText(u"rekeyunfinished"_s,
                     u"The database's tables were being rewritten under a new password, and the "
                     u"rewrite cannot be finished now: %1"_s)
                .arg(unfinished);
        return result;
    }
    try {
        result.password = DatabaseFolder::password(folder);
    } catch (const StoreError& e) {
        result.error = e.message();
        return result;
    }
    result.passed = result.password.isEmpty() || (confirm && confirm(result.password));
    // The tables of an encrypted database cannot be read without the key the check yields.
    if (result.passed && PasswordHash::isKeyed(result.password)) {
        result.key = PasswordHash::takeUnlocked(result.password);
        result.passed = result.key != nullptr;
    }
    return result;
}

EntryRemoval CheckEntryRemoval(const QString& folder, const PasswordConfirm& confirm) {
    const PasswordCheck check = CheckPassword(folder, confirm);
    EntryRemoval result;
    result.allowed = check.passed || !check.error.isEmpty();
    if (!check.error.isEmpty())
        result.notice =
            check.error + u"\n\n"_s +
            LangText(u"unreadableentry"_s,
                     u"The entry can still be removed from the list of databases: only its line "
                     u"goes, the folder and its files stay as they are."_s);
    return result;
}

OpenOutcome OpenChosenDatabase(LedgerTables& data, DebtTables& cd, const QString& folder,
                               const PasswordConfirm& confirm, const std::function<void()>& step) {
    OpenOutcome result;
    // The checks come before any handle is touched, so a refused folder changes nothing.
    QString missingFile;
    const DatabaseFolder::Check check = DatabaseFolder::check(folder, &missingFile);
    if (check != DatabaseFolder::Check::Ok) {
        const QString key = check == DatabaseFolder::Check::NoPassword ? u"err019"_s : u"err020"_s;
        result.refusal = LangText(key, key);
        // Which of the table files is missing follows the translated text.
        if (check == DatabaseFolder::Check::MissingTable && !missingFile.isEmpty())
            result.refusal += u' ' + missingFile;
        result.beep = true;
        return result;
    }
    const PasswordCheck password = CheckPassword(folder, confirm);
    if (!password.passed) {
        result.refusal = password.error;
        return result;
    }
    // A second instance on the same folder would overwrite the first one's changes unseen.
    FolderLock lock;
    if (lock.acquire(folder) == FolderLock::Result::Busy) {
        result.refusal =
            LangText(u"dbinuse"_s, u"The database is already open in another window."_s);
        return result;
    }
    // Every connection on the folder's tables reads and writes them with the key; data.un stays
    // plain, since the password is checked before any key exists.
    if (password.key) {
        TableCrypt::remember(folder, password.key);
        TableCrypt::remember(DatabaseFolder::passwordFile(folder), nullptr);
    } else {
        TableCrypt::forget(folder);
    }
    try {
        PreparePrintTables(DataFolder::path(), password.key);
        BindDatabase(data, cd, folder, DataFolder::path(), step);
        data.folderLock = std::move(lock);
        OpenDatabase(data, cd, step);
    } catch (const StoreError& e) {
        CloseDatabase(data, cd);
        if (password.key)
            TableCrypt::forget(folder);
        result.refusal = e.message();
        return result;
    }
    // Every table was read, so SQLite has rolled back what a killed process left; with the folder
    // held, nobody else is committing there.
    if (data.folderLock.held())
        DatabaseFolder::removeStaleJournals(folder);
    // A database the user may only read opens for browsing, said once here; every save is then
    // refused with the same text.
    const QString tablesFolder = QFileInfo(data.tbData.path()).absolutePath();
    for (TableHandle* handle : OpeningOrder(data, cd)) {
        if (handle->isReadOnly() && QFileInfo(handle->path()).absolutePath() == tablesFolder) {
            result.notice = ReadOnlyMessage();
            break;
        }
    }
    // The automatic copy at close goes into RCopy/; a folder only read keeps none.
    if (result.notice.isEmpty()) {
        const QString copies = DatabaseFolder::copiesFolder(folder);
        // A copy there that was killed half-way is finished now, so that the folder holds one
        // whole copy again before anyone restores from it.
        if (QDir().mkpath(copies))
            BackupCopy::finishInterrupted(copies);
        KeepHashOnly(folder, password.password);
    }
    result.opened = true;
    result.folder = Catalogue::withSeparator(folder);
    return result;
}

void PreparePrintTables(const QString& dataFolder, const std::shared_ptr<const TableKey>& key) {
    const QString report = QDir(dataFolder).filePath(u"Report"_s);
    // The whole folder, so that the tables' journals are encrypted with them.
    if (key)
        TableCrypt::remember(report, key);
    else
        TableCrypt::forget(report);
    for (const TableSchema* schema : PrintTables()) {
        const QString file = FindFile(report, schema->fileName);
        if (!key && !TableCrypt::looksEncrypted(file))
            continue;
        for (const char* suffix : {"", "-journal"})
            QFile::remove(file + QLatin1String(suffix));
        if (QFileInfo::exists(file))
            throw StoreError(u"The print table %1 cannot be replaced."_s.arg(Native(file)));
        CreateTableFile(*schema, file);
    }
}

NewDatabaseOutcome AddDatabase(const NewDatabase& request,
                               const std::function<void(int length)>& length,
                               const std::function<void()>& step) {
    NewDatabaseOutcome result;
    result.entry.name = request.name;
    if (!request.create) {
        // An existing folder is registered as it is; its line needs the trailing separator.
        const bool typed = !request.inDatabases && !request.folder.trimmed().isEmpty();
        result.entry.folder = typed ? Catalogue::withSeparator(request.folder) : request.folder;
        result.added = true;
        return result;
    }

    const QString target = TargetFolder(request, &result.message);
    if (target.isEmpty())
        return result;
    const CreationUndo undo(target);
    const QString copies = DatabaseFolder::copiesFolder(target);
    if (!QDir().mkpath(copies)) {
        undo.undo();
        result.message =
            LangText(u"foldercreate"_s, u"The folder %1 cannot be created."_s).arg(Native(copies));
        return result;
    }
    result.entry.folder = target;
    if (DatabaseFolder::exists(target)) {
        // The existing database is registered under the new name; none of its files change.
        result.message = LangText(u"err015"_s, u"Database already is exist"_s);
        result.added = true;
        return result;
    }
    const QString source = ProgramFolder::file(u"Template/"_s);
    try {
        if (length)
            length(DatabaseFolder::templateLength(source));
        DatabaseFolder::copyTemplate(source, target, step);
        if (request.encrypt && !request.password.isEmpty()) {
            Rekey::Change change;
            change.stored = PasswordHash::makeKeyed(request.password, &change.newKey);
            Rekey::apply(target, change);
        } else {
            DatabaseFolder::setPassword(target, request.password);
        }
    } catch (const StoreError& e) {
        undo.undo();
        result.message = e.message();
        return result;
    }
    result.added = true;
    return result;
}

QString ChangeDatabase(const DatabaseChange& change) {
    try {
        const QString stored = DatabaseFolder::password(change.folder);
        const bool keyed = PasswordHash::isKeyed(stored);
        const bool samePassword = change.newPassword == change.oldPassword;
        if (keyed == change.encrypt && samePassword)
            return QString();
        if (change.encrypt && change.newPassword.isEmpty())
            return LangText(u"encryptnopassword"_s,
                            u"The tables can be encrypted only with a password: enter one."_s);
        Rekey::Change rewrite;
        if (keyed) {
            rewrite.oldKey = PasswordHash::unlock(change.oldPassword, stored);
            if (!rewrite.oldKey)
                return LangText(u"wrongpassword"_s, u"The password is wrong."_s);
        } else if (!PasswordHash::matches(change.oldPassword, stored)) {
            return LangText(u"wrongpassword"_s, u"The password is wrong."_s);
        }
        // A plain database that stays plain keeps its tables: only data.un changes.
        if (!keyed && !change.encrypt) {
            DatabaseFolder::setPassword(change.folder, change.newPassword);
            return QString();
        }
        rewrite.stored = change.encrypt
                             ? PasswordHash::makeKeyed(change.newPassword, &rewrite.newKey)
                             : PasswordHash::make(change.newPassword);
        Rekey::apply(change.folder, rewrite);
    } catch (const StoreError& e) {
        return e.message();
    }
    return QString();
}

QString ProposedBackupFolder(const QString& stored) {
    const bool programFolder =
        !stored.isEmpty() && QFileInfo(stored).canonicalFilePath() ==
                                 QFileInfo(ProgramFolder::path()).canonicalFilePath();
    return stored.isEmpty() || programFolder ? BackupsFolder::path() : stored;
}

QString BackupTarget(const QString& folder, const QString& name, const QString& chosen) {
    if (chosen.isEmpty())
        return chosen;
    const bool backupsFolder = QFileInfo(chosen).canonicalFilePath() ==
                               QFileInfo(BackupsFolder::path()).canonicalFilePath();
    if (!backupsFolder && BackupCopy::holder(chosen, folder) != BackupCopy::Holder::AnotherDatabase)
        return chosen;
    const QString own = BackupCopy::folderName(name, folder);
    QString target = QDir(chosen).filePath(own);
    for (int n = 2; BackupCopy::holder(target, folder) == BackupCopy::Holder::AnotherDatabase; ++n)
        target = QDir(chosen).filePath(u"%1 (%2)"_s.arg(own, QString::number(n)));
    return target;
}

BackupOutcome MakeBackup(const QString& folder, const QString& name, const QString& chosen,
                         const std::function<void()>& step) {
    BackupOutcome result;
    if (chosen.isEmpty()) {
        result.message = LangText(u"copyfolder"_s, u"Choose the folder for the copy."_s);
        return result;
    }
    // A database without its list of files would give an empty backup that looks made.
    const QStringList listed = DatabaseFolder::listedFiles(folder);
    if (listed.isEmpty()) {
        result.message = LangText(u"copynothing"_s,
                                  u"The database folder %1 lists no files in copy.txt: nothing "
                                  u"can be copied."_s)
                             .arg(Native(folder));
        return result;
    }
    result.target = BackupTarget(folder, name, chosen);
    // Only a sub-folder of the chosen folder is made: a chosen folder that is gone stays gone.
    if (result.target != chosen)
        QDir().mkpath(result.target);
    QStringList reasons;
    const QStringList failed = CopyAside(folder, result.target, step, &reasons);
    result.copied = true;
    // The note says whose copy the folder holds, once it holds any of it.
    const QString note = LangText(u"copynote"_s, u"This folder holds a backup copy of a Zovi "
                                                 u"database, made when the program closed."_s);
    const bool anyCopied = std::any_of(listed.cbegin(), listed.cend(),
                                       [&](const QString& file) { return !failed.contains(file); });
    if (anyCopied && !BackupCopy::writeNote(result.target, folder, name, note))
        reasons << BackupCopy::noteFileName();
    // The list follows the text on lines of its own, since a lang.ini text is one line.
    if (!reasons.isEmpty())
        result.message = LangText(u"copyfailed"_s, u"These files could not be copied into %1:"_s)
                             .arg(Native(result.target)) +
                         u'\n' + reasons.join(u'\n');
    return result;
}

void MakeLocalCopy(const QString& folder) {
    CopyAside(folder, DatabaseFolder::copiesFolder(folder), {}, nullptr);
}

} // namespace zovi
