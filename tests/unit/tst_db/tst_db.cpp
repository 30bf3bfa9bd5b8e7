#include "tst_db.h"

#include "testmain.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

void TestDb::init()
{
    m_dir = std::make_unique<TestAppDir>();
    QVERIFY(m_dir->isValid());
    m_db = CQuorvinDb::instance();
    QVERIFY(m_db->init());
}

void TestDb::cleanup()
{
    m_dir.reset();
}

QVariant TestDb::scalar(const QString &sql)
{
    QVariant result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(m_dir->dbFile());
        if (db.open()) {
            QSqlQuery query(db);
            if (!query.exec(sql))
                qWarning() << "check query failed:" << sql << query.lastError().text();
            else if (query.next())
                result = query.value(0);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return result;
}

void TestDb::execRaw(const QString &sql)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(m_dir->dbFile());
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY2(query.exec(sql), qPrintable(query.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
}

int TestDb::count(const QString &table, const QString &where)
{
    QString sql = QStringLiteral("select count(*) from ") + table;
    if (!where.isEmpty())
        sql += QStringLiteral(" where ") + where;
    return scalar(sql).toInt();
}

int TestDb::addChapter(int localBookId, const QString &name, const QString &content, int orderNum)
{
    T_Chapter chapter;
    chapter.localBookId = localBookId;
    chapter.name = name;
    chapter.content = content;
    chapter.wordCount = content.size();
    chapter.orderNum = orderNum;
    chapter.createTime = 1000 + orderNum;
    if (!m_db->insertChapterWithContent(chapter))
        return 0;
    return chapter.localId;
}

QUORVIN_TEST_MAIN(TestDb)
