#include "signedinauthor.h"

#include "db/cquorvindb.h"
#include "db/records.h"
#include "mainwindow.h"
#include "manager/cjobmanager.h"
#include "manager/cqssmanager.h"
#include "manager/cuimanager.h"
#include "remote/cquorvinhttp.h"
#include "ui/fonts.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {

const QString kPassword = QStringLiteral("25d55ad283aa400af464c76d713c07ad");
const QString kCheck = QStringLiteral("check");

bool step(bool ok, const char *what)
{
    if (!ok)
        qWarning("signing in the test author: %s failed", what);
    return ok;
}

} // namespace

SignedInAuthor::SignedInAuthor(const QString &phone, const QString &uniqueCode)
    : m_phone(phone), m_uniqueCode(uniqueCode)
{
}

SignedInAuthor::~SignedInAuthor()
{
    finish();
}

bool SignedInAuthor::start()
{
    m_app = new TestAppDir;
    if (!step(m_app->isValid(), "the application folder"))
        return false;
    qputenv("XDG_CONFIG_HOME", (m_app->path() + "/config").toUtf8());
    substituteFonts();
    if (!step(m_server.start(), "starting the server") ||
        !step(m_server.signUp(m_phone, kPassword, m_token, m_uid), "signing up") ||
        !step(CQuorvinDb::instance()->init(), "opening the store"))
        return false;
    QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kCheck);
    check.setDatabaseName(m_app->dbFile());
    if (!step(check.open(), "the check connection"))
        return false;
    CQssManager::instance()->setQssStyle(StyleLight, ":/res/qss/light.qss");
    CQssManager::instance()->setQssStyle(StyleDark, ":/res/qss/dark.qss");

    T_SessionData &session = T_SessionData::instance();
    session.author.uid = int(m_uid);
    session.author.token = m_token;
    session.author.uniqueCode = m_uniqueCode;
    session.user.uid = int(m_uid);
    if (!step(CQuorvinDb::instance()->insertUser(session.author, session.user), "storing the author"))
        return false;
    CQuorvinHttp *http = CQuorvinHttp::instance();
    if (!step(http->setBaseUrl(m_server.baseUrl()), "the server address"))
        return false;
    http->setToken(m_token);
    http->setUniqueCode(m_uniqueCode);
    return true;
}

void SignedInAuthor::finish()
{
    if (!m_app)
        return;
    CUiManager::instance()->closeWindows();
    QSqlDatabase::removeDatabase(kCheck);
    delete m_app;
    m_app = nullptr;
}

TestHttp SignedInAuthor::api(const QString &uniqueCode) const
{
    TestHttp h(m_server.baseUrl());
    h.setToken(m_token);
    h.setUniqueCode(uniqueCode);
    return h;
}

T_Book *SignedInAuthor::onlineBook(const QString &name)
{
    TC_Books_AddBook req;
    req.bookName = name;
    T_Book *book = CJobManager::instance()->booksAddBook(req);
    if (!book)
        return nullptr;
    const bool ok = QTest::qWaitFor(
        [&] {
            return book->bookId > 0 && !book->chapterList.isEmpty() &&
                   book->chapterList.first()->chapterId > 0 && CUiManager::instance()->syncRunning() == 0;
        },
        20000);
    return ok ? book : nullptr;
}

Widget_Creation *SignedInAuthor::openCreation(T_Book *book)
{
    CUiManager *ui = CUiManager::instance();
    if (!ui->mainWindow() || ui->mainWindow()->isHidden())
        ui->showMain();
    if (!QTest::qWaitForWindowExposed(ui->mainWindow()))
        return nullptr;
    ui->mainWindow()->activateWindow();
    if (!QTest::qWaitForWindowActive(ui->mainWindow()))
        return nullptr;
    ui->showCreation(book);
    return ui->creation();
}

bool SignedInAuthor::replay()
{
    CJobManager::instance()->checkUserJob();
    return waitIdle();
}

bool SignedInAuthor::waitIdle()
{
    return QTest::qWaitFor(
        [] {
            return value(QStringLiteral("select count(*) from tb_job")) == 0 &&
                   CUiManager::instance()->syncRunning() == 0;
        },
        30000);
}

int SignedInAuthor::value(const QString &sql)
{
    QSqlQuery q(QSqlDatabase::database(kCheck));
    q.exec(sql);
    return q.next() ? q.value(0).toInt() : -1;
}

bool SignedInAuthor::goOffline()
{
    m_server.stop();
    return true;
}

bool SignedInAuthor::goOnline()
{
    return m_server.restart() && CQuorvinHttp::instance()->setBaseUrl(m_server.baseUrl());
}
