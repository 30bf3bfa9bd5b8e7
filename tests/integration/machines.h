#pragma once

// Several machines of one author against one companion server, inside one
// test process: each machine has its own application folder, database and
// unique code, and becomes the running program in turn through the real
// start-up path. The coordinator's sets of job ids live for the process, as
// in the program; each machine's tb_job numbering starts at its own offset
// so that they never meet there.

#include "apppaths.h"
#include "db/cquorvindb.h"
#include "dbprobe.h"
#include "manager/cbookjobmanager.h"
#include "manager/cjobmanager.h"
#include "manager/cmemomanager.h"
#include "manager/csyndatamanager.h"
#include "manager/cuimanager.h"
#include "manager/cuserjobmanager.h"
#include "remote/chttputil.h"
#include "remote/cquorvinhttp.h"
#include "testappdir.h"
#include "testserver.h"

#include <QTcpServer>
#include <QtTest>

struct Machine
{
    explicit Machine(int jobOffset)
    {
        dbRows(QStringLiteral("insert into sqlite_sequence(name,seq) values('tb_job',%1)").arg(jobOffset),
               app.dbFile());
    }
    TestAppDir app;
};

// An address on which nothing listens: the machine is offline.
inline QString deadAddress()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

class MachinesFixture
{
public:
    TestServer server;
    CJobManager *jobs = CJobManager::instance();
    T_SessionData *session = &T_SessionData::instance();
    QString phone = QStringLiteral("13900000001");
    QString password = HttpUtil::passwordDigest(QStringLiteral("two-machines"));

    bool start()
    {
        QString token;
        qint64 uid = 0;
        return server.start() && server.signUp(phone, password, token, uid);
    }

    QString serverDb() const { return server.dataDir() + QStringLiteral("/server.db"); }

    void forget()
    {
        CQuorvinHttp::instance()->clearIdentity();
        session->author = TS_Author_Info();
        session->user = T_User();
        session->clearBooks();
        session->clearMemos();
    }

    // Makes `machine` the running program, as a start-up would: it replays
    // and pulls, and everything settles.
    void activate(Machine &machine)
    {
        AppPaths::setAppDirOverride(machine.app.path());
        forget();
        QVERIFY(CQuorvinHttp::instance()->setBaseUrl(server.baseUrl()));
        QVERIFY(jobs->init());
        settle();
    }

    // Makes `machine` the running program without starting its replay.
    void load(Machine &machine, bool online = true)
    {
        AppPaths::setAppDirOverride(machine.app.path());
        forget();
        CQuorvinDb *db = CQuorvinDb::instance();
        QVERIFY(db->init());
        TS_SynchronizaTion_SynData versions;
        QVERIFY(db->getSysData(session->author, versions));
        QVERIFY(db->getUserData(session->author.uid, session->author, session->user));
        session->user.uid = session->author.uid;
        CQuorvinHttp *http = CQuorvinHttp::instance();
        http->setToken(session->author.token);
        http->setUniqueCode(session->author.uniqueCode);
        QVERIFY(CUserJobManager::instance()->loadAuthor(session->author.uid));
        QVERIFY(CBookJobManager::instance()->loadBooks());
        QVERIFY(CMemoManager::instance()->loadMemos());
        QVERIFY(http->setBaseUrl(online ? server.baseUrl() : deadAddress()));
    }

    void goOffline() { QVERIFY(CQuorvinHttp::instance()->setBaseUrl(deadAddress())); }

    void signIn()
    {
        TC_Author_Login req;
        req.phone = phone;
        req.password = password;
        req.autoLogin = true;
        TS_Author_Login res;
        QCOMPARE(jobs->authorLogin(req, res), 200);
        QCOMPARE(res.code, 200);
        settle();
    }

    static bool idle()
    {
        return CUiManager::instance()->syncRunning() == 0 && !CSynDataManager::instance()->isPulling();
    }

    // Replays and pulls until the queue is empty, nothing runs and the last
    // pull went through.
    void settle()
    {
        // A pull that failed on the way (a connection the server closed as
        // it was reused, a machine too busy to answer in time) leaves an
        // empty queue behind too: the changes it missed come with the next.
        bool pullFailed = false;
        struct Watch
        {
            QMetaObject::Connection connection;
            ~Watch() { QObject::disconnect(connection); }
        } watch{QObject::connect(CSynDataManager::instance(), &CSynDataManager::sig_SynEnded,
                                 [&pullFailed](bool ok) { pullFailed = !ok; })};
        for (int pass = 0; pass < 8; ++pass) {
            QTRY_VERIFY_WITH_TIMEOUT(idle(), 30000);
            if (session->author.uid < 1)
                return;
            // Jobs sent at once are answered first: a replay started while
            // they are on their way would send them a second time. Their
            // answers may start a replay and a pull of their own.
            if (QTest::qWaitFor([] { return dbRows("select count(*) from tb_job") == QStringList{"0"}; },
                                3000)) {
                QTest::qWait(50);
                if (!idle() || dbRows("select count(*) from tb_job") != QStringList{"0"})
                    continue;
                if (!pullFailed)
                    return;
                qWarning() << "the pull ended early; pulling again";
                pullFailed = false;
            }
            jobs->checkUserJob();
        }
        QCOMPARE(dbRows("select jobType,content from tb_job"), QStringList());
        QVERIFY2(!pullFailed, "the last pull ended early");
    }

    T_Book *book(const QString &name) const
    {
        for (T_Book *b : session->books)
            if (b->bookName == name)
                return b;
        return nullptr;
    }

    static T_Chapter *chapter(const T_Book *b, const QString &name)
    {
        if (!b)
            return nullptr;
        for (const QList<T_Chapter *> *list : {&b->chapterList, &b->recycleList})
            for (T_Chapter *c : *list)
                if (c->name == name)
                    return c;
        return nullptr;
    }
};
