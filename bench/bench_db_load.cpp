// Loading an author with 200 books and 20,000 chapters of 5,000 characters
// (getBooks): time and memory of the book list.
#include "db/cquorvindb.h"
#include "testappdir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>
#include <cstdio>

namespace {

constexpr int kBooks = 200;
constexpr int kChaptersPerBook = 100;
constexpr int kChapterLength = 5000;

bool fillBooks(const QString &path)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        ok = db.open() && db.transaction();
        QSqlQuery book(db);
        QSqlQuery chapter(db);
        ok = ok &&
             book.prepare(QStringLiteral("insert into tb_book(localId,authorId,bookName,intro,updateTime) "
                                         "values(?,1,?,?,?)")) &&
             chapter.prepare(
                 QStringLiteral("insert into tb_chapter(localBookId,name,content,wordCount,orderNum,"
                                "status) values(?,?,?,?,?,?)"));
        const QString body =
            QString::fromUtf8("夜色如墨，长街尽头传来马蹄声。").repeated(kChapterLength / 15 + 1);
        for (int b = 1; ok && b <= kBooks; ++b) {
            book.addBindValue(b);
            book.addBindValue(QStringLiteral("Book %1").arg(b));
            book.addBindValue(QString::fromUtf8("简介").repeated(100));
            book.addBindValue(b);
            ok = book.exec();
            for (int c = 1; ok && c <= kChaptersPerBook; ++c) {
                const QString text = QString::number(c) + body.left(kChapterLength - 6);
                chapter.addBindValue(b);
                chapter.addBindValue(QString::fromUtf8("第%1章 风起").arg(c));
                chapter.addBindValue(text);
                chapter.addBindValue(text.size());
                chapter.addBindValue(c);
                chapter.addBindValue(c % 50 == 0 ? 0 : 1);
                ok = chapter.exec();
            }
        }
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

long statusKb(const char *field)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestAppDir dir;
    CQuorvinDb *db = CQuorvinDb::instance();
    QElapsedTimer timer;
    timer.start();
    if (!dir.isValid() || !fillBooks(dir.dbFile()) || !db->init()) {
        std::fprintf(stderr, "setup failed\n");
        return 1;
    }
    std::printf("setup: %d books, %d chapters of %d characters, file %.0f MB, %.1f s\n", kBooks,
                kBooks * kChaptersPerBook, kChapterLength, QFileInfo(dir.dbFile()).size() / 1048576.0,
                timer.elapsed() / 1000.0);

    const long rssBefore = statusKb("VmRSS:");
    for (int round = 1; round <= 3; ++round) {
        QList<T_Book *> books;
        timer.start();
        const bool ok = db->getBooks(1, books);
        const double seconds = timer.nsecsElapsed() / 1e9;
        int live = 0;
        int recycled = 0;
        for (const T_Book *book : qAsConst(books)) {
            live += book->chapterList.size();
            recycled += book->recycleList.size();
        }
        std::printf("getBooks round %d: %s, %d books, %d live + %d recycled chapters, %.3f s, RSS %+ld KB\n",
                    round, ok ? "ok" : "FAILED", books.size(), live, recycled, seconds,
                    statusKb("VmRSS:") - rssBefore);
        qDeleteAll(books);
    }
    std::printf("peak memory (VmHWM) %ld KB, RSS before loading %ld KB\n", statusKb("VmHWM:"), rssBefore);

    // Opening one chapter reads its text.
    QList<T_Book *> books;
    db->getBooks(1, books);
    T_Chapter *chapter = books.first()->chapterList.first();
    timer.start();
    db->ensureChapterContent(*chapter);
    std::printf("first open of a chapter: %d characters in %.3f ms\n", chapter->content.size(),
                timer.nsecsElapsed() / 1e6);
    qDeleteAll(books);
    return 0;
}
