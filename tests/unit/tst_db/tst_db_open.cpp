// Opening the store: a fresh file, a missing one, files that must not be
// overwritten.
#include "tst_db.h"

#include "manager/cjobmanager.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void dropSystemTable(const QString &path)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("drop"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("drop table tb_sys"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("drop"));
}

void setUserVersion(const QString &path, int version)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("version"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = %1").arg(version));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("version"));
}

} // namespace

void TestDb::initFailures_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("starts");
    QTest::newRow("not a database") << 0 << true;
    QTest::newRow("no tb_sys") << 1 << true;
    QTest::newRow("empty tb_sys file") << 2 << true;
    QTest::newRow("newer version") << 3 << false;
}

// A file the start cannot use is never changed: it may be the author's
// data in a state we do not understand. A damaged one is moved aside whole
// and a fresh store made; an empty one is made again; one of a newer
// program stops the start.
void TestDb::initFailures()
{
    QFETCH(int, kind);
    QFETCH(bool, starts);
    TestAppDir other;
    QVERIFY(other.isValid());
    if (kind == 0) {
        QFile file(other.dbFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("These are not the pages of a database.\n").repeated(200));
    } else if (kind == 1) {
        dropSystemTable(other.dbFile());
    } else if (kind == 2) {
        QFile file(other.dbFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    } else {
        setUserVersion(other.dbFile(), 99);
    }
    const QByteArray before = fileHash(other.dbFile());

    QCOMPARE(CJobManager::instance()->init(), starts);
    const T_StoreCheck check = m_db->storeCheck();
    if (check.outcome == T_StoreCheck::MovedAside)
        QCOMPARE(fileHash(check.movedTo), before);
    else if (!starts)
        QCOMPARE(fileHash(other.dbFile()), before);
    QVERIFY(!CJobManager::instance()->startupProblem().isEmpty() || starts);
}

void TestDb::freshFileReadsSystemRow()
{
    TS_Author_Info author;
    TS_SynchronizaTion_SynData syn;
    author.uid = 99;
    QVERIFY(m_db->getSysData(author, syn));
    QCOMPARE(author.uid, 0);
    QCOMPARE(syn.cateVersion, 0);

    QVERIFY(m_db->setLastUser(42));
    QVERIFY(m_db->getSysData(author, syn));
    QCOMPARE(author.uid, 42);
    QVERIFY(qAbs(author.lastLoginTime - m_db->currentTime()) <= 2);
    QVERIFY(m_db->clearLastUser());
    QVERIFY(m_db->getSysData(author, syn));
    QCOMPARE(author.uid, 0);
    QCOMPARE(author.lastLoginTime, 0);
    QCOMPARE(count("tb_sys"), 1);
    QCOMPARE(scalar("PRAGMA journal_mode").toString(), QString("wal"));
}

void TestDb::missingFileIsMadeFromTheSchema()
{
    TestAppDir other;
    QVERIFY(QFile::remove(other.dbFile()));
    QVERIFY(m_db->init());
    QVERIFY(QFile::exists(other.dbFile()));

    // Made from the schema, it is a store the program works with at once.
    TS_Author_Info author;
    TS_SynchronizaTion_SynData syn;
    QVERIFY(m_db->getSysData(author, syn));
    QVERIFY(m_db->setLastUser(1));
    dropSystemTable(other.dbFile());
    QVERIFY(!m_db->setLastUser(1));
    QVERIFY(m_db->lastError().contains("no such table"));
    T_Http_S response;
    m_db->fillDbError(response);
    QCOMPARE(response.code, 10001);
    QCOMPARE(response.msg, QStringLiteral("数据库错误\n") + m_db->lastError());
}
