// The store under two threads and under a killed process.
#include "db/cquorvindb.h"
#include "testappdir.h"
#include "testmain.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

class TestDbConcurrency : public QObject
{
    Q_OBJECT
private slots:
    // Runs first: the child process must not inherit open connections.
    void killedWriterLeavesSoundFile();
    void importThreadAndGuiThreadWrite();

private:
    static QVariant scalar(const QString &path, const QString &sql);
};

QVariant TestDbConcurrency::scalar(const QString &path, const QString &sql)
{
    QVariant result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(sql) && query.next())
                result = query.value(0);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return result;
}

namespace {

// The child: writes chapters and their jobs until it is killed, reporting
// through `fd` the number of writes that have returned.
[[noreturn]] void writeUntilKilled(int fd)
{
    CQuorvinDb *db = CQuorvinDb::instance();
    if (!db->init())
        _exit(2);
    const QString text = QString::fromUtf8("一段正文，'引号' %1。").repeated(400);
    for (qint32 done = 1;; ++done) {
        T_Chapter chapter;
        chapter.localBookId = 1;
        chapter.name = QStringLiteral("chapter %1").arg(done);
        chapter.content = text;
        chapter.orderNum = done;
        if (!db->insertChapterWithContent(chapter))
            _exit(3);
        T_Http_C header;
        header.uid = 1;
        header.localBookId = 1;
        header.localChapterId = chapter.localId;
        header.jobType = JobType_ChapterText;
        if (!db->addJob(header, text, done))
            _exit(4);
        if (write(fd, &done, sizeof done) != sizeof done)
            _exit(5);
    }
}

} // namespace

void TestDbConcurrency::killedWriterLeavesSoundFile()
{
    TestAppDir dir;
    QVERIFY(dir.isValid());
    int fds[2];
    QVERIFY(pipe(fds) == 0);
    const pid_t child = fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        close(fds[0]);
        writeUntilKilled(fds[1]);
    }
    close(fds[1]);

    qint32 returned = 0;
    qint32 value = 0;
    while (returned < 300 && read(fds[0], &value, sizeof value) == sizeof value)
        returned = value;
    kill(child, SIGKILL);
    // Writes that returned before the kill landed was noticed count too.
    while (read(fds[0], &value, sizeof value) == sizeof value)
        returned = value;
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    QVERIFY(WIFSIGNALED(status));
    QVERIFY(returned >= 300);

    QCOMPARE(scalar(dir.dbFile(), "PRAGMA integrity_check").toString(), QString("ok"));
    QVERIFY(scalar(dir.dbFile(), "select count(*) from tb_chapter").toInt() >= returned);
    QVERIFY(scalar(dir.dbFile(), "select count(*) from tb_job where jobType = 23").toInt() >= returned);
}

// The import writes a book's chapters from its own thread while the GUI
// thread keeps saving: nobody fails with "database is locked", nothing is
// lost, and the thread's connection goes away with the thread.
void TestDbConcurrency::importThreadAndGuiThreadWrite()
{
    TestAppDir dir;
    QVERIFY(dir.isValid());
    CQuorvinDb *db = CQuorvinDb::instance();
    QVERIFY(db->init());
    QVERIFY(db->insertBook(1, "open book", 0));
    const int openBook = db->lastInsertId("tb_book");
    T_Chapter open;
    open.localBookId = openBook;
    open.name = "open";
    QVERIFY(db->insertChapterWithContent(open));
    const int connectionsBefore = QSqlDatabase::connectionNames().size();

    constexpr int kChapters = 400;
    bool importOk = true;
    int importedBook = 0;
    QStringList importedIds;
    QThread *import = QThread::create([&] {
        importOk = db->insertBook(1, "imported", 0);
        importedBook = db->lastInsertId("tb_book");
        const QString text = QString("imported text ").repeated(300);
        for (int i = 1; i <= kChapters && importOk; ++i) {
            T_Chapter chapter;
            chapter.localBookId = importedBook;
            chapter.name = QString("chapter %1").arg(i);
            chapter.content = text;
            chapter.orderNum = i;
            importOk = db->insertChapterWithContent(chapter) && chapter.localId > 0;
            importedIds << QString::number(chapter.localId);
            if (importOk && i % 20 == 0) {
                T_Http_C header;
                header.uid = 1;
                header.localBookId = importedBook;
                header.jobType = JobType_ChapterBatchAdd;
                importOk = db->addJob(header, "[]", i);
            }
        }
    });
    import->start();
    bool guiOk = true;
    int saves = 0;
    const QString draft = QString("draft ").repeated(2000);
    while ((import->isRunning() || saves < 50) && guiOk) {
        ++saves;
        T_Http_C header;
        header.uid = 1;
        header.localBookId = openBook;
        header.localChapterId = open.localId;
        header.jobType = JobType_ChapterText;
        guiOk = db->setChapterContent(open.localId, draft + QString::number(saves), 1) &&
                db->addJob(header, draft + QString::number(saves), saves);
        // Rows inserted here as well: each thread reads back its own new ids.
        guiOk = guiOk && db->insertContentBlade(1, openBook, open.localId, 0, 0, draft);
        QList<T_Book *> books;
        guiOk = guiOk && db->getBooks(1, books);
        qDeleteAll(books);
    }
    QVERIFY(import->wait(60000));
    delete import;

    QVERIFY(guiOk);
    QVERIFY(importOk);
    QVERIFY(!db->lastError().contains("locked"));
    QCOMPARE(scalar(dir.dbFile(),
                    QString("select count(*) from tb_chapter where localBookId = %1").arg(importedBook))
                 .toInt(),
             kChapters);
    QCOMPARE(scalar(dir.dbFile(), "select count(*) from tb_job where jobType = 15").toInt(), kChapters / 20);
    QCOMPARE(scalar(dir.dbFile(), "select count(*) from tb_job where jobType = 23").toInt(), 1);
    QString content;
    QVERIFY(db->getChapterContent(open.localId, content));
    QCOMPARE(content, draft + QString::number(saves));
    // The ids the import read back were its own, not the GUI thread's.
    QCOMPARE(scalar(dir.dbFile(),
                    QString("select max(orderNum) from tb_chapter where localBookId = %1").arg(importedBook))
                 .toInt(),
             kChapters);
    QCOMPARE(QSqlDatabase::connectionNames().size(), connectionsBefore);
}

QUORVIN_TEST_MAIN(TestDbConcurrency)
#include "tst_db_concurrency.moc"
