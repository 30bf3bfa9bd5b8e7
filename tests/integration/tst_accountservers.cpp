// One store, two servers that both gave out user id 1: signing in to the
// second never shows or sends the first one's rows (even its unsent
// changes), and signing in to the first again brings them back, sent to the
// first server only.
#include "db/cquorvindb.h"
#include "faultproxy.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "remote/cquorvinhttp.h"
#include "signedinauthor.h"
#include "testappdir.h"
#include "testmain.h"
#include "testserver.h"

#include <QDir>
#include <QJsonArray>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

const QString kPassword = QStringLiteral("25d55ad283aa400af464c76d713c07ad");
const QString kPhoneA = QStringLiteral("13700000101");
const QString kPhoneB = QStringLiteral("13900000202");

} // namespace

class TstAccountServers : public QObject
{
    Q_OBJECT

private:
    TestAppDir *m_app = nullptr;
    TestServer m_serverA;
    TestServer m_serverB;
    FaultProxy m_proxyA; // server A as the client reaches it; Close stands for offline
    QString m_tokenA, m_tokenB;
    qint64 m_uidA = 0, m_uidB = 0;
    CJobManager *m_jobs = nullptr;
    T_SessionData &m_session = T_SessionData::instance();

    bool signIn(const QString &baseUrl, const QString &phone)
    {
        if (!CQuorvinHttp::instance()->setBaseUrl(baseUrl))
            return false;
        TC_Author_Login req;
        req.phone = phone;
        req.password = kPassword;
        req.autoLogin = true;
        TS_Author_Login res;
        return m_jobs->authorLogin(req, res) == 200 && res.code == 200 && SignedInAuthor::waitIdle();
    }

    QStringList sessionBooks() const
    {
        QStringList names;
        for (const T_Book *book : m_session.books)
            names << book->bookName;
        return names;
    }

    static QStringList serverBooks(const QString &baseUrl, const QString &token)
    {
        TestHttp http(baseUrl);
        http.setToken(token);
        http.setUniqueCode(QStringLiteral("observer00000000000000000000000a"));
        QStringList names;
        for (const QJsonValue &v : http.get("/books/booksList").content().toArray())
            names << v.toObject().value("book_name").toString();
        return names;
    }

private slots:
    void initTestCase()
    {
        m_app = new TestAppDir;
        QVERIFY(m_app->isValid());
        qputenv("XDG_CONFIG_HOME", (m_app->path() + "/config").toUtf8());
        QVERIFY(m_serverA.start());
        QVERIFY(m_serverB.start());
        QVERIFY(m_serverA.signUp(kPhoneA, kPassword, m_tokenA, m_uidA));
        QVERIFY(m_serverB.signUp(kPhoneB, kPassword, m_tokenB, m_uidB));
        QCOMPARE(m_uidA, m_uidB); // two fresh servers, the same first user id
        QVERIFY(m_proxyA.start(m_serverA.baseUrl()));
        QVERIFY(CQuorvinDb::instance()->init());
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        check.setDatabaseName(m_app->dbFile());
        QVERIFY(check.open());
        CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
        CQssManager::instance()->setQssStyle(StyleDark, ":/res/qss/dark.qss");
        m_jobs = CJobManager::instance();
    }

    void cleanupTestCase()
    {
        CUiManager::instance()->closeWindows();
        QSqlDatabase::removeDatabase(QStringLiteral("check"));
        delete m_app;
    }

    void eachServerSeesOnlyItsOwnAccount()
    {
        QVERIFY(signIn(m_proxyA.baseUrl(), kPhoneA));
        // An unsent book of A's author.
        m_proxyA.setMode(FaultProxy::Close);
        TC_Books_AddBook book;
        book.bookName = QStringLiteral("甲方之书");
        QVERIFY(m_jobs->booksAddBook(book));
        QTRY_COMPARE_WITH_TIMEOUT(CUiManager::instance()->syncRunning(), 0, 20000);
        QVERIFY(SignedInAuthor::value("select count(*) from tb_job") > 0);

        // The same user id from server B.
        QVERIFY(signIn(m_serverB.baseUrl(), kPhoneB));
        QVERIFY(!sessionBooks().contains(QStringLiteral("甲方之书")));
        QCOMPARE(SignedInAuthor::value("select count(*) from tb_book where bookName = '甲方之书'"), 0);
        QCOMPARE(SignedInAuthor::value("select count(*) from tb_job"), 0);
        QCOMPARE(QDir(m_app->path() + "/data/db/accounts").entryList(QDir::Files).size(), 1);
        TC_Books_AddBook other;
        other.bookName = QStringLiteral("乙方之书");
        QVERIFY(SignedInAuthor::onlineBook(other.bookName));
        QVERIFY(SignedInAuthor::waitIdle());
        QCOMPARE(serverBooks(m_serverB.baseUrl(), m_tokenB), QStringList{QStringLiteral("乙方之书")});

        // Back on server A: its book returns and reaches server A alone.
        m_proxyA.setMode(FaultProxy::Pass);
        QVERIFY(signIn(m_proxyA.baseUrl(), kPhoneA));
        QCOMPARE(sessionBooks(), QStringList{QStringLiteral("甲方之书")});
        QTRY_COMPARE_WITH_TIMEOUT(serverBooks(m_serverA.baseUrl(), m_tokenA),
                                  QStringList{QStringLiteral("甲方之书")}, 20000);
        QCOMPARE(serverBooks(m_serverB.baseUrl(), m_tokenB), QStringList{QStringLiteral("乙方之书")});
        QCOMPARE(SignedInAuthor::value("select count(*) from tb_book where bookName = '乙方之书'"), 0);
    }
};

QUORVIN_TEST_MAIN(TstAccountServers)
#include "tst_accountservers.moc"
