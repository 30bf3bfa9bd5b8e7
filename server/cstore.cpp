#include "cstore.h"

#include <QDebug>
#include <QDir>
#include <QSqlError>
#include <QThread>

#include <atomic>

namespace {

QString g_dataDir;
std::atomic<int> g_connectionCounter{0};

const char *const kSchema[] = {
    "create table if not exists authors(uid integer primary key autoincrement, phone text unique, "
    "pwd_hash text not null default '', author_name text not null default '', sex text not null default 'O', "
    "sign text not null default '', birthday text not null default '', headimg text not null default '', "
    "wx_id text unique, create_time integer not null default 0)",
    "create table if not exists tokens(token_hash text primary key, uid integer not null, "
    "create_time integer not null, last_used integer not null default 0)",
    "create index if not exists idx_tokens_uid on tokens(uid)",
    "create table if not exists sms_codes(phone text primary key, code text not null, sent_at integer not "
    "null, "
    "tries integer not null default 0, used integer not null default 0)",
    "create table if not exists sms_sent(address text not null, sent_at integer not null)",
    "create index if not exists idx_sms_sent_address on sms_sent(address, sent_at)",
    "create index if not exists idx_sms_sent_time on sms_sent(sent_at)",
    "create table if not exists books(book_id integer primary key autoincrement, uid integer not null, "
    "book_name text not null default '', cover text not null default '', intro text not null default '', "
    "cate_id integer not null default 0, first_cate_id integer not null default 0, "
    "channel_type integer not null default 0, create_time integer not null default 0, "
    "update_time integer not null default 0)",
    "create index if not exists idx_books_uid on books(uid)",
    "create table if not exists chapters(chapter_id integer primary key autoincrement, book_id integer not "
    "null, "
    "uid integer not null, chapter_name text not null default '', content text not null default '', "
    "word_count integer not null default 0, order_num integer not null default 0, "
    "status integer not null default 1, create_time integer not null default 0, "
    "update_time integer not null default 0)",
    "create index if not exists idx_chapters_book on chapters(book_id, order_num)",
    "create table if not exists blades(id integer primary key autoincrement, uid integer not null, "
    "book_id integer not null, chapter_id integer not null, chapter_name text not null default '', "
    "content text not null default '', word_num integer not null default 0, create_time integer not null, "
    "unique(chapter_id, create_time))",
    "create table if not exists memos(memo_id integer primary key autoincrement, uid integer not null, "
    "color text not null default '', content text not null default '', update_time integer not null default "
    "0, "
    "color_update_time integer not null default 0, book_id integer not null default 0, "
    "chapter_id integer not null default 0, location text not null default '')",
    "create index if not exists idx_memos_uid on memos(uid)",
    "create table if not exists statistics(uid integer not null, date text not null, "
    "pc_word integer not null default 0, write_time integer not null default 0, "
    "speed integer not null default 0, channel integer not null default 0, "
    "update_time integer not null default 0, primary key(uid, date))",
    "create table if not exists private_words(uid integer primary key, words text not null default '', "
    "update_time integer not null default 0)",
    "create table if not exists clients(uid integer not null, unique_code text not null, "
    "first_seen integer not null, primary key(uid, unique_code))",
    "create table if not exists creations(uid integer not null, unique_code text not null, kind integer not "
    "null, parent_id integer not null default 0, local_id integer not null, server_id integer not null, "
    "primary key(uid, unique_code, kind, parent_id, local_id))",
    "create table if not exists changes(task_id integer primary key autoincrement, uid integer not null, "
    "unique_code text not null, change_type integer not null, book_id integer not null default 0, "
    "chapter_id integer not null default 0, extra text not null default '{}', create_time integer not null)",
    "create index if not exists idx_changes_client on changes(uid, unique_code, task_id)",
    "create table if not exists retired_clients(uid integer not null, unique_code text not null, "
    "last_seen integer not null, primary key(uid, unique_code))",
    "create table if not exists tombstones(uid integer not null, change_type integer not null, "
    "book_id integer not null, chapter_id integer not null, create_time integer not null)",
    "create index if not exists idx_tombstones_uid on tombstones(uid, create_time)",
    "create index if not exists idx_changes_object on changes(uid, unique_code, change_type, book_id, "
    "chapter_id)",
    "create table if not exists feedback(id integer primary key autoincrement, uid integer not null default "
    "0, "
    "content text not null, contact text not null default '', create_time integer not null)",
};

// Closes and removes the thread's connection when the thread ends.
struct ThreadConnection
{
    QString name;
    ~ThreadConnection()
    {
        if (name.isEmpty())
            return;
        {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            if (db.isValid())
                db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
};

bool openConnection(const QString &name, QSqlDatabase &out)
{
    out = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    out.setDatabaseName(QDir(g_dataDir).filePath(QStringLiteral("server.db")));
    out.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (!out.open()) {
        qWarning() << "cannot open the server database:" << out.lastError().text();
        return false;
    }
    QSqlQuery pragma(out);
    pragma.exec(QStringLiteral("pragma synchronous = normal"));
    pragma.exec(QStringLiteral("pragma temp_store = memory"));
    return true;
}

} // namespace

bool CStore::init(const QString &dataDir)
{
    g_dataDir = dataDir;
    if (!QDir().mkpath(dataDir)) {
        qWarning() << "cannot create the data folder" << dataDir;
        return false;
    }
    QSqlDatabase db = connection();
    if (!db.isOpen())
        return false;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("pragma journal_mode = wal")) || !q.next() ||
        q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        qWarning() << "the server database refused WAL mode";
        return false;
    }
    q.finish();
    return createSchema(db);
}

QString CStore::dataDir()
{
    return g_dataDir;
}

// Data folders from before chapters were told apart by their book keep
// their creations: chapters take the book they are in as their parent.
bool CStore::upgradeCreations(QSqlDatabase &db)
{
    QSqlQuery q(db);
    const bool hasTable =
        q.exec(QStringLiteral("select 1 from sqlite_master where type = 'table' and name = 'creations'")) &&
        q.next();
    if (!hasTable)
        return true;
    q.exec(QStringLiteral("select count(*) from pragma_table_info('creations') where name = 'parent_id'"));
    if (q.next() && q.value(0).toInt() > 0)
        return true;
    const char *const steps[] = {
        "alter table creations rename to creations_old",
        "create table creations(uid integer not null, unique_code text not null, kind integer not null, "
        "parent_id integer not null default 0, local_id integer not null, server_id integer not null, "
        "primary key(uid, unique_code, kind, parent_id, local_id))",
        "insert or ignore into creations(uid, unique_code, kind, parent_id, local_id, server_id) "
        "select o.uid, o.unique_code, o.kind, case when o.kind = 2 then coalesce((select book_id from "
        "chapters "
        "where chapter_id = o.server_id), 0) else 0 end, o.local_id, o.server_id from creations_old o",
        "drop table creations_old",
    };
    q.finish();
    if (!db.transaction())
        return false;
    for (const char *sql : steps) {
        if (!q.exec(QString::fromLatin1(sql))) {
            qWarning() << "upgrading the creations table failed:" << q.lastError().text();
            db.rollback();
            return false;
        }
    }
    return db.commit();
}

bool CStore::createSchema(QSqlDatabase &db)
{
    QSqlQuery q(db);
    if (!upgradeCreations(db)) {
        qWarning() << "the creations table could not be upgraded";
        return false;
    }
    for (const char *sql : kSchema) {
        if (!q.exec(QString::fromLatin1(sql))) {
            qWarning() << "schema statement failed:" << q.lastError().text();
            return false;
        }
    }
    // Clients from before devices were retired were last seen when first
    // seen; tokens from before idle sessions ended were used when issued.
    return addColumn(db, "clients", "last_seen", "last_seen = first_seen") &&
           addColumn(db, "tokens", "last_used", "last_used = create_time") && addMissingColumns(db);
}

// Adds an integer column that an older data folder lacks, filled by `fill`.
bool CStore::addColumn(QSqlDatabase &db, const char *table, const char *column, const char *fill)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("select count(*) from pragma_table_info('%1') where name = '%2'")
                    .arg(QLatin1String(table), QLatin1String(column))) ||
        !q.next())
        return false;
    const bool present = q.value(0).toInt() > 0;
    q.finish();
    return present ||
           (q.exec(QStringLiteral("alter table %1 add column %2 integer not null default 0")
                       .arg(QLatin1String(table), QLatin1String(column))) &&
            q.exec(QStringLiteral("update %1 set %2").arg(QLatin1String(table), QLatin1String(fill))));
}

// Columns added after the first release: a data folder of an older server
// gets them on start.
bool CStore::addMissingColumns(QSqlDatabase &db)
{
    struct Column
    {
        const char *table, *name, *declaration;
    };
    // The time (client clock of the save, server seconds) and the client code
    // of the chapter's current text.
    static const Column kColumns[] = {
        {"chapters", "content_time", "integer not null default 0"},
        {"chapters", "content_code", "text not null default ''"},
    };
    QSqlQuery q(db);
    for (const Column &column : kColumns) {
        if (!q.exec(QStringLiteral("pragma table_info(%1)").arg(QLatin1String(column.table))))
            return false;
        bool present = false;
        while (q.next())
            present = present || q.value(1).toString() == QLatin1String(column.name);
        if (present)
            continue;
        if (!q.exec(QStringLiteral("alter table %1 add column %2 %3")
                        .arg(QLatin1String(column.table), QLatin1String(column.name),
                             QLatin1String(column.declaration)))) {
            qWarning() << "cannot add the column" << column.name << ":" << q.lastError().text();
            return false;
        }
    }
    return true;
}

QSqlDatabase CStore::connection()
{
    static thread_local ThreadConnection conn;
    if (conn.name.isEmpty()) {
        const QString name = QStringLiteral("qs_%1").arg(++g_connectionCounter);
        QSqlDatabase db;
        if (!openConnection(name, db))
            return db;
        conn.name = name;
        return db;
    }
    return QSqlDatabase::database(conn.name, false);
}

std::mutex &CStore::writeMutex()
{
    static std::mutex m;
    return m;
}

QSqlQuery CStore::run(const QString &sql, const QVariantList &binds, bool *ok)
{
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    bool done = q.prepare(sql);
    if (done) {
        // A null string would be stored as NULL; every text column is NOT NULL.
        for (const QVariant &v : binds)
            q.addBindValue(v.type() == QVariant::String && v.toString().isNull() ? QVariant(QLatin1String(""))
                                                                                 : v);
        done = q.exec();
    }
    if (!done)
        qWarning() << "statement failed:" << q.lastError().text() << "in" << sql.left(80);
    if (ok)
        *ok = done;
    return q;
}

QVariant CStore::scalar(const QString &sql, const QVariantList &binds, bool *ok)
{
    QSqlQuery q = run(sql, binds, ok);
    if (q.isActive() && q.next())
        return q.value(0);
    return QVariant();
}

namespace {
thread_local CWriteTx *t_openTx = nullptr;
}

CWriteTx::CWriteTx() : m_lock(CStore::writeMutex())
{
    m_open = CStore::connection().transaction();
    if (!m_open)
        qWarning() << "cannot begin a write transaction";
    m_outer = t_openTx;
    t_openTx = this;
}

CWriteTx::~CWriteTx()
{
    if (m_open)
        CStore::connection().rollback();
    t_openTx = m_outer;
}

bool CWriteTx::commit()
{
    if (!m_open)
        return false;
    m_open = false;
    if (!CStore::connection().commit())
        return false;
    const std::vector<std::function<void()>> hooks = std::move(m_afterCommit);
    m_afterCommit.clear();
    for (const auto &fn : hooks)
        fn();
    return true;
}

void CWriteTx::afterCommit(std::function<void()> fn)
{
    if (t_openTx && t_openTx->m_open)
        t_openTx->m_afterCommit.push_back(std::move(fn));
    else
        fn();
}
