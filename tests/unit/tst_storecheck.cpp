// What a start finds at the local store and the settings file: a missing or
// empty store is made again, a damaged one is moved aside whole and never
// overwritten, one that cannot be used is refused with a Chinese message
// naming the path; a settings file that cannot be read or names a refused
// server stops the start instead of falling back to the built-in server.
#include "db/cquorvindb.h"
#include "db/cstorecheck.h"
#include "db/schemascript.h"
#include "settingscheck.h"
#include "testappdir.h"
#include "testmain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTranslator>

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), qint64(bytes.size()));
}

// Runs `sql` on the file at `path` through a connection of its own.
bool execOn(const QString &path, const QString &sql)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("alter"));
        db.setDatabaseName(path);
        ok = db.open() && QSqlQuery(db).exec(sql);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("alter"));
    return ok;
}

// The program's own store: its system row can be read, at our version.
bool isFreshStore(const QString &path)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("look"));
        db.setDatabaseName(path);
        QSqlQuery version(db);
        ok = db.open() && version.exec(QStringLiteral("PRAGMA user_version")) && version.next() &&
             version.value(0).toInt() == SchemaScript::kVersion;
        QSqlQuery system(db);
        ok = ok && system.exec(QStringLiteral("select count(*) from tb_sys")) && system.next() &&
             system.value(0).toInt() == 1;
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("look"));
    return ok;
}

bool isChinese(const QString &text)
{
    static const QRegularExpression han(QStringLiteral("\\p{Han}"));
    return text.contains(han);
}

} // namespace

class TestStoreCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The author reads these messages in Chinese.
        QVERIFY(m_translator.load(QStringLiteral(":/res/client.qm")));
        QCoreApplication::installTranslator(&m_translator);
    }

    void damagedStores_data();
    void damagedStores();
    void aMissingFolderNeverLeavesAnEmptyFile();
    void aFullDiskIsTold();
    void settingsFiles_data();
    void settingsFiles();

private:
    QTranslator m_translator;
};

void TestStoreCheck::damagedStores_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<int>("outcome");
    QTest::newRow("missing file") << "missing file" << int(T_StoreCheck::Made);
    QTest::newRow("missing data/db") << "missing folder" << int(T_StoreCheck::Made);
    QTest::newRow("zero bytes") << "zero bytes" << int(T_StoreCheck::Made);
    QTest::newRow("not a database") << "garbage" << int(T_StoreCheck::MovedAside);
    QTest::newRow("damaged pages") << "damaged pages" << int(T_StoreCheck::MovedAside);
    QTest::newRow("another program's database") << "foreign" << int(T_StoreCheck::MovedAside);
    QTest::newRow("newer program") << "newer" << int(T_StoreCheck::Refused);
    QTest::newRow("a folder in its place") << "folder" << int(T_StoreCheck::Refused);
    QTest::newRow("a file in place of data/db") << "db is a file" << int(T_StoreCheck::Refused);
}

void TestStoreCheck::damagedStores()
{
    QFETCH(QString, damage);
    QFETCH(int, outcome);
    TestAppDir app;
    QVERIFY(app.isValid());
    const QString db = app.dbFile();
    const QString folder = QFileInfo(db).absolutePath();
    if (damage == QLatin1String("missing file")) {
        QVERIFY(QFile::remove(db));
    } else if (damage == QLatin1String("missing folder")) {
        QVERIFY(QDir(folder).removeRecursively());
    } else if (damage == QLatin1String("zero bytes")) {
        writeAll(db, QByteArray());
    } else if (damage == QLatin1String("garbage")) {
        writeAll(db, QByteArray("第1章 a manuscript saved under the wrong name\n").repeated(50));
    } else if (damage == QLatin1String("damaged pages")) {
        // The header stays; the schema page behind it is overwritten.
        QByteArray bytes = readAll(db);
        QVERIFY(bytes.size() > 4096);
        for (int i = 100; i < 4096; ++i)
            bytes[i] = char(0xA5);
        writeAll(db, bytes);
    } else if (damage == QLatin1String("foreign")) {
        QVERIFY(QFile::remove(db));
        QVERIFY(execOn(db, QStringLiteral("create table notes(body text)")));
    } else if (damage == QLatin1String("newer")) {
        QVERIFY(execOn(db, QStringLiteral("PRAGMA user_version = %1").arg(SchemaScript::kVersion + 1)));
    } else if (damage == QLatin1String("folder")) {
        QVERIFY(QFile::remove(db));
        QVERIFY(QDir().mkpath(db));
    } else if (damage == QLatin1String("db is a file")) {
        QVERIFY(QDir(folder).removeRecursively());
        writeAll(folder, QByteArray("not a folder"));
    }
    const QByteArray before = QFileInfo(db).isFile() ? readAll(db) : QByteArray();

    const T_StoreCheck check = CStoreCheck::prepare(db);
    QCOMPARE(int(check.outcome), outcome);
    switch (check.outcome) {
    case T_StoreCheck::Made:
        QVERIFY(isFreshStore(db));
        QVERIFY(check.message.isEmpty());
        break;
    case T_StoreCheck::MovedAside:
        // Kept whole under a dated name, beside a fresh store.
        QVERIFY(isFreshStore(db));
        QVERIFY(check.movedTo.startsWith(db + QStringLiteral(".damaged-")));
        QCOMPARE(readAll(check.movedTo), before);
        QVERIFY2(check.message.contains(check.movedTo), qPrintable(check.message));
        QVERIFY2(isChinese(check.message), qPrintable(check.message));
        break;
    default:
        QVERIFY2(check.message.contains(damage == QLatin1String("db is a file") ? folder : db),
                 qPrintable(check.message));
        QVERIFY2(isChinese(check.message), qPrintable(check.message));
        QCOMPARE(QFileInfo(db).isFile() ? readAll(db) : QByteArray(), before); // untouched
        break;
    }
    // The program starts on what the check left, or refuses with the same words.
    QCOMPARE(CQuorvinDb::instance()->init(), outcome != T_StoreCheck::Refused);
    if (outcome == T_StoreCheck::Refused)
        QCOMPARE(CQuorvinDb::instance()->storeCheck().message, check.message);
}

// A start without data/db made a zero-byte file that stopped every later
// start: now each start finds a usable store.
void TestStoreCheck::aMissingFolderNeverLeavesAnEmptyFile()
{
    TestAppDir app;
    QVERIFY(app.isValid());
    QVERIFY(QDir(QFileInfo(app.dbFile()).absolutePath()).removeRecursively());
    for (int start = 0; start < 2; ++start) {
        QVERIFY(CQuorvinDb::instance()->init());
        TS_Author_Info author;
        TS_SynchronizaTion_SynData versions;
        QVERIFY(CQuorvinDb::instance()->getSysData(author, versions));
    }
    QVERIFY(QFileInfo(app.dbFile()).size() > 0);
    QVERIFY(!QFileInfo::exists(app.dbFile() + QStringLiteral(".new")));
}

// A small memory disk, nearly filled: the start says the disk is full
// rather than failing at the first save.
void TestStoreCheck::aFullDiskIsTold()
{
    QTemporaryDir dir;
    const QString disk = dir.filePath(QStringLiteral("disk"));
    QVERIFY(QDir().mkpath(disk));
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=2m"), QStringLiteral("tmpfs"), disk}) != 0)
        QSKIP("a memory disk cannot be mounted here");
    const auto unmount = qScopeGuard([&] { QProcess::execute(QStringLiteral("umount"), {disk}); });
    const QString db = disk + QStringLiteral("/data/db/wrt.db");
    QVERIFY(QDir().mkpath(QFileInfo(db).absolutePath()));
    QVERIFY(QFile::copy(QStringLiteral(QUORVIN_FRESH_DB), db));
    const QByteArray before = readAll(db);
    // Fill what is left, but for a little.
    QFile filler(disk + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (QStorageInfo(disk).bytesAvailable() > 128 * 1024 && filler.write(block) == block.size())
        filler.flush();
    filler.close();

    const T_StoreCheck check = CStoreCheck::prepare(db);
    QCOMPARE(int(check.outcome), int(T_StoreCheck::Refused));
    QVERIFY2(check.message.contains(QFileInfo(db).absolutePath()), qPrintable(check.message));
    QVERIFY2(check.message.contains(QStringLiteral("磁盘已满")) ||
                 check.message.contains(QStringLiteral("已满")),
             qPrintable(check.message));
    QCOMPARE(readAll(db), before);
    // Space again: the same store starts.
    QVERIFY(filler.remove());
    QCOMPARE(int(CStoreCheck::prepare(db).outcome), int(T_StoreCheck::Ready));
}

void TestStoreCheck::settingsFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("refused");
    QTest::newRow("local server") << QByteArray(
                                         "[system]\ndpiScale=1\n[server]\nbaseUrl=http://127.0.0.1:8080\n")
                                  << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("a group alone") << QByteArray("[system]\n") << false;
    QTest::newRow("comments") << QByteArray("; written by hand\n[server]\nbaseUrl=https://a.example\n")
                              << false;
    QTest::newRow("only the scale") << QByteArray("[system]\ndpiScale=1.25\n") << false;
    QTest::newRow("binary") << QByteArray("\x7f"
                                          "ELF\x02\x01\x01\0\0\0garbage",
                                          18)
                            << true;
    QTest::newRow("not UTF-8") << QByteArray("[server]\nbaseUrl=\xff\xfe\xfd\n") << true;
    QTest::newRow("words, no keys") << QByteArray("这不是设置文件\n") << true;
    QTest::newRow("http to another machine") << QByteArray("[server]\nbaseUrl=http://example.com\n") << true;
    QTest::newRow("no address at all") << QByteArray("[server]\nbaseUrl=::::\n") << true;
    QTest::newRow("a folder") << QByteArray("folder") << true;
}

void TestStoreCheck::settingsFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, refused);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("setting.ini"));
    if (content == "folder")
        QVERIFY(QDir().mkpath(path));
    else
        writeAll(path, content);
    const QString problem = CSettingsCheck::problem(path);
    QCOMPARE(!problem.isEmpty(), refused);
    if (refused) {
        QVERIFY2(problem.contains(path), qPrintable(problem));
        QVERIFY2(isChinese(problem), qPrintable(problem));
    }
}

QUORVIN_TEST_MAIN(TestStoreCheck)
#include "tst_storecheck.moc"
