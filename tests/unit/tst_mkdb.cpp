#include "testmain.h"

#include <QCryptographicHash>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

// The build lays wrt.db with quorvin-mkdb: a rebuild must never replace a
// file that holds an author's data.
class TestMkdb : public QObject
{
    Q_OBJECT
private slots:
    void layout_data();
    void layout();
};

namespace {

int runMkdb(const QString &target)
{
    return QProcess::execute(QUORVIN_MKDB_BIN, {QUORVIN_SCHEMA, target});
}

QByteArray digest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void execOn(const QString &path, const QString &sql)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "mkdb-test");
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery q(db);
        QVERIFY(q.exec(sql));
        db.close();
    }
    QSqlDatabase::removeDatabase("mkdb-test");
}

} // namespace

void TestMkdb::layout_data()
{
    QTest::addColumn<QString>("prepare");
    QTest::addColumn<bool>("kept");
    QTest::newRow("missing file is created") << "" << false;
    QTest::newRow("fresh file is rebuilt") << "fresh" << false;
    QTest::newRow("author data is kept") << "insert into tb_user(uid) values(42)" << true;
    QTest::newRow("a file that is not a database is kept") << "garbage" << true;
}

void TestMkdb::layout()
{
    QFETCH(QString, prepare);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString target = dir.path() + "/db/wrt.db";
    if (!prepare.isEmpty()) {
        QCOMPARE(runMkdb(target), 0);
        if (prepare == "garbage") {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("not a database at all");
        } else if (prepare != "fresh") {
            execOn(target, prepare);
        }
    }
    const QByteArray before = digest(target);
    QCOMPARE(runMkdb(target), 0);
    if (kept)
        QCOMPARE(digest(target), before);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "mkdb-check");
        db.setDatabaseName(target);
        QVERIFY(db.open());
        QSqlQuery q(db);
        const bool readable = q.exec("select count(*) from tb_sys") && q.next();
        QCOMPARE(readable, prepare != "garbage");
        if (readable)
            QCOMPARE(q.value(0).toInt(), 1);
        db.close();
    }
    QSqlDatabase::removeDatabase("mkdb-check");
}

QUORVIN_TEST_MAIN(TestMkdb)
#include "tst_mkdb.moc"
