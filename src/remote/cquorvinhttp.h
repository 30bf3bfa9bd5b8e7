#pragma once

#include "chttpbase.h"
#include "thttp.h"
#include "thttprequests.h"
#include "thttpresponses.h"

#include <functional>

// The server's API: one method per endpoint and kind. Synchronous methods
// return the network error (0: an answer arrived and was read into the
// response record, 401: time-out) and fill the response record; methods
// ending in "Asyn" return at once and the reply reaches the coordinator
// through sigGetAsynData (CQuorvinParser reads it there).
// Every method but logout and author info sends "unique_code" first when
// an author's unique code is set.
class CQuorvinHttp : public CHttpBase
{
    Q_OBJECT
public:
    static CQuorvinHttp *instance();

    // The base address: set from the settings file when the object is made;
    // the setter takes the same addresses (https, or http on loopback) and
    // returns false, changing nothing, for any other.
    QString baseUrl() const { return m_baseUrl; }
    bool setBaseUrl(const QString &url);
    void reloadBaseUrl(); // from the settings file again

    // The signed-in author's unique code: header "uniquecode" and form
    // field "unique_code".
    void setUniqueCode(const QString &uniqueCode);
    QString uniqueCode() const { return m_uniqueCode; }
    // Forgets token and unique code (after a logout).
    void clearIdentity();

    QString url(int endpoint) const;

    // Consulted before each asynchronous request goes out; when it answers
    // false the request is not sent. The coordinator keeps two requests about
    // one queued job or one object from travelling at the same time with it.
    using SendGate = std::function<bool(const T_Http_C &req)>;
    void setSendGate(SendGate gate) { m_sendGate = std::move(gate); }
    SendGate sendGate() const { return m_sendGate; }

    // Account
    int authorRegister(const TC_Author_Register &req, TS_Author_Register &res);          // 1
    int authorSendCode(const TC_Author_SendCode &req, TS_Author_SendCode &res);          // 2
    int authorLogin(const TC_Author_Login &req, TS_Author_Login &res);                   // 3
    int authorLogout(const T_Http_C &req, TS_Author_Logout &res);                        // 4
    int authorInfo(const T_Http_C &req, TS_Author_Info &res);                            // 5
    void authorInfoAsyn(const T_Http_C &req);                                            // 5
    int authorUpdate(const TC_Author_Update &req, TS_Author_Update &res);                // 6
    int authorUploadImg(const TC_Author_UploadImg &req, TS_Author_UploadImg &res);       // 7
    int authorEditPwd(const TC_Author_EditPwd &req, TS_Author_EditPwd &res);             // 8
    int authorSetNewPwd(const TC_Author_SetNewPwd &req, T_Http_S &res);                  // 10
    int authorDelData(const T_Http_C &req, T_Http_S &res);                               // 37
    int authorBannerList(const TC_Author_BannerList &req, TS_Author_BannerList &res);    // 38
    int authorWxCodeLogin(const TC_Author_WxCodeLogin &req, TS_Author_WxCodeLogin &res); // 39
    void authorPollingWxAsyn(const TC_Author_PollingWx &req);                            // 40
    int authorWxBindPhone(const TC_Author_WxBindPhone &req, TS_Author_Login &res);       // 41

    // Statistics
    int authorCountSave(const TC_AuthorCount_Save &req, TS_AuthorCount_Save &res); // 35
    void authorCountSaveAsyn(const TC_AuthorCount_Save &req);                      // 35
    int authorCountUserData(const T_Http_C &req, TS_AuthorCount_UserData &res);    // 36
    void authorCountUserDataAsyn(const TC_AuthorCount_UserData &req);              // 36

    // Books
    void booksAddBookAsyn(const TC_Books_AddBook &req);     // 11
    int booksList(const T_Http_C &req, TS_Books_List &res); // 12
    void booksInfoAsyn(const T_Http_C &req);                // 13
    void booksDeleteAsyn(const TC_Books_Delete &req);       // 14
    void booksCateAsyn(const T_Http_C &req);                // 15
    void booksEditAsyn(const TC_Books_Edit &req);           // 16

    // Chapters
    void chapterCreateAsyn(const TC_Chapter_Create &req);                     // 18
    void chapterBatchCreateAsyn(const TC_Chapter_BatchCreate &req);           // 19
    void chapterRecycleAsyn(const TC_Chapter_Recycle &req);                   // 20
    void chapterDelAsyn(const TC_Chapter_Del &req);                           // 21
    int chapterMenu(const TC_Chapter_Menu &req, TS_Chapter_Menu &res);        // 22
    void chapterMenuAsyn(const TC_Chapter_Menu &req);                         // 22
    int chapterChapter(const T_Http_C &req, TS_Chapter_Chapter &res);         // 23
    void chapterChapterAsyn(const T_Http_C &req);                             // 23
    void chapterGetChaptersAsyn(const TC_Chapter_GetChapters &req);           // 24
    void chapterEditAsyn(const TC_Chapter_Edit &req);                         // 25 (a) name and content
    void chapterEditContentAsyn(const TC_Chapter_Edit &req);                  // 25 (b) content only
    void chapterEditNameAsyn(const TC_Chapter_Edit &req);                     // 25 (c) name only
    void chapterMoveAsyn(const TC_Chapter_Move &req);                         // 26
    void chapterContentBladeAsyn(const TC_Chapter_ContentBlade &req);         // 27
    int chapterTimeMachine(const T_Http_C &req, TS_Chapter_TimeMachine &res); // 28
    void chapterTimeMachineAsyn(const T_Http_C &req);                         // 28

    // Sensitive words and names
    int sensitiveEdit(const TC_Sensitive_Edit &req, TS_Sensitive_Edit &res); // 29
    void sensitiveEditAsyn(const TC_Sensitive_Edit &req);                    // 29
    int sensitiveGet(const T_Http_C &req, TS_Sensitive_Get &res);            // 30
    void sensitiveGetAsyn(const TC_Sensitive_Get &req);                      // 30
    int sensitiveNameData(const T_Http_C &req, TS_Sensitive_NameData &res);  // 31
    void sensitiveNameDataAsyn(const T_Http_C &req);                         // 31

    // Synchronisation
    int synData(const T_Http_C &req, TS_SynchronizaTion_SynData &res);         // 32
    void synDataAsyn(const T_Http_C &req);                                     // 32
    int synBookData(const T_Http_C &req, TS_SynchronizaTion_SynBookData &res); // 33
    void synBookDataAsyn(const T_Http_C &req);                                 // 33
    void synAuthorAsyn(const TC_SynchronizaTion_SynAuthor &req);               // 34

    // Memos
    void memoAddAsyn(const TC_Memo_Add &req);   // 42
    void memoDelAsyn(const TC_Memo_Del &req);   // 43
    void memoEditAsyn(const TC_Memo_Edit &req); // 44
    void memoDetailAsyn(const T_Http_C &req);   // 45

protected:
    QString identityBaseUrl() const override { return m_baseUrl; }

private:
    explicit CQuorvinHttp(QObject *parent = nullptr);

    // Starts a parameter string: cleared, then "unique_code" when set.
    void begin();
    void beginWithoutIdentity();
    void txt(const char *key, const QString &value);     // encoded, left out when empty
    void txtKeep(const char *key, const QString &value); // encoded, sent even when empty
    void num(const char *key, qint64 value);             // left out when 0
    void numKeep(const char *key, qint64 value);         // sent even when 0
    void updateTime(int requested);                      // "update_time"

    template <class Response> int sendGet(int endpoint, const T_Http_C &req, Response &res);
    template <class Response> int sendPost(int endpoint, const T_Http_C &req, Response &res);
    template <class Response> int finish(int error, const QByteArray &body, Response &res);
    void sendGetAsyn(int endpoint, const T_Http_C &req);
    void sendPostAsyn(int endpoint, const T_Http_C &req);

    QString m_baseUrl;
    QString m_uniqueCode;
    SendGate m_sendGate;
};
