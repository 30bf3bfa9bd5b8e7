// Randomised convergence: two or three machines of one author make random
// book, chapter and memo changes over a fixed list of seeds, with offline
// spells, server restarts (also in the middle of a machine's session),
// machines killed in the middle of their work and changes made while a sync
// runs. Every session of a machine is a process of its own, so a restart
// keeps nothing but the machine's folder. At the end every machine equals
// the server, no job waits, nothing is duplicated, and every text that was
// the last one saved on a machine is still on the server (as a chapter's
// text or a snapshot) or was recovered, unless an author deleted it later.
//
// The same executable is the machine: "--machine" runs one session.
#include "machines.h"
#include "resources.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <unistd.h>

namespace {

// Lines a machine reports to the test, on standard output.
const QByteArray kMark = "@@ ";

void report(const QString &line)
{
    const QByteArray bytes = kMark + line.toUtf8() + '\n';
    fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    fflush(stdout);
}

const char *const kClientBooks = "select bookId,bookName from tb_book order by bookId";
const char *const kClientChapters =
    "select bookId,chapterId,name,orderNum,status,content from tb_chapter order by bookId,chapterId";
const char *const kClientMemos = "select memoId,color,content from tb_memo order by memoId";
const char *const kServerBooks = "select book_id,book_name from books order by book_id";
const char *const kServerChapters = "select book_id,chapter_id,chapter_name,order_num,status,content from "
                                    "chapters order by book_id,chapter_id";
const char *const kServerMemos = "select memo_id,color,content from memos order by memo_id";

// One session of one machine ------------------------------------------------------

class MachineSession
{
public:
    MachineSession(int machine, quint64 seed) : m_machine(machine), m_rng(seed) {}

    int run(const QStringList &args)
    {
        const QString dir = args.value(0);
        const QString url = args.value(1);
        const int ops = args.value(3).toInt();
        const QStringList flags = args.mid(4);
        const bool first = flags.contains(QStringLiteral("first"));
        const bool kill = flags.contains(QStringLiteral("kill"));
        const bool final = flags.contains(QStringLiteral("final"));
        const bool online = !flags.contains(QStringLiteral("offline"));
        m_counter = args.value(2).toInt() * 100;
        AppPaths::setAppDirOverride(dir);
        const QString dbFile = dir + QStringLiteral("/data/db/wrt.db");
        const QStringList before =
            dbRows(kClientBooks, dbFile) + dbRows(kClientChapters, dbFile) + dbRows(kClientMemos, dbFile);
        const bool jobsBefore = dbRows("select count(*) from tb_job", dbFile) != QStringList{"0"};

        if (!CQuorvinHttp::instance()->setBaseUrl(url) || !m_jobs->init())
            return 2;
        if (first && !signIn())
            return 3;
        if (m_session->author.uid < 1)
            return 4;
        if (first && m_machine == 0)
            addBook();
        QObject::connect(CBookJobManager::instance(), &CBookJobManager::sig_TextRecovered,
                         [](int from, int to, const QString &) {
                             report(QStringLiteral("RECOVER %1 %2").arg(from).arg(to));
                         });
        // Changes made while the start-up sync replays and pulls.
        for (int i = 0; i < ops; ++i) {
            QTest::qWait(int(m_rng.bounded(40)));
            change();
        }
        if (!final && m_rng.bounded(3) == 0) {
            m_jobs->checkUserJob();
            for (int i = 0; i < ops / 2; ++i) {
                QTest::qWait(int(m_rng.bounded(40)));
                change();
            }
        }
        if (kill) {
            QTest::qWait(int(m_rng.bounded(200)));
            reportChapters();
            _exit(0); // in the middle of whatever runs
        }
        const bool settled = online && settle();
        reportChapters();
        if (settled)
            report(QStringLiteral("REACHED"));
        if (final) {
            checkMemory();
            const QStringList after = dbRows(kClientBooks) + dbRows(kClientChapters) + dbRows(kClientMemos);
            if (!jobsBefore && before == after && settled)
                report(QStringLiteral("QUIET"));
        }
        m_jobs->uninit();
        return 0;
    }

private:
    bool signIn()
    {
        MachinesFixture f;
        TC_Author_Login req;
        req.phone = f.phone;
        req.password = f.password;
        req.autoLogin = true;
        TS_Author_Login res;
        return m_jobs->authorLogin(req, res) == 200 && res.code == 200;
    }

    bool settle()
    {
        for (int pass = 0; pass < 10; ++pass) {
            if (!QTest::qWaitFor(&MachinesFixture::idle, 30000))
                return false;
            if (dbRows("select count(*) from tb_job") == QStringList{"0"}) {
                QTest::qWait(100);
                if (MachinesFixture::idle() && dbRows("select count(*) from tb_job") == QStringList{"0"})
                    return true;
                continue;
            }
            m_jobs->checkUserJob();
            QTest::qWait(50);
        }
        return false;
    }

    QString token(const char *kind)
    {
        return QStringLiteral("%1%2-%3").arg(QLatin1String(kind)).arg(m_machine).arg(++m_counter);
    }

    static QString tooLongName() { return QString(120, QChar(0x540D)); }

    template <class T> T *pick(const QList<T *> &list)
    {
        return list.isEmpty() ? nullptr : list.at(int(m_rng.bounded(list.size())));
    }

    T_Book *pickBook() { return pick(m_session->books); }

    T_Chapter *pickChapter(T_Book *book, bool liveOnly = false)
    {
        if (!book)
            return nullptr;
        QList<T_Chapter *> all = book->chapterList;
        if (!liveOnly)
            all += book->recycleList;
        return pick(all);
    }

    void addBook()
    {
        TC_Books_AddBook add;
        add.bookName = token("b");
        m_jobs->booksAddBook(add);
    }

    void change()
    {
        const int roll = int(m_rng.bounded(100));
        T_Book *book = pickBook();
        if (!book || roll < 3) {
            if (m_session->books.size() < 3)
                addBook();
            return;
        }
        T_Chapter *chapter = pickChapter(book);
        T_Http_C ids;
        ids.localBookId = book->localId;
        ids.localChapterId = chapter ? chapter->localId : 0;
        if (roll < 45 && chapter) {
            TC_Chapter_Edit edit;
            static_cast<T_Http_C &>(edit) = ids;
            edit.content = token("t") + QStringLiteral(" 雨夜里有人敲门。");
            if (m_jobs->chapterSaveContent(edit))
                report(QStringLiteral("SAVE %1 %2").arg(chapter->localId).arg(edit.content));
        } else if (roll < 53 && chapter) {
            TC_Chapter_Edit edit;
            static_cast<T_Http_C &>(edit) = ids;
            // Now and then a name the server refuses: the chapter takes the
            // server's name back.
            edit.chapterName = m_rng.bounded(5) == 0 ? tooLongName() : token("n");
            m_jobs->chapterRename(edit);
        } else if (roll < 63) {
            TC_Chapter_Create create;
            create.localBookId = book->localId;
            // Now and then a name the server refuses: the chapter goes, and
            // what it held is kept in the recovered folder.
            create.chapterName = m_rng.bounded(5) == 0 ? tooLongName() : token("c");
            m_jobs->chapterCreate(create);
        } else if (roll < 73) {
            TC_Chapter_Move move;
            static_cast<T_Http_C &>(move) = ids;
            T_Chapter *live = pickChapter(book, true);
            move.localChapterId = live ? live->localId : 0;
            move.direction = 1 + int(m_rng.bounded(2));
            if (live)
                m_jobs->chapterMove(move);
        } else if (roll < 82 && chapter) {
            TC_Chapter_Recycle recycle;
            static_cast<T_Http_C &>(recycle) = ids;
            recycle.status = chapter->status == 0 ? 1 : 0;
            m_jobs->chapterRecycle(recycle);
        } else if (roll < 85 && chapter) {
            report(QStringLiteral("DELETE chapter %1 %2").arg(chapter->localId).arg(chapter->chapterId));
            TC_Chapter_Del del;
            static_cast<T_Http_C &>(del) = ids;
            m_jobs->chapterDelete(del);
        } else if (roll < 88) {
            TC_Books_Edit edit;
            edit.localBookId = book->localId;
            // Now and then a name the server refuses: the book takes the
            // server's name back.
            edit.bookName = m_rng.bounded(4) == 0 ? tooLongName() : token("b");
            edit.intro = book->intro;
            edit.cateId = book->cateId;
            edit.cateFid = book->cateFid;
            edit.channelType = book->channelType;
            m_jobs->booksEdit(edit);
        } else if (roll < 89 && m_session->books.size() > 1) {
            report(QStringLiteral("DELETE book %1 %2").arg(book->localId).arg(book->bookId));
            TC_Books_Delete del;
            del.localBookId = book->localId;
            m_jobs->booksDelete(del);
        } else if (roll < 93 || m_session->memos.isEmpty()) {
            TC_Memo_Add memo;
            memo.content = token("m");
            memo.color = QStringLiteral("#FFF3C4");
            m_jobs->memoAdd(memo);
        } else if (roll < 99) {
            TC_Memo_Edit edit;
            edit.localMemoId = pick(m_session->memos)->localId;
            if (m_rng.bounded(2)) {
                edit.content = token("m");
                m_jobs->memoEditContent(edit);
            } else {
                edit.color = m_rng.bounded(2) ? QStringLiteral("#D8F0FF") : QStringLiteral("#4F4F4F");
                m_jobs->memoEditColor(edit);
            }
        } else {
            TC_Memo_Del del;
            del.localMemoId = pick(m_session->memos)->localId;
            m_jobs->memoDel(del);
        }
    }

    // Every chapter's local and server ids, so that the test can follow a
    // text's chapter after its machine lost it.
    void reportChapters()
    {
        for (const QString &row : dbRows("select localId,chapterId,bookId from tb_chapter"))
            report(QStringLiteral("MAP ") + row.split(QLatin1Char('|')).join(QLatin1Char(' ')));
    }

    // The session's lists mirror the database row for row.
    void checkMemory()
    {
        QStringList books, chapters, memos;
        for (const T_Book *b : qAsConst(m_session->books)) {
            books << QStringLiteral("%1|%2").arg(b->bookId).arg(b->bookName);
            for (const QList<T_Chapter *> *list : {&b->chapterList, &b->recycleList})
                for (const T_Chapter *c : *list)
                    chapters << QStringLiteral("%1|%2|%3|%4|%5")
                                    .arg(b->bookId)
                                    .arg(c->chapterId)
                                    .arg(c->name)
                                    .arg(c->orderNum)
                                    .arg(c->status);
            QList<T_Chapter *> sorted = b->chapterList;
            std::sort(sorted.begin(), sorted.end(), &CBookJobManager::listsBefore);
            if (sorted != b->chapterList)
                report(QStringLiteral("MISMATCH list order of book %1").arg(b->bookId));
        }
        for (const T_Memo *m : qAsConst(m_session->memos))
            memos << QStringLiteral("%1|%2|%3").arg(m->memoId).arg(m->color, m->content);
        books.sort();
        chapters.sort();
        memos.sort();
        QStringList storedChapters;
        for (const QString &row : dbRows(kClientChapters))
            storedChapters << row.section(QLatin1Char('|'), 0, 4);
        storedChapters.sort();
        QStringList storedBooks = dbRows(kClientBooks), storedMemos = dbRows(kClientMemos);
        storedBooks.sort();
        storedMemos.sort();
        if (books != storedBooks)
            report(QStringLiteral("MISMATCH books in memory ") + books.join(QLatin1Char(';')));
        if (chapters != storedChapters)
            report(QStringLiteral("MISMATCH chapters in memory ") + chapters.join(QLatin1Char(';')));
        if (memos != storedMemos)
            report(QStringLiteral("MISMATCH memos in memory ") + memos.join(QLatin1Char(';')));
    }

    int m_machine;
    QRandomGenerator m_rng;
    int m_counter = 0;
    CJobManager *m_jobs = CJobManager::instance();
    T_SessionData *m_session = &T_SessionData::instance();
};

// The test -----------------------------------------------------------------------

// A text saved on a machine, or (with a text moved to another chapter) a
// text kept as a new chapter after its own was deleted elsewhere.
struct T_Saved
{
    int machine = 0;
    int session = 0; // index of the session that saved it
    int localChapterId = 0;
    QString text;
    int movedTo = 0;
};

struct T_Deleted
{
    int machine = 0;
    int session = 0;
    bool wholeBook = false;
    int localId = 0;
    int serverId = 0;
};

} // namespace

class TstConvergence : public QObject
{
    Q_OBJECT

    TestServer *m_server = nullptr;
    std::vector<std::unique_ptr<TestAppDir>> m_machines;
    int m_session = 0;
    QList<T_Saved> m_saved;
    QList<T_Deleted> m_deleted;
    QHash<int, QHash<int, QPair<int, int>>> m_map; // machine → local chapter → server chapter, book
    QHash<int, QList<int>> m_reachedSessions;      // machine → sessions that settled online
    QStringList m_problems;
    QSet<int> m_offlineSessions;
    QHash<int, int> m_machineOf; // session → machine

    QString serverDb() const { return m_server->dataDir() + QStringLiteral("/server.db"); }

    // Runs one session of `machine`; true when it reported QUIET.
    bool runSession(int machine, quint64 seed, int ops, QStringList flags, bool restartDuring)
    {
        const int session = ++m_session;
        qDebug().noquote() << QStringLiteral("session %1: machine %2 %3%4")
                                  .arg(session)
                                  .arg(machine)
                                  .arg(flags.join(QLatin1Char(',')))
                                  .arg(restartDuring ? QStringLiteral(" server restart during") : QString());
        m_machineOf.insert(session, machine);
        const bool offline = flags.contains(QStringLiteral("offline"));
        if (offline)
            m_offlineSessions.insert(session);
        const QString url = offline ? deadAddress() : m_server->baseUrl();
        QProcess child;
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.setStandardErrorFile(m_machines[size_t(machine)]->path() + QStringLiteral("/machine.log"),
                                   QIODevice::Append);
        child.start(QCoreApplication::applicationFilePath(),
                    QStringList{QStringLiteral("--machine"), QString::number(machine), QString::number(seed),
                                m_machines[size_t(machine)]->path(), url, QString::number(session),
                                QString::number(ops)}
                        << flags);
        if (!child.waitForStarted(10000)) {
            m_problems << QStringLiteral("machine %1 did not start").arg(machine);
            return false;
        }
        if (restartDuring) {
            QTest::qWait(100 + int(seed % 300));
            if (!m_server->restart())
                m_problems << QStringLiteral("the server did not restart");
        }
        // The restart above runs the event loop, so the session may have ended
        // already; waitForFinished() answers false for a finished process.
        const bool ended = child.state() == QProcess::NotRunning || child.waitForFinished(90000);
        if (!ended) {
            child.kill();
            child.waitForFinished(5000);
            m_problems << QStringLiteral("machine %1 session %2 did not end").arg(machine).arg(session);
        } else if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            m_problems << QStringLiteral("machine %1 session %2 ended with %3")
                              .arg(machine)
                              .arg(session)
                              .arg(child.exitCode());
        }
        bool quiet = false;
        for (const QByteArray &raw : child.readAllStandardOutput().split('\n')) {
            if (!raw.startsWith(kMark))
                continue;
            const QString line = QString::fromUtf8(raw.mid(kMark.size()));
            qDebug().noquote() << "machine" << machine << line;
            const QStringList parts = line.split(QLatin1Char(' '));
            if (parts.value(0) == QLatin1String("SAVE")) {
                m_saved << T_Saved{machine, session, parts.value(1).toInt(),
                                   line.section(QLatin1Char(' '), 2)};
            } else if (parts.value(0) == QLatin1String("RECOVER")) {
                if (parts.value(2).toInt() > 0)
                    m_saved << T_Saved{machine, session, parts.value(1).toInt(), QString(),
                                       parts.value(2).toInt()};
            } else if (parts.value(0) == QLatin1String("MAP")) {
                if (parts.value(2).toInt() > 0)
                    m_map[machine][parts.value(1).toInt()] = {parts.value(2).toInt(), parts.value(3).toInt()};
            } else if (parts.value(0) == QLatin1String("DELETE")) {
                m_deleted << T_Deleted{machine, session, parts.value(1) == QLatin1String("book"),
                                       parts.value(2).toInt(), parts.value(3).toInt()};
            } else if (parts.value(0) == QLatin1String("REACHED")) {
                m_reachedSessions[machine] << session;
            } else if (parts.value(0) == QLatin1String("QUIET")) {
                quiet = true;
            } else if (parts.value(0) == QLatin1String("MISMATCH")) {
                m_problems << QStringLiteral("machine %1: %2").arg(machine).arg(line);
            }
        }
        return quiet;
    }

    // The first session at or after `session` in which `machine` settled online.
    int reachedAfter(int machine, int session) const
    {
        for (int s : m_reachedSessions.value(machine))
            if (s >= session)
                return s;
        return 0;
    }

    // The first session at or after `session` in which `machine` was
    // online, so that what it had queued may have reached the server (a
    // killed session counts).
    int mayHaveReached(int machine, int session) const
    {
        for (int s = session; s <= m_session; ++s)
            if (m_machineOf.value(s, -1) == machine && !m_offlineSessions.contains(s))
                return s;
        return 0;
    }

    // Whether an author deleted the text's chapter (or its book) later than
    // the text was saved: on its own machine after saving it; or on another
    // machine in a later session, unless the text certainly reached the
    // server only after the delete did (then it must have been recovered).
    bool deletedLater(const T_Saved &saved) const
    {
        const QPair<int, int> ids = m_map.value(saved.machine).value(saved.localChapterId);
        // A session that reached the server may have delivered the text
        // before it ended (or was killed); an offline one certainly did not.
        const int reached = m_offlineSessions.contains(saved.session)
                                ? reachedAfter(saved.machine, saved.session)
                                : saved.session;
        for (const T_Deleted &d : m_deleted) {
            const bool sameMachine = d.machine == saved.machine;
            bool hits = false;
            if (d.wholeBook)
                hits = (ids.second > 0 && d.serverId == ids.second);
            else
                hits = (ids.first > 0 && d.serverId == ids.first) ||
                       (sameMachine && d.localId == saved.localChapterId);
            if (sameMachine && d.wholeBook && !hits) {
                // A book deleted on the saving machine itself before the
                // chapter had a server id.
                const QStringList gone =
                    dbRows(QStringLiteral("select count(*) from tb_chapter where localId = %1")
                               .arg(saved.localChapterId),
                           m_machines[size_t(saved.machine)]->dbFile());
                hits = gone == QStringList{"0"} && ids.first == 0;
            }
            if (!hits)
                continue;
            if (sameMachine ? d.session >= saved.session : (reached > 0 && d.session > reached))
                return true;
            const int textFirst = mayHaveReached(saved.machine, saved.session);
            const int deleteSurely = reachedAfter(d.machine, d.session);
            if (!sameMachine && d.session > saved.session && !(deleteSurely > 0 && textFirst > deleteSurely))
                return true;
        }
        return false;
    }

    // Texts kept on the machines: files of the recovered folder, and
    // snapshots of texts the server refused.
    QStringList recoveredTexts() const
    {
        QStringList texts;
        for (const auto &machine : m_machines) {
            texts << dbRows(QStringLiteral("select content from tb_contentblade where bladeId = %1")
                                .arg(CQuorvinDb::kKeptHereBladeId),
                            machine->dbFile());
            QDirIterator files(machine->path() + QStringLiteral("/data/recovered"), QDir::Files);
            while (files.hasNext()) {
                QFile file(files.next());
                if (file.open(QIODevice::ReadOnly))
                    texts << QString::fromUtf8(file.readAll());
            }
        }
        return texts;
    }

    void checkEnd()
    {
        const QString server = serverDb();
        const QStringList books = dbRows(kServerBooks, server);
        const QStringList chapters = dbRows(kServerChapters, server);
        const QStringList memos = dbRows(kServerMemos, server);
        for (size_t m = 0; m < m_machines.size(); ++m) {
            const QString db = m_machines[m]->dbFile();
            if (dbRows("select count(*) from tb_job", db) != QStringList{"0"})
                m_problems
                    << QStringLiteral("machine %1 keeps jobs: %2")
                           .arg(m)
                           .arg(dbRows("select jobType,localChapterId,content from tb_job", db).join(';'));
            auto differ = [&](const char *what, const QStringList &mine, const QStringList &theirs) {
                if (mine == theirs)
                    return;
                QStringList onlyMine, onlyServer;
                for (const QString &row : mine)
                    if (!theirs.contains(row))
                        onlyMine << row.left(120);
                for (const QString &row : theirs)
                    if (!mine.contains(row))
                        onlyServer << row.left(120);
                m_problems << QStringLiteral("machine %1 %2 differ: here %3 / server %4")
                                  .arg(m)
                                  .arg(QLatin1String(what), onlyMine.join(';'), onlyServer.join(';'));
            };
            differ("books", dbRows(kClientBooks, db), books);
            differ("chapters", dbRows(kClientChapters, db), chapters);
            differ("memos", dbRows(kClientMemos, db), memos);
        }
        // Nothing twice: names and memo texts are unique tokens.
        for (const char *sql : {"select book_id,chapter_name from chapters group by "
                                "book_id,chapter_name,content having count(*) > 1",
                                "select book_name from books group by book_name having count(*) > 1",
                                "select content from memos group by content having count(*) > 1"}) {
            const QStringList twice = dbRows(QString::fromLatin1(sql), server);
            if (!twice.isEmpty())
                m_problems << QStringLiteral("duplicated on the server: ") + twice.join(';');
        }
        // Every machine's last text of each chapter is still there.
        QHash<QPair<int, int>, T_Saved> last;
        for (const T_Saved &saved : qAsConst(m_saved)) {
            if (saved.movedTo == 0) {
                last[{saved.machine, saved.localChapterId}] = saved;
                continue;
            }
            // The text lives on in the new chapter, until this machine writes there.
            const QPair<int, int> from{saved.machine, saved.localChapterId};
            if (!last.contains(from))
                continue;
            T_Saved moved = last.take(from);
            moved.localChapterId = saved.movedTo;
            last[{saved.machine, saved.movedTo}] = moved;
        }
        const QString kept = (dbRows("select content from chapters", server) +
                              dbRows("select content from blades", server) + recoveredTexts())
                                 .join(QLatin1Char('\n'));
        for (const T_Saved &saved : qAsConst(last)) {
            if (kept.contains(saved.text.section(QLatin1Char(' '), 0, 0)) || deletedLater(saved))
                continue;
            m_problems << QStringLiteral("text lost: machine %1 session %2 chapter %3: %4")
                              .arg(saved.machine)
                              .arg(saved.session)
                              .arg(saved.localChapterId)
                              .arg(saved.text);
        }
    }

private slots:
    void converges_data()
    {
        QTest::addColumn<quint64>("seed");
        QTest::addColumn<int>("machines");
        QTest::addColumn<int>("sessions");
        QTest::newRow("seed 11, two machines") << quint64(11) << 2 << 10;
        QTest::newRow("seed 23, three machines") << quint64(23) << 3 << 12;
        QTest::newRow("seed 37, two machines") << quint64(37) << 2 << 10;
        QTest::newRow("seed 41, three machines") << quint64(41) << 3 << 12;
        QTest::newRow("seed 53, two machines") << quint64(53) << 2 << 10;
        QTest::newRow("seed 67, three machines") << quint64(67) << 3 << 12;
    }

    void converges()
    {
        QFETCH(quint64, seed);
        QFETCH(int, machines);
        QFETCH(int, sessions);
        TestServer server;
        m_server = &server;
        m_machines.clear();
        m_saved.clear();
        m_deleted.clear();
        m_map.clear();
        m_reachedSessions.clear();
        m_offlineSessions.clear();
        m_machineOf.clear();
        m_problems.clear();
        m_session = 0;
        MachinesFixture f;
        QString token;
        qint64 uid = 0;
        QVERIFY(server.start());
        QVERIFY(server.signUp(f.phone, f.password, token, uid));
        for (int m = 0; m < machines; ++m) {
            m_machines.emplace_back(new TestAppDir);
            QVERIFY(m_machines.back()->isValid());
        }
        QRandomGenerator rng(seed);
        for (int m = 0; m < machines; ++m)
            runSession(m, rng.generate64(), 4, {QStringLiteral("first")}, false);
        for (int s = 0; s < sessions; ++s) {
            const int machine = int(rng.bounded(machines));
            QStringList flags;
            const int roll = int(rng.bounded(100));
            if (roll < 25)
                flags << QStringLiteral("offline");
            else if (roll < 40)
                flags << QStringLiteral("kill");
            if (rng.bounded(8) == 0)
                QVERIFY(server.restart());
            const bool restartDuring = !flags.contains(QStringLiteral("offline")) && rng.bounded(7) == 0;
            runSession(machine, rng.generate64(), 3 + int(rng.bounded(6)), flags, restartDuring);
        }
        // Every machine syncs until a round changes nothing anywhere.
        bool quiet = false;
        for (int round = 0; round < 5 && !quiet; ++round) {
            quiet = true;
            for (int m = 0; m < machines; ++m)
                quiet = runSession(m, rng.generate64(), 0, {QStringLiteral("final")}, false) && quiet;
        }
        if (!quiet)
            m_problems << QStringLiteral("the machines did not settle in five rounds");
        checkEnd();
        qInfo().noquote() << QStringLiteral(
                                 "%1 sessions, %2 texts saved, %3 deletions; the server holds %4 books, "
                                 "%5 chapters, %6 snapshots, %7 memos")
                                 .arg(m_session)
                                 .arg(m_saved.size())
                                 .arg(m_deleted.size())
                                 .arg(dbRows("select count(*) from books", serverDb()).value(0))
                                 .arg(dbRows("select count(*) from chapters", serverDb()).value(0))
                                 .arg(dbRows("select count(*) from blades", serverDb()).value(0))
                                 .arg(dbRows("select count(*) from memos", serverDb()).value(0));
        const QString keep = qEnvironmentVariable("QUORVIN_CONVERGENCE_KEEP");
        if (!m_problems.isEmpty() && !keep.isEmpty()) {
            // For a closer look: every machine's folder and the server's database.
            const QString into = QStringLiteral("%1/seed-%2").arg(keep).arg(seed);
            QDir().mkpath(into);
            for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
                QFile::copy(serverDb() + suffix, into + QStringLiteral("/server.db") + suffix);
            for (size_t m = 0; m < m_machines.size(); ++m)
                QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-r"), m_machines[m]->path(),
                                                         into + QStringLiteral("/machine-%1").arg(m)});
        }
        if (!m_problems.isEmpty()) {
            QFAIL(qPrintable(m_problems.join(QLatin1Char('\n'))));
        }
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--machine") == 0) {
        QApplication app(argc, argv);
        app.setAttribute(Qt::AA_Use96Dpi, true);
        quorvinInitResources();
        const QStringList args = app.arguments();
        MachineSession session(args.value(2).toInt(), args.value(3).toULongLong());
        return session.run(args.mid(4));
    }
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    quorvinInitResources();
    TstConvergence tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_convergence.moc"
