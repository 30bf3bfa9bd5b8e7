// Opening the store: a fresh file, a missing one, files that must not be
// touched.
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

} // namespace

void TestDb::initFailures_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("not a database") << 0;
    QTest::newRow("no tb_sys") << 1;
    QTest::newRow("empty tb_sys file") << 2;
}

// Start-up fails on a file it cannot use, and leaves that file exactly as it
// was: it may be the author's data in a state we do not understand.
void TestDb::initFailures()
{
    QFETCH(int, kind);
    TestAppDir other;
    QVERIFY(other.isValid());
    if (kind == 0) {
        QFile file(other.dbFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray("These are not the pages of a database.\n").repeated(200));
    } else if (kind == 1) {
        dropSystemTable(other.dbFile());
    } else {
        QFile file(other.dbFile());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    }
    const QByteArray before = fileHash(other.dbFile());

    QVERIFY(!CJobManager::instance()->init());
    QCOMPARE(fileHash(other.dbFile()), before);
    QVERIFY(!QFile::exists(other.dbFile() + "-wal"));
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

void TestDb::missingFileIsCreatedEmpty()
{
    TestAppDir other;
    QVERIFY(QFile::remove(other.dbFile()));
    QVERIFY(m_db->init());
    QVERIFY(QFile::exists(other.dbFile()));

    TS_Author_Info author;
    TS_SynchronizaTion_SynData syn;
    QVERIFY(!m_db->getSysData(author, syn));
    QVERIFY(!m_db->setLastUser(1));
    QVERIFY(m_db->lastError().contains("no such table"));
    T_Http_S response;
    m_db->fillDbError(response);
    QCOMPARE(response.code, 10001);
    QCOMPARE(response.msg, QStringLiteral("数据库错误\n") + m_db->lastError());

    QVERIFY(!CJobManager::instance()->init());
    QCOMPARE(QFileInfo(other.dbFile()).size(), 0);
}
