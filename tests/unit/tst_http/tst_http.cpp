#include "recordingserver.h"
#include "testappdir.h"
#include "testmain.h"

#include "remote/chttputil.h"
#include "remote/cquorvinhttp.h"
#include "remote/cquorvinparser.h"
#include "remote/cquorvinurl.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QNetworkReply>
#include <QSignalSpy>
#include <QSslSocket>

#include <functional>
#include <memory>

using Call = std::function<void(CQuorvinHttp *)>;
Q_DECLARE_METATYPE(Call)

namespace {

constexpr int kTime = 1700000000;

template <class T> T withIds(int bookId, int chapterId = 0, int localBookId = 0, int localChapterId = 0)
{
    T record;
    record.bookId = bookId;
    record.chapterId = chapterId;
    record.localBookId = localBookId;
    record.localChapterId = localChapterId;
    return record;
}

QByteArray pngBytes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestHttp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void requests_data();
    void requests();
    void updateTimeDefaultsToServerTime();
    void identityHeaders();
    void asyncReplyCarriesUserdata();
    void logoutForgetsIdentity();

    void untrustedCertificateFails();
    void timeoutGives401();
    void silentServerFailsAnAsynchronousRequest();
    void lateAnswerIsNotRead();

    void malformedBodies_data();
    void malformedBodies();
    void serverClockFixedByFirstPositiveTime();

    void parseAuthorInfo();
    void parseCategoriesRecursively();
    void parseNameDataIntoMap();
    void parseTimeMachine();
    void parseListsSkipNonObjects();
    void parseBookEditReadsText();
    void parseStatistics();

    void downloadImage();
    void downloadRefusesNonImages();
    void downloadSendsIdentityOnlyToApiOrigin();
    void imageDataUri();

    void baseUrlFromSettings_data();
    void baseUrlFromSettings();
    void setBaseUrlRefusesPlainRemote();
    void digestsAndCodes();

private:
    // A request sent by `call`: waits for its reply, synchronous or not.
    RecordedRequest send(const Call &call, bool async);

    std::unique_ptr<TestAppDir> m_app;
    std::unique_ptr<RecordingServer> m_server;
    CQuorvinHttp *m_http = nullptr;
};

void TestHttp::init()
{
    m_app = std::make_unique<TestAppDir>();
    QVERIFY(m_app->isValid());
    m_server = std::make_unique<RecordingServer>();
    QVERIFY(m_server->start());
    m_http = CQuorvinHttp::instance();
    QVERIFY(m_http->setBaseUrl(m_server->baseUrl()));
    m_http->clearIdentity();
    m_http->setUniqueCode(QStringLiteral("uc1"));
    m_http->setSyncTimeout(5000);
}

void TestHttp::cleanup()
{
    m_server.reset();
    m_app.reset();
}

RecordedRequest TestHttp::send(const Call &call, bool async)
{
    QSignalSpy spy(m_http, &CHttpBase::sigGetAsynData);
    const int before = m_server->requests.size();
    call(m_http);
    if (async) {
        if (!spy.wait(5000))
            return RecordedRequest();
        spy.first().first().value<QNetworkReply *>()->deleteLater();
    }
    if (!m_server->waitForRequests(before + 1))
        return RecordedRequest();
    return m_server->requests.last();
}

void TestHttp::requests_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<bool>("async");
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("params"); // the query of a GET, the body of a POST

    auto row = [](const char *name, bool async, const char *method, const char *path, const char *params,
                  Call call) {
        QTest::newRow(name) << call << async << QByteArray(method) << QByteArray(path) << QByteArray(params);
    };

    // Account
    row("1 register", false, "POST", "/author/register",
        "unique_code=uc1&phone=138&code=1234&password=5f4dcc3b5aa765d61d8327deb882cf99", [](CQuorvinHttp *h) {
            TC_Author_Register r;
            r.phone = "138";
            r.code = "1234";
            r.password = HttpUtil::passwordDigest("password");
            TS_Author_Register s;
            h->authorRegister(r, s);
        });
    row("1 register encodes values", false, "POST", "/author/register",
        "unique_code=uc1&phone=a%20b%26c%2Bd%3D&code=%E5%AF%86~-._", [](CQuorvinHttp *h) {
            TC_Author_Register r;
            r.phone = "a b&c+d=";
            r.code = QString::fromUtf8("密~-._");
            TS_Author_Register s;
            h->authorRegister(r, s);
        });
    row("1 register leaves empty text out", false, "POST", "/author/register", "unique_code=uc1",
        [](CQuorvinHttp *h) {
            TS_Author_Register s;
            h->authorRegister(TC_Author_Register(), s);
        });
    row("1 register without unique code", false, "POST", "/author/register", "phone=1&password=p",
        [](CQuorvinHttp *h) {
            h->setUniqueCode(QString());
            TC_Author_Register r;
            r.phone = "1";
            r.password = "p";
            TS_Author_Register s;
            h->authorRegister(r, s);
        });
    row("2 sendCode", false, "POST", "/author/sendCode", "unique_code=uc1&phone=138", [](CQuorvinHttp *h) {
        TC_Author_SendCode r;
        r.phone = "138";
        TS_Author_SendCode s;
        h->authorSendCode(r, s);
    });
    row("3 login", false, "POST", "/author/login", "unique_code=uc1&phone=138&password=d1",
        [](CQuorvinHttp *h) {
            TC_Author_Login r;
            r.phone = "138";
            r.password = "d1";
            TS_Author_Login s;
            h->authorLogin(r, s);
        });
    row("4 logOut", false, "POST", "/author/logOut", "", [](CQuorvinHttp *h) {
        TS_Author_Logout s;
        h->authorLogout(T_Http_C(), s);
    });
    row("5 info", false, "GET", "/author/info", "", [](CQuorvinHttp *h) {
        TS_Author_Info s;
        h->authorInfo(T_Http_C(), s);
    });
    row("5 info~", true, "GET", "/author/info", "", [](CQuorvinHttp *h) { h->authorInfoAsyn(T_Http_C()); });
    row("6 updateAuthor", false, "POST", "/author/updateAuthor",
        "unique_code=uc1&author_name=%E6%9D%8E&sex=1&sign=hi&birthday=2000-01-02&update_time=1700000000",
        [](CQuorvinHttp *h) {
            TC_Author_Update r;
            r.authorName = QString::fromUtf8("李");
            r.sex = "1";
            r.sign = "hi";
            r.birthday = "2000-01-02";
            r.update_time = kTime;
            TS_Author_Update s;
            h->authorUpdate(r, s);
        });
    row("7 uploadimg", false, "POST", "/author/uploadimg",
        "unique_code=uc1&img=data%3Aimage%2Fpng%3Bbase64%2CiV%2B%2F%3D&update_time=1700000000",
        [](CQuorvinHttp *h) {
            TC_Author_UploadImg r;
            r.img = "data:image/png;base64,iV+/=";
            r.update_time = kTime;
            TS_Author_UploadImg s;
            h->authorUploadImg(r, s);
        });
    row("8 editPass", false, "POST", "/author/editPass", "unique_code=uc1&phone=138&code=12&password=d2",
        [](CQuorvinHttp *h) {
            TC_Author_EditPwd r;
            r.phone = "138";
            r.code = "12";
            r.password = "d2";
            TS_Author_EditPwd s;
            h->authorEditPwd(r, s);
        });
    row("10 setNewPwd", false, "POST", "/author/setNewPwd", "unique_code=uc1&old_pwd=o&new_pwd=n",
        [](CQuorvinHttp *h) {
            TC_Author_SetNewPwd r;
            r.oldPwd = "o";
            r.newPwd = "n";
            T_Http_S s;
            h->authorSetNewPwd(r, s);
        });
    row("37 delData", false, "POST", "/author/delData", "unique_code=uc1", [](CQuorvinHttp *h) {
        T_Http_S s;
        h->authorDelData(T_Http_C(), s);
    });
    row("38 bannerList", false, "GET", "/author/bannerList", "unique_code=uc1", [](CQuorvinHttp *h) {
        TS_Author_BannerList s;
        h->authorBannerList(TC_Author_BannerList(), s);
    });
    row("39 wxCodeLogin", false, "POST", "/author/wxCodeLogin", "unique_code=uc1&nonce_str=ab12",
        [](CQuorvinHttp *h) {
            TC_Author_WxCodeLogin r;
            r.nonceStr = "ab12";
            TS_Author_WxCodeLogin s;
            h->authorWxCodeLogin(r, s);
        });
    row("40 pollingWx~", true, "GET", "/author/pollingWx", "unique_code=uc1&nonce_str=ab12",
        [](CQuorvinHttp *h) {
            TC_Author_PollingWx r;
            r.nonceStr = "ab12";
            h->authorPollingWxAsyn(r);
        });
    row("41 wxBindPhone", false, "POST", "/author/wxBindPhone", "unique_code=uc1&phone=138&code=9",
        [](CQuorvinHttp *h) {
            TC_Author_WxBindPhone r;
            r.phone = "138";
            r.code = "9";
            TS_Author_Login s;
            h->authorWxBindPhone(r, s);
        });

    // Statistics
    row("35 saveData leaves zeros out", false, "POST", "/authorcount/saveData", "unique_code=uc1",
        [](CQuorvinHttp *h) {
            TS_AuthorCount_Save s;
            h->authorCountSave(TC_AuthorCount_Save(), s);
        });
    row("35 saveData", false, "POST", "/authorcount/saveData",
        "unique_code=uc1&pc_word=5&write_time=6&speed=7", [](CQuorvinHttp *h) {
            TC_AuthorCount_Save r;
            r.pcWord = 5;
            r.writeTime = 6;
            r.speed = 7;
            TS_AuthorCount_Save s;
            h->authorCountSave(r, s);
        });
    row("35 saveData~ keeps zeros", true, "POST", "/authorcount/saveData",
        "unique_code=uc1&pc_word=0&write_time=0&speed=0&update_time=1700000000&date=2024-05-01",
        [](CQuorvinHttp *h) {
            TC_AuthorCount_Save r;
            r.update_time = kTime;
            r.date = "2024-05-01";
            h->authorCountSaveAsyn(r);
        });
    row("35 saveData~ with channel", true, "POST", "/authorcount/saveData",
        "unique_code=uc1&pc_word=1&write_time=2&speed=3&channel=4&update_time=1700000000",
        [](CQuorvinHttp *h) {
            TC_AuthorCount_Save r;
            r.pcWord = 1;
            r.writeTime = 2;
            r.speed = 3;
            r.channel = 4;
            r.update_time = kTime;
            h->authorCountSaveAsyn(r);
        });
    row("36 userData", false, "POST", "/authorcount/userData", "unique_code=uc1", [](CQuorvinHttp *h) {
        TS_AuthorCount_UserData s;
        h->authorCountUserData(T_Http_C(), s);
    });
    row("36 userData~ keeps channel 0", true, "GET", "/authorcount/userData", "unique_code=uc1&channel=0",
        [](CQuorvinHttp *h) { h->authorCountUserDataAsyn(TC_AuthorCount_UserData()); });

    // Books
    row("11 addBook~", true, "POST", "/books/addBook",
        "unique_code=uc1&book_name=%E4%B9%A6&local_id=3&update_time=1700000000", [](CQuorvinHttp *h) {
            auto r = withIds<TC_Books_AddBook>(0, 0, 3);
            r.bookName = QString::fromUtf8("书");
            r.update_time = kTime;
            h->booksAddBookAsyn(r);
        });
    row("12 booksList", false, "GET", "/books/booksList", "unique_code=uc1", [](CQuorvinHttp *h) {
        TS_Books_List s;
        h->booksList(T_Http_C(), s);
    });
    row("13 bookinfo~", true, "GET", "/books/bookinfo", "unique_code=uc1&book_id=8",
        [](CQuorvinHttp *h) { h->booksInfoAsyn(withIds<T_Http_C>(8)); });
    row("14 deleteBook~", true, "POST", "/books/deleteBook",
        "unique_code=uc1&book_id=8&update_time=1700000000", [](CQuorvinHttp *h) {
            auto r = withIds<TC_Books_Delete>(8);
            r.update_time = kTime;
            h->booksDeleteAsyn(r);
        });
    row("15 getCate~", true, "GET", "/books/getCate", "unique_code=uc1",
        [](CQuorvinHttp *h) { h->booksCateAsyn(T_Http_C()); });
    row("16 editBook~ without new cover", true, "POST", "/books/editBook",
        "unique_code=uc1&book_id=8&book_name=B&intro=I&channel_type=2&cate_id=5&update_time=1700000000",
        [](CQuorvinHttp *h) {
            auto r = withIds<TC_Books_Edit>(8);
            r.bookName = "B";
            r.intro = "I";
            r.channelType = 2;
            r.cateId = 5;
            r.cateFid = 4;
            r.localCover = "/tmp/cover.png";
            r.update_time = kTime;
            h->booksEditAsyn(r);
        });
    row("16 editBook~ with new cover", true, "POST", "/books/editBook",
        "unique_code=uc1&book_id=8&cover=data%3Aimage%2Fjpg%3Bbase64%2CAB%2B&update_time=1700000000",
        [](CQuorvinHttp *h) {
            auto r = withIds<TC_Books_Edit>(8);
            r.cover = "data:image/jpg;base64,AB+";
            r.update_time = kTime;
            h->booksEditAsyn(r);
        });

    // Chapters
    row("18 createChapter~", true, "POST", "/chapter/createChapter",
        "unique_code=uc1&book_id=8&local_id=9&chapter_name=%E7%AC%AC1%E7%AB%A0%20&update_time=1700000001&"
        "order_num=1",
        [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_Create>(8, 0, 3, 9);
            r.chapterName = QString::fromUtf8("第1章 ");
            r.update_time = kTime + 1;
            r.order_num = 1;
            h->chapterCreateAsyn(r);
        });
    row("19 batchCreateChapter~", true, "POST", "/chapter/batchCreateChapter",
        "unique_code=uc1&book_id=8&list=%5B%7B%22local_id%22%3A1%7D%5D&update_time=1700000000",
        [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_BatchCreate>(8);
            r.list = "[{\"local_id\":1}]";
            r.update_time = kTime;
            h->chapterBatchCreateAsyn(r);
        });
    row("20 recycle~ sends status 0", true, "POST", "/chapter/recycle",
        "unique_code=uc1&book_id=8&chapter_id=6&status=0&update_time=1700000000", [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_Recycle>(8, 6);
            r.update_time = kTime;
            h->chapterRecycleAsyn(r);
        });
    row("21 delChapter~", true, "POST", "/chapter/delChapter",
        "unique_code=uc1&book_id=8&chapter_id=6&update_time=1700000000", [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_Del>(8, 6);
            r.update_time = kTime;
            h->chapterDelAsyn(r);
        });
    row("22 chapterMenu", false, "GET", "/chapter/chapterMenu", "unique_code=uc1&book_id=8&order=desc",
        [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_Menu>(8);
            r.order = "desc";
            TS_Chapter_Menu s;
            h->chapterMenu(r, s);
        });
    row("22 chapterMenu~", true, "GET", "/chapter/chapterMenu", "unique_code=uc1&book_id=8&order=asc",
        [](CQuorvinHttp *h) { h->chapterMenuAsyn(withIds<TC_Chapter_Menu>(8)); });
    row("23 chapter", false, "GET", "/chapter/chapter", "unique_code=uc1&book_id=8&chapter_id=6",
        [](CQuorvinHttp *h) {
            TS_Chapter_Chapter s;
            h->chapterChapter(withIds<T_Http_C>(8, 6), s);
        });
    row("23 chapter~", true, "GET", "/chapter/chapter", "unique_code=uc1&book_id=8&chapter_id=6",
        [](CQuorvinHttp *h) { h->chapterChapterAsyn(withIds<T_Http_C>(8, 6)); });
    row("24 getChapters~", true, "GET", "/chapter/getChapters",
        "unique_code=uc1&book_id=8&order_num=2&limit=50&c_ids=4%2C5", [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_GetChapters>(8);
            r.orderNum = 2;
            r.limit = 50;
            r.cIds = "4,5";
            h->chapterGetChaptersAsyn(r);
        });
    row("25a editChapter~ name and content", true, "POST", "/chapter/editChapter",
        "unique_code=uc1&book_id=8&chapter_id=6&update_time=1700000000&chapter_name=N&content=a%0Ab",
        [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_Edit>(8, 6);
            r.chapterName = "N";
            r.content = "a\nb";
            r.update_time = kTime;
            h->chapterEditAsyn(r);
        });
    row("25a editChapter~ empty name left out", true, "POST", "/chapter/editChapter",
        "unique_code=uc1&book_id=8&chapter_id=6&update_time=1700000000&content=", [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_Edit>(8, 6);
            r.update_time = kTime;
            h->chapterEditAsyn(r);
        });
    row("25b editChapter~ empty content kept", true, "POST", "/chapter/editChapter",
        "unique_code=uc1&book_id=8&chapter_id=6&content=&update_time=1700000000", [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_Edit>(8, 6);
            r.chapterName = "ignored";
            r.update_time = kTime;
            h->chapterEditContentAsyn(r);
        });
    row("25c editChapter~ name only", true, "POST", "/chapter/editChapter",
        "unique_code=uc1&book_id=8&chapter_id=6&chapter_name=N2&update_time=1700000000", [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_Edit>(8, 6);
            r.chapterName = "N2";
            r.content = "ignored";
            r.update_time = kTime;
            h->chapterEditNameAsyn(r);
        });
    row("26 moveChapter~", true, "POST", "/chapter/moveChapter",
        "unique_code=uc1&book_id=8&chapter_id=6&direction=2&update_time=1700000000", [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_Move>(8, 6);
            r.direction = 2;
            r.update_time = kTime;
            h->chapterMoveAsyn(r);
        });
    row("27 contentBlade~ keeps empty texts", true, "POST", "/chapter/contentBlade",
        "unique_code=uc1&book_id=8&chapter_id=6&content=&chapter_name=&create_time=1600000000&update_time="
        "1700000000",
        [](CQuorvinHttp *h) {
            auto r = withIds<TC_Chapter_ContentBlade>(8, 6);
            r.createTime = 1600000000;
            r.update_time = kTime;
            h->chapterContentBladeAsyn(r);
        });
    row("28 timeMachine", false, "GET", "/chapter/timeMachine", "unique_code=uc1&book_id=8&chapter_id=6",
        [](CQuorvinHttp *h) {
            TS_Chapter_TimeMachine s;
            h->chapterTimeMachine(withIds<T_Http_C>(8, 6), s);
        });
    row("28 timeMachine~", true, "GET", "/chapter/timeMachine", "unique_code=uc1&book_id=8&chapter_id=6",
        [](CQuorvinHttp *h) { h->chapterTimeMachineAsyn(withIds<T_Http_C>(8, 6)); });

    // Sensitive words and names
    row("29 editSensitive keeps empty words", false, "POST", "/sensitive/editSensitive",
        "unique_code=uc1&words=&update_time=1700000000", [](CQuorvinHttp *h) {
            TC_Sensitive_Edit r;
            r.update_time = kTime;
            TS_Sensitive_Edit s;
            h->sensitiveEdit(r, s);
        });
    row("29 editSensitive~", true, "POST", "/sensitive/editSensitive",
        "unique_code=uc1&words=a%2Cb&update_time=1700000000", [](CQuorvinHttp *h) {
            TC_Sensitive_Edit r;
            r.words = "a,b";
            r.update_time = kTime;
            h->sensitiveEditAsyn(r);
        });
    row("30 getSensitive", false, "POST", "/sensitive/getSensitive", "unique_code=uc1", [](CQuorvinHttp *h) {
        TS_Sensitive_Get s;
        h->sensitiveGet(T_Http_C(), s);
    });
    row("30 getSensitive~", true, "GET", "/sensitive/getSensitive", "unique_code=uc1&sensitive_type=2",
        [](CQuorvinHttp *h) {
            TC_Sensitive_Get r;
            r.sensitiveType = 2;
            h->sensitiveGetAsyn(r);
        });
    row("31 nameData", false, "GET", "/sensitive/nameData", "unique_code=uc1", [](CQuorvinHttp *h) {
        TS_Sensitive_NameData s;
        h->sensitiveNameData(T_Http_C(), s);
    });
    row("31 nameData~", true, "GET", "/sensitive/nameData", "unique_code=uc1",
        [](CQuorvinHttp *h) { h->sensitiveNameDataAsyn(T_Http_C()); });

    // Synchronisation
    row("32 synData", false, "GET", "/synchronization/synData", "unique_code=uc1", [](CQuorvinHttp *h) {
        TS_SynchronizaTion_SynData s;
        h->synData(T_Http_C(), s);
    });
    row("33 synBookData", false, "POST", "/synchronization/synBookData", "unique_code=uc1",
        [](CQuorvinHttp *h) {
            TS_SynchronizaTion_SynBookData s;
            h->synBookData(T_Http_C(), s);
        });
    row("33 synBookData~", true, "POST", "/synchronization/synBookData", "unique_code=uc1",
        [](CQuorvinHttp *h) { h->synBookDataAsyn(T_Http_C()); });
    row("34 synAuthor~", true, "POST", "/synchronization/synAuthor", "unique_code=uc1&task_id=77&syn_type=2",
        [](CQuorvinHttp *h) {
            TC_SynchronizaTion_SynAuthor r;
            r.taskId = 77;
            r.synType = 2;
            h->synAuthorAsyn(r);
        });

    // Memos
    row("42 addMemo~", true, "POST", "/memo/addMemo",
        "unique_code=uc1&content=%7B%22color%22%3A%22%23fff%22%7D&color=%23ffffff&update_time=1700000000",
        [](CQuorvinHttp *h) {
            TC_Memo_Add r;
            r.content = "{\"color\":\"#fff\"}";
            r.color = "#ffffff";
            r.update_time = kTime;
            h->memoAddAsyn(r);
        });
    row("43 delMemo~", true, "POST", "/memo/delMemo", "unique_code=uc1&update_time=1700000000&memo_id=12",
        [](CQuorvinHttp *h) {
            TC_Memo_Del r;
            r.memoId = 12;
            r.update_time = kTime;
            h->memoDelAsyn(r);
        });
    auto memoEdit = [](int jobType, bool contentChanged, bool locationChanged) {
        return [=](CQuorvinHttp *h) {
            TC_Memo_Edit r;
            r.jobType = jobType;
            r.memoId = 12;
            r.color = jobType == 42 ? "#abcdef" : "";
            r.contentChanged = contentChanged;
            r.locationChanged = locationChanged;
            r.update_time = kTime;
            h->memoEditAsyn(r);
        };
    };
    row("44 editMemo~ colour (39)", true, "POST", "/memo/editMemo",
        "unique_code=uc1&memo_id=12&update_time=1700000000", memoEdit(39, false, false));
    row("44 editMemo~ content (40) keeps empty", true, "POST", "/memo/editMemo",
        "unique_code=uc1&memo_id=12&content=&update_time=1700000000", memoEdit(40, false, false));
    row("44 editMemo~ location (41) keeps zeros", true, "POST", "/memo/editMemo",
        "unique_code=uc1&memo_id=12&book_id=0&chapter_id=0&location=&update_time=1700000000",
        memoEdit(41, false, false));
    row("44 editMemo~ folded (42) colour only", true, "POST", "/memo/editMemo",
        "unique_code=uc1&memo_id=12&color=%23abcdef&update_time=1700000000", memoEdit(42, false, false));
    row("44 editMemo~ folded (42) everything", true, "POST", "/memo/editMemo",
        "unique_code=uc1&memo_id=12&color=%23abcdef&content=&book_id=0&chapter_id=0&location=&update_time="
        "1700000000",
        memoEdit(42, true, true));
    row("45 memoDetail~", true, "GET", "/memo/memoDetail", "unique_code=uc1&memo_id=12", [](CQuorvinHttp *h) {
        T_Http_C r;
        r.memoId = 12;
        h->memoDetailAsyn(r);
    });
}

void TestHttp::requests()
{
    QFETCH(Call, call);
    QFETCH(bool, async);
    QFETCH(QByteArray, method);
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, params);

    const RecordedRequest request = send(call, async);
    QCOMPARE(request.method, method);
    QCOMPARE(request.path(), path);
    if (method == "GET") {
        QCOMPARE(request.query(), params);
        QCOMPARE(request.target.contains('?'), !params.isEmpty());
        QCOMPARE(request.header("content-type"), QByteArray("application/json"));
        QVERIFY(request.body.isEmpty());
    } else {
        QCOMPARE(request.body, params);
        QVERIFY(!request.target.contains('?'));
        QCOMPARE(request.header("content-type"), QByteArray("application/x-www-form-urlencoded"));
        QCOMPARE(request.header("content-length").toInt(), params.size());
    }
}

void TestHttp::updateTimeDefaultsToServerTime()
{
    HttpUtil::resetServerClock();
    HttpUtil::setServerClock(QDateTime::currentSecsSinceEpoch() - 1000);
    TC_Memo_Del r;
    r.memoId = 3;
    const RecordedRequest request = send([&](CQuorvinHttp *h) { h->memoDelAsyn(r); }, true);
    HttpUtil::resetServerClock();

    const QByteArray prefix = "unique_code=uc1&update_time=";
    QVERIFY2(request.body.startsWith(prefix), request.body.constData());
    const qint64 sent = request.body.mid(prefix.size()).split('&').first().toLongLong();
    QVERIFY(qAbs(sent - (QDateTime::currentSecsSinceEpoch() - 1000)) <= 2);
}

void TestHttp::identityHeaders()
{
    m_http->setToken("tok-1");
    m_server->setEchoUserdata(true);
    T_Http_C header;
    header.uid = 5;
    header.jobType = 18;
    header.localBookId = 3;
    header.localChapterId = 9;
    header.jobId = 7;
    header.next = 1;
    TS_Author_Info info;
    QCOMPARE(m_http->authorInfo(header, info), 0);
    QVERIFY(m_server->waitForRequests(1));

    const RecordedRequest &request = m_server->requests.last();
    QCOMPARE(request.header("token"), QByteArray("tok-1"));
    QCOMPARE(request.header("uniquecode"), QByteArray("uc1"));
    QCOMPARE(request.header("userdata"), QByteArray("5,18,3,0,9,0,7,1,0,0,0"));
    QVERIFY(!request.hasHeader("authorization"));
    QVERIFY(!request.hasHeader("cookie"));
    // The server's echo comes back into the response's routing data.
    QCOMPARE(info.code, 200);
    QCOMPARE(info.userdata.jobType, 18);
    QCOMPARE(info.userdata.localChapterId, 9);
    QCOMPARE(info.userdata.jobId, 7);
    QCOMPARE(info.userdata.next, 1);
}

void TestHttp::asyncReplyCarriesUserdata()
{
    T_Http_C header;
    header.uid = 2;
    header.jobType = 45;
    header.synStep = 1;
    header.localMemoId = 4;
    header.memoId = 11;
    QSignalSpy spy(m_http, &CHttpBase::sigGetAsynData);
    m_http->synBookDataAsyn(header);
    QVERIFY(spy.wait(5000));
    auto *reply = spy.first().first().value<QNetworkReply *>();
    QCOMPARE(reply->error(), QNetworkReply::NoError);

    // What the coordinator reads back when a reply fails.
    T_Http_C back;
    QVERIFY(HttpUtil::parseUserdata(QString::fromLatin1(reply->request().rawHeader("userdata")), back));
    QCOMPARE(back.jobType, 45);
    QCOMPARE(back.synStep, 1);
    QCOMPARE(back.localMemoId, 4);
    QCOMPARE(back.memoId, 11);
    TS_SynchronizaTion_SynBookData data;
    CQuorvinParser::parse(reply->readAll(), data);
    QCOMPARE(data.code, 200);
    reply->deleteLater();
}

void TestHttp::logoutForgetsIdentity()
{
    m_http->setToken("tok");
    m_http->clearIdentity();
    const RecordedRequest request = send(
        [](CQuorvinHttp *h) {
            TS_Books_List s;
            h->booksList(T_Http_C(), s);
        },
        false);
    QVERIFY(!request.hasHeader("token"));
    QVERIFY(!request.hasHeader("uniquecode"));
    QCOMPARE(request.target, QByteArray("/books/booksList"));
}

void TestHttp::untrustedCertificateFails()
{
    if (!QSslSocket::supportsSsl())
        QSKIP("no TLS support in this build");
    TlsServer tls;
    QVERIFY(tls.start());
    QVERIFY(m_http->setBaseUrl(tls.baseUrl()));
    m_http->setToken("secret");
    TS_Author_Login login;
    const int error = m_http->authorLogin(TC_Author_Login(), login);
    QCOMPARE(error, int(QNetworkReply::SslHandshakeFailedError));
    QCOMPARE(login.code, 0);
    QCOMPARE(tls.encryptedConnections, 0);
    QCOMPARE(tls.bytesReceived, 0);
}

void TestHttp::timeoutGives401()
{
    m_server->setMode(RecordingServer::Mode::Silent);
    m_http->setSyncTimeout(200);
    TS_Author_Login login;
    login.uid = -1;
    QCOMPARE(m_http->authorLogin(TC_Author_Login(), login), 401);
    QCOMPARE(login.code, 0);
    QCOMPARE(login.uid, -1); // nothing parsed
}

void TestHttp::silentServerFailsAnAsynchronousRequest()
{
    m_server->setMode(RecordingServer::Mode::Silent);
    m_http->setAsynIdleTimeout(200);
    QSignalSpy replies(m_http, &CHttpBase::sigGetAsynData);
    T_Http_C req;
    req.jobId = 7;
    TC_Chapter_Move move;
    static_cast<T_Http_C &>(move) = req;
    move.direction = 1;
    m_http->chapterMoveAsyn(move);
    QVERIFY(replies.wait(5000));
    auto *reply = replies.first().first().value<QNetworkReply *>();
    QVERIFY(reply->error() != QNetworkReply::NoError);
    reply->deleteLater();
    m_http->setAsynIdleTimeout(0);
    QCOMPARE(m_http->asynIdleTimeout(), int(CHttpBase::kDefaultAsynIdleTimeoutMs));
}

void TestHttp::lateAnswerIsNotRead()
{
    m_server->setAnswer("{\"code\":200,\"content\":{\"uid\":41}}");
    m_server->setMode(RecordingServer::Mode::Late, 600);
    m_http->setSyncTimeout(150);
    TS_Author_Login late;
    QCOMPARE(m_http->authorLogin(TC_Author_Login(), late), 401);
    QCOMPARE(late.code, 0);
    QCOMPARE(late.uid, 0);

    // Once the late answer has been written, a new call reads only its own answer.
    QTest::qWait(800);
    m_server->setAnswer("{\"code\":200,\"content\":{\"uid\":42}}");
    m_server->setMode(RecordingServer::Mode::Answer);
    m_http->setSyncTimeout(5000);
    TS_Author_Login next;
    QCOMPARE(m_http->authorLogin(TC_Author_Login(), next), 0);
    QCOMPARE(next.uid, 42);
}

void TestHttp::malformedBodies_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("msg");
    QTest::addColumn<int>("uid");
    QTest::addColumn<QString>("token");
    QTest::addColumn<int>("jobType");
    // Whether the body is the server's envelope at all; one that is not is
    // a failure of the exchange (transient), never an answer.
    QTest::addColumn<bool>("reached");

    QTest::newRow("not JSON") << QByteArray("<html>bad gateway</html>") << 0 << "" << 0 << "" << 0 << false;
    QTest::newRow("empty") << QByteArray() << 0 << "" << 0 << "" << 0 << false;
    QTest::newRow("array root") << QByteArray("[{\"code\":200}]") << 0 << "" << 0 << "" << 0 << false;
    QTest::newRow("content is an array")
        << QByteArray("{\"code\":200,\"msg\":\"ok\",\"content\":[{\"uid\":5,\"token\":\"t\"}]}") << 200
        << "ok" << 0 << "" << 0 << true;
    QTest::newRow("content is text") << QByteArray("{\"code\":200,\"content\":\"uid=5\"}") << 200 << "" << 0
                                     << "" << 0 << true;
    QTest::newRow("numbers as strings")
        << QByteArray("{\"code\":\"200\",\"msg\":7,\"content\":{\"uid\":\"5\",\"token\":9}}") << 0 << "" << 0
        << "" << 0 << false;
    QTest::newRow("fractional code") << QByteArray("{\"code\":200.5,\"content\":{\"uid\":1e12}}") << 0 << ""
                                     << 0 << "" << 0 << false;
    QTest::newRow("short userdata") << QByteArray("{\"code\":200,\"userdata\":\"5,18,3,0,9,0,7,1,0,0\"}")
                                    << 200 << "" << 0 << "" << 0 << true;
    QTest::newRow("full userdata") << QByteArray("{\"code\":200,\"userdata\":\"5,18,3,0,9,0,7,1,0,0,0\"}")
                                   << 200 << "" << 0 << "" << 18 << true;
    QTest::newRow("content absent") << QByteArray("{\"code\":300,\"msg\":\"\\u767b\\u5f55\\u5931\\u6548\"}")
                                    << 300 << QString::fromUtf8("登录失效") << 0 << "" << 0 << true;
    QTest::newRow("complete") << QByteArray("{\"code\":200,\"content\":{\"uid\":5,\"token\":\"t5\"}}") << 200
                              << "" << 5 << "t5" << 0 << true;
}

void TestHttp::malformedBodies()
{
    QFETCH(QByteArray, body);
    QFETCH(int, code);
    QFETCH(QString, msg);
    QFETCH(int, uid);
    QFETCH(QString, token);
    QFETCH(int, jobType);
    QFETCH(bool, reached);

    m_server->setAnswer(body);
    TS_Author_Login login;
    QCOMPARE(m_http->authorLogin(TC_Author_Login(), login) == 0, reached);
    QCOMPARE(m_http->lastFailure().failed(), !reached);
    QCOMPARE(login.code, code);
    QCOMPARE(login.msg, msg);
    QCOMPARE(login.uid, uid);
    QCOMPARE(login.token, token);
    QCOMPARE(login.userdata.jobType, jobType);
}

void TestHttp::serverClockFixedByFirstPositiveTime()
{
    HttpUtil::resetServerClock();
    auto answerWith = [this](qint64 serverTime) {
        m_server->setAnswer(QStringLiteral("{\"code\":200,\"server_time\":%1}").arg(serverTime).toLatin1());
        TS_SynchronizaTion_SynData data;
        return m_http->synData(T_Http_C(), data) == 0 && data.server_time == serverTime;
    };
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QVERIFY(answerWith(0));
    QVERIFY(!HttpUtil::isServerClockSet());
    QVERIFY(answerWith(-5));
    QVERIFY(!HttpUtil::isServerClockSet());
    QVERIFY(answerWith(now - 1000));
    QVERIFY(HttpUtil::isServerClockSet());
    QVERIFY(qAbs(HttpUtil::serverClockOffset() - 1000) <= 2);
    QVERIFY(answerWith(now - 5000));
    QVERIFY(qAbs(HttpUtil::serverClockOffset() - 1000) <= 2);
    QVERIFY(qAbs(HttpUtil::serverTimeNow() - (QDateTime::currentSecsSinceEpoch() - 1000)) <= 2);

    // A server whose clock agrees with ours fixes the offset at 0 for good.
    HttpUtil::resetServerClock();
    QVERIFY(answerWith(QDateTime::currentSecsSinceEpoch()));
    QVERIFY(answerWith(now - 5000));
    QVERIFY(qAbs(HttpUtil::serverClockOffset()) <= 2);
    HttpUtil::resetServerClock();
}

void TestHttp::parseAuthorInfo()
{
    TS_Author_Info info;
    CQuorvinParser::parse(R"({"code":200,"content":{"author_name":"A","headimg":"http://x/h.png","sex":"2",
        "sign":"S","birthday":"2001-02-03","isBindWx":true,"uid":99}})",
                          info);
    QCOMPARE(info.authorName, QString("A"));
    QCOMPARE(info.headImgUrl, QString("http://x/h.png"));
    QCOMPARE(info.sex, QString("2"));
    QCOMPARE(info.sign, QString("S"));
    QCOMPARE(info.birthday, QString("2001-02-03"));
    QCOMPARE(info.isBindWx, 1);
    QCOMPARE(info.uid, 0); // not a key of this answer
    QCOMPARE(info.style, 1);
}

void TestHttp::parseCategoriesRecursively()
{
    TS_Books_Cate cate;
    CQuorvinParser::parse(R"({"code":200,"content":{"version":4,
        "male":[{"cate_id":1,"cate_name":"M","children":[{"cate_id":11,"cate_name":"M1",
            "children":[{"cate_id":111,"cate_name":"M11"}]},{"cate_id":12,"cate_name":"M2"}]}],
        "female":[{"cate_id":2,"cate_name":"F"}, 3]}})",
                          cate);
    QCOMPARE(cate.version, 4);
    QCOMPARE(cate.male.size(), 1);
    QCOMPARE(cate.male.at(0)->children.size(), 2);
    QCOMPARE(cate.male.at(0)->children.at(0)->cateName, QString("M1"));
    QCOMPARE(cate.male.at(0)->children.at(0)->children.at(0)->cateId, 111);
    QCOMPARE(cate.male.at(0)->children.at(1)->children.size(), 0);
    QCOMPARE(cate.female.size(), 1);
    QCOMPARE(cate.female.at(0)->cateId, 2);
}

void TestHttp::parseNameDataIntoMap()
{
    TS_Sensitive_NameData names;
    CQuorvinParser::parse(R"({"code":200,"content":{"version":3,"data":[
        {"type":"1","content":"a"},{"type":"2","content":"b"},{"type":"1","content":"c"},
        {"type":"x","content":"dropped"},{"type":4,"content":"d"}]}})",
                          names);
    QCOMPARE(names.version, 3);
    QCOMPARE(names.data.size(), 3);
    QCOMPARE(names.data.value(1), QString("c")); // the later entry of a type wins
    QCOMPARE(names.data.value(2), QString("b"));
    QCOMPARE(names.data.value(4), QString("d"));
}

void TestHttp::parseTimeMachine()
{
    TS_Chapter_TimeMachine tm;
    CQuorvinParser::parse(R"({"code":200,"content":{
        "origin":{"book_id":8,"chapter_id":6,"content":"now","createTime":100,"word_count":3},
        "blade":[{"id":1,"content":"old","create_time":90,"word_num":2}]}})",
                          tm);
    QCOMPARE(tm.origin.bookId, 8);
    QCOMPARE(tm.origin.chapterId, 6);
    QCOMPARE(tm.origin.content, QString("now"));
    QCOMPARE(tm.origin.createTime, 100);
    QCOMPARE(tm.origin.wordCount, 3);
    QCOMPARE(tm.blade.size(), 1);
    QCOMPARE(tm.blade.at(0)->id, 1);
    QCOMPARE(tm.blade.at(0)->content, QString("old"));
    QCOMPARE(tm.blade.at(0)->createTime, 90);
    QCOMPARE(tm.blade.at(0)->wordNum, 2);
}

void TestHttp::parseListsSkipNonObjects()
{
    TS_Books_List books;
    CQuorvinParser::parse(R"({"code":200,"content":[1,"x",null,
        {"book_id":2,"book_name":"B","cover":"c","word_num":10}]})",
                          books);
    QCOMPARE(books.books.size(), 1);
    QCOMPARE(books.books.at(0)->bookId, 2);
    QCOMPARE(books.books.at(0)->wordNum, 10);

    TS_SynchronizaTion_SynBookData feed;
    CQuorvinParser::parse(R"({"code":200,"content":[
        {"id":5,"book_id":8,"change_type":9,"chapter_id":6,"extra":"{\"a\":1}"},
        {"id":6,"change_type":19,"extra":{"cids":"1,2"}}]})",
                          feed);
    QCOMPARE(feed.items.size(), 2);
    QCOMPARE(feed.items.at(0)->id, 5);
    QCOMPARE(feed.items.at(0)->book_id, 8);
    QCOMPARE(feed.items.at(0)->change_type, 9);
    QCOMPARE(feed.items.at(0)->chapter_id, 6);
    QCOMPARE(feed.items.at(0)->extra, QString("{\"a\":1}"));
    QCOMPARE(feed.items.at(1)->extra, QString("{\"cids\":\"1,2\"}"));

    TS_Chapter_Menu menu;
    CQuorvinParser::parse(R"({"code":200,"content":{"order":"asc","word_num":12,
        "menu":[{"book_id":8,"chapter_id":6,"order_num":1,"chapter_name":"c1"},
                {"chapter_id":7,"status":0}]}})",
                          menu);
    QCOMPARE(menu.order, QString("asc"));
    QCOMPARE(menu.wordNum, 12);
    QCOMPARE(menu.menu.size(), 2);
    QCOMPARE(menu.menu.at(0)->status, 1); // a chapter without a status is live
    QCOMPARE(menu.menu.at(1)->status, 0);

    TS_Chapter_GetChapters chapters;
    CQuorvinParser::parse(R"({"code":200,"content":[{"content":"t","chapter_name":"n","word_count":1,
        "book_id":8,"chapter_id":6,"order_num":2,"status":1,"create_time":3,"update_time":4}]})",
                          chapters);
    QCOMPARE(chapters.chapters.size(), 1);
    QCOMPARE(chapters.chapters.at(0)->chapterName, QString("n"));
    QCOMPARE(chapters.chapters.at(0)->updateTime, 4);
}

void TestHttp::parseBookEditReadsText()
{
    TS_Books_Edit edit;
    CQuorvinParser::parse(R"({"code":200,"content":{"cover":"http://x/c.png","intro":"i",
        "cate_id":5,"book_name":"b","channel_type":"2"}})",
                          edit);
    QCOMPARE(edit.cover, QString("http://x/c.png"));
    QCOMPARE(edit.cateId, QString("5"));
    QCOMPARE(edit.channelType, QString("2"));
    QCOMPARE(edit.bookName, QString("b"));
}

void TestHttp::parseStatistics()
{
    TS_AuthorCount_UserData stats;
    CQuorvinParser::parse(R"({"code":200,"content":{"speedData":[1,2],"timeData":["2024-05-01"],
        "wordData":[3],"writeTimeData":"oops"}})",
                          stats);
    QCOMPARE(stats.speedData, QList<int>({1, 2}));
    QCOMPARE(stats.timeData, QStringList({"2024-05-01"}));
    QCOMPARE(stats.wordData, QList<int>({3}));
    QVERIFY(stats.writeTimeData.isEmpty());

    TS_SynchronizaTion_SynData versions;
    CQuorvinParser::parse(R"({"code":200,"content":{"cateVersion":1,"peopleNameDataVersion":2,
        "sensitiveVersion":3}})",
                          versions);
    QCOMPARE(versions.cateVersion, 1);
    QCOMPARE(versions.peopleNameVersion, 2);
    QCOMPARE(versions.sensitiveVersion, 3);
}

void TestHttp::downloadImage()
{
    const QByteArray png = pngBytes(4, 3);
    m_server->setAnswer(png, 200, "image/png");
    const QString folder = m_app->path() + "/data/img";

    const QString path = m_http->downloadImage(m_server->baseUrl() + "/files/head.png?v=2", folder);
    QCOMPARE(path, QDir(folder).filePath(HttpUtil::md5Hex(png) + ".png"));
    QImage stored(path);
    QCOMPARE(stored.size(), QSize(4, 3));
    QVERIFY(!m_server->requests.last().hasHeader("userdata"));
    QCOMPARE(m_server->requests.last().target, QByteArray("/files/head.png?v=2"));

    // Same bytes, same file; an address without an extension stores ".png".
    QCOMPARE(m_http->downloadImage(m_server->baseUrl() + "/files/head.png", folder), path);
    const QString plain = m_http->downloadImage(m_server->baseUrl() + "/files/head", folder);
    QCOMPARE(plain, path);
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 1);

    // The bytes are kept as they came; an extension that names no image
    // format becomes ".png".
    QCOMPARE(HttpUtil::md5HexOfFile(path), HttpUtil::md5Hex(png));
    const QString jpg = m_http->downloadImage(m_server->baseUrl() + "/files/head.JPG", folder);
    QVERIFY(jpg.endsWith(".JPG"));
    QVERIFY(!QImage(jpg).isNull());
    QCOMPARE(m_http->downloadImage(m_server->baseUrl() + "/files/run.sh", folder), path);
}

void TestHttp::downloadRefusesNonImages()
{
    const QString folder = m_app->path() + "/data/banner";
    m_server->setAnswer("definitely not an image", 200, "image/png");
    QCOMPARE(m_http->downloadImage(m_server->baseUrl() + "/b.png", folder), QString());
    QCOMPARE(m_http->downloadImage(QString(), folder), QString());
    QCOMPARE(m_http->downloadImage("file:///etc/hostname", folder), QString());
    m_server->setAnswer(pngBytes(2, 2), 404, "image/png");
    QCOMPARE(m_http->downloadImage(m_server->baseUrl() + "/missing.png", folder), QString());
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 0);
}

void TestHttp::downloadSendsIdentityOnlyToApiOrigin()
{
    m_http->setToken("secret");
    RecordingServer other;
    QVERIFY(other.start());
    other.setAnswer(pngBytes(2, 2), 200, "image/png");
    m_server->setAnswer(pngBytes(2, 2), 200, "image/png");
    const QString folder = m_app->path() + "/data/img";

    QVERIFY(!m_http->downloadImage(other.baseUrl() + "/a.png", folder).isEmpty());
    QVERIFY(!other.requests.last().hasHeader("token"));
    QVERIFY(!other.requests.last().hasHeader("uniquecode"));
    QVERIFY(!m_http->downloadImage(m_server->baseUrl() + "/a.png", folder).isEmpty());
    QCOMPARE(m_server->requests.last().header("token"), QByteArray("secret"));
}

void TestHttp::imageDataUri()
{
    const QString png = m_app->path() + "/cover.PNG";
    QFile file(png);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(pngBytes(5, 6));
    file.close();

    QString uri;
    QVERIFY(HttpUtil::imageToDataUri(png, uri));
    const QString prefix = "data:image/png;base64,";
    QVERIFY(uri.startsWith(prefix));
    QImage decoded;
    QVERIFY(decoded.loadFromData(QByteArray::fromBase64(uri.mid(prefix.size()).toLatin1()), "PNG"));
    QCOMPARE(decoded.size(), QSize(5, 6));

    QVERIFY(!HttpUtil::imageToDataUri(QString(), uri));
    QVERIFY(uri.isEmpty());
    QVERIFY(!HttpUtil::imageToDataUri(m_app->path() + "/missing.png", uri));
    QVERIFY(uri.isEmpty());
}

void TestHttp::baseUrlFromSettings_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QString>("expected");
    const QString fallback = CQuorvinUrl::defaultBaseUrl();
    QVERIFY(fallback.startsWith("https://"));

    QTest::newRow("missing") << QByteArray("[system]\ndpiScale=1\n") << fallback;
    QTest::newRow("https, trailing slash")
        << QByteArray("[server]\nbaseUrl=https://srv.example/\n") << "https://srv.example";
    QTest::newRow("https with path") << QByteArray("[server]\nbaseUrl=https://srv.example:8443/api/\n")
                                     << "https://srv.example:8443/api";
    QTest::newRow("http on 127.0.0.1")
        << QByteArray("[server]\nbaseUrl=http://127.0.0.1:8080\n") << "http://127.0.0.1:8080";
    QTest::newRow("http on 127.5.6.7")
        << QByteArray("[server]\nbaseUrl=http://127.5.6.7\n") << "http://127.5.6.7";
    QTest::newRow("http on ::1") << QByteArray("[server]\nbaseUrl=http://[::1]:9000\n")
                                 << "http://[::1]:9000";
    QTest::newRow("http on localhost")
        << QByteArray("[server]\nbaseUrl=http://localhost:1\n") << "http://localhost:1";
    QTest::newRow("http on a LAN address")
        << QByteArray("[server]\nbaseUrl=http://192.168.1.5\n") << fallback;
    QTest::newRow("http on a name") << QByteArray("[server]\nbaseUrl=http://srv.example\n") << fallback;
    QTest::newRow("other scheme") << QByteArray("[server]\nbaseUrl=ftp://127.0.0.1\n") << fallback;
    QTest::newRow("with a query") << QByteArray("[server]\nbaseUrl=\"https://srv.example/?a=1\"\n")
                                  << fallback;
    QTest::newRow("not an address") << QByteArray("[server]\nbaseUrl=srv\n") << fallback;
}

void TestHttp::baseUrlFromSettings()
{
    QFETCH(QByteArray, settings);
    QFETCH(QString, expected);
    m_app->writeSettings(settings);
    QCOMPARE(CQuorvinUrl::baseUrlFromSettings(), expected);
}

void TestHttp::setBaseUrlRefusesPlainRemote()
{
    const QString before = m_http->baseUrl();
    QVERIFY(!m_http->setBaseUrl("http://10.0.0.1:8080"));
    QCOMPARE(m_http->baseUrl(), before);
    QCOMPARE(m_http->url(CQuorvinUrl::MemoDetail), before + "/memo/memoDetail");
    QCOMPARE(CQuorvinUrl::table().size(), 46);
    QCOMPARE(CQuorvinUrl::path(17), QString("/books/importBook"));
    QCOMPARE(CQuorvinUrl::path(47), QString());
}

void TestHttp::digestsAndCodes()
{
    QCOMPARE(HttpUtil::passwordDigest("password"), QString("5f4dcc3b5aa765d61d8327deb882cf99"));
    // UTF-8 keeps two different non-Latin-1 passwords apart.
    QCOMPARE(HttpUtil::passwordDigest(QString::fromUtf8("密码")),
             QString("a8105204604a0b11e916f3879aae3b0b"));
    QVERIFY(HttpUtil::passwordDigest(QString::fromUtf8("密码")) !=
            HttpUtil::passwordDigest(QString::fromUtf8("口令")));
    QCOMPARE(HttpUtil::makeUniqueCode(5, 1700000000), QString("f664c7f757e92ea003914080850fcd11"));
    QCOMPARE(HttpUtil::md5HexOfFile(m_app->path() + "/nothing"), QString());
    QCOMPARE(HttpUtil::md5HexOfFile(m_app->path()), QString());
    QCOMPARE(HttpUtil::durationText(3725), QString("01:02:05"));
    QCOMPARE(HttpUtil::durationText(360000), QString("100:00:00"));
}

QUORVIN_TEST_MAIN(TestHttp)
#include "tst_http.moc"
