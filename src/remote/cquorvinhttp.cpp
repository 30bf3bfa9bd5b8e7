#include "cquorvinhttp.h"

#include "chttputil.h"
#include "cquorvinparser.h"
#include "cquorvinurl.h"

#include <QtDebug>

CQuorvinHttp *CQuorvinHttp::instance()
{
    static CQuorvinHttp *http = new CQuorvinHttp();
    return http;
}

CQuorvinHttp::CQuorvinHttp(QObject *parent) : CHttpBase(parent), m_baseUrl(CQuorvinUrl::baseUrlFromSettings())
{
}

bool CQuorvinHttp::setBaseUrl(const QString &url)
{
    QString normalised;
    if (!CQuorvinUrl::normaliseBaseUrl(url, &normalised)) {
        qWarning() << "server address refused:" << url;
        return false;
    }
    m_baseUrl = normalised;
    return true;
}

void CQuorvinHttp::reloadBaseUrl()
{
    m_baseUrl = CQuorvinUrl::baseUrlFromSettings();
}

void CQuorvinHttp::setUniqueCode(const QString &uniqueCode)
{
    m_uniqueCode = uniqueCode;
    setUniqueCodeHeader(uniqueCode);
}

void CQuorvinHttp::clearIdentity()
{
    m_uniqueCode.clear();
    clearHeaders();
}

QString CQuorvinHttp::url(int endpoint) const
{
    return m_baseUrl + CQuorvinUrl::path(endpoint);
}

void CQuorvinHttp::beginWithoutIdentity()
{
    params().clear();
}

void CQuorvinHttp::begin()
{
    params().clear();
    txt("unique_code", m_uniqueCode);
}

void CQuorvinHttp::txt(const char *key, const QString &value)
{
    HttpUtil::addTextParam(params(), QLatin1String(key), value, true, false);
}

void CQuorvinHttp::txtKeep(const char *key, const QString &value)
{
    HttpUtil::addTextParam(params(), QLatin1String(key), value, true, true);
}

void CQuorvinHttp::num(const char *key, qint64 value)
{
    HttpUtil::addIntParam(params(), QLatin1String(key), value, false);
}

void CQuorvinHttp::numKeep(const char *key, qint64 value)
{
    HttpUtil::addIntParam(params(), QLatin1String(key), value, true);
}

void CQuorvinHttp::updateTime(int requested)
{
    num("update_time", requested > 0 ? requested : HttpUtil::serverTimeNow());
}

template <class Response> int CQuorvinHttp::finish(int error, const QByteArray &body, Response &res)
{
    if (error != 0)
        return error;
    CQuorvinParser::parse(body, res);
    HttpUtil::setServerClock(res.server_time);
    return error;
}

template <class Response> int CQuorvinHttp::sendGet(int endpoint, const T_Http_C &req, Response &res)
{
    QByteArray body;
    const int error = getSyn(url(endpoint), params(), body, HttpUtil::userdataHeader(req));
    return finish(error, body, res);
}

template <class Response> int CQuorvinHttp::sendPost(int endpoint, const T_Http_C &req, Response &res)
{
    QByteArray body;
    const int error = postSyn(url(endpoint), params(), body, HttpUtil::userdataHeader(req));
    return finish(error, body, res);
}

void CQuorvinHttp::sendGetAsyn(int endpoint, const T_Http_C &req)
{
    if (m_sendGate && !m_sendGate(req))
        return;
    getAsyn(url(endpoint), params(), HttpUtil::userdataHeader(req));
}

void CQuorvinHttp::sendPostAsyn(int endpoint, const T_Http_C &req)
{
    if (m_sendGate && !m_sendGate(req))
        return;
    postAsyn(url(endpoint), params(), HttpUtil::userdataHeader(req));
}

// ---- Account ----

int CQuorvinHttp::authorRegister(const TC_Author_Register &req, TS_Author_Register &res)
{
    begin();
    txt("phone", req.phone);
    txt("code", req.code);
    txt("password", req.password);
    return sendPost(CQuorvinUrl::AuthorRegister, req, res);
}

int CQuorvinHttp::authorSendCode(const TC_Author_SendCode &req, TS_Author_SendCode &res)
{
    begin();
    txt("phone", req.phone);
    return sendPost(CQuorvinUrl::AuthorSendCode, req, res);
}

int CQuorvinHttp::authorLogin(const TC_Author_Login &req, TS_Author_Login &res)
{
    begin();
    txt("phone", req.phone);
    txt("password", req.password);
    return sendPost(CQuorvinUrl::AuthorLogin, req, res);
}

int CQuorvinHttp::authorLogout(const T_Http_C &req, TS_Author_Logout &res)
{
    beginWithoutIdentity();
    return sendPost(CQuorvinUrl::AuthorLogout, req, res);
}

int CQuorvinHttp::authorInfo(const T_Http_C &req, TS_Author_Info &res)
{
    beginWithoutIdentity();
    return sendGet(CQuorvinUrl::AuthorInfo, req, res);
}

void CQuorvinHttp::authorInfoAsyn(const T_Http_C &req)
{
    beginWithoutIdentity();
    sendGetAsyn(CQuorvinUrl::AuthorInfo, req);
}

int CQuorvinHttp::authorUpdate(const TC_Author_Update &req, TS_Author_Update &res)
{
    begin();
    txt("author_name", req.authorName);
    txt("sex", req.sex);
    txt("sign", req.sign);
    txt("birthday", req.birthday);
    txt("phone", req.phone);
    txt("code", req.code);
    updateTime(req.update_time);
    return sendPost(CQuorvinUrl::AuthorUpdate, req, res);
}

int CQuorvinHttp::authorUploadImg(const TC_Author_UploadImg &req, TS_Author_UploadImg &res)
{
    begin();
    // Percent-encoded although the value is plain ASCII: the "+" of Base64
    // would otherwise reach the server's form decoder as a blank.
    txt("img", req.img);
    updateTime(req.update_time);
    return sendPost(CQuorvinUrl::AuthorUploadImg, req, res);
}

int CQuorvinHttp::authorEditPwd(const TC_Author_EditPwd &req, TS_Author_EditPwd &res)
{
    begin();
    txt("phone", req.phone);
    txt("code", req.code);
    txt("password", req.password);
    return sendPost(CQuorvinUrl::AuthorEditPass, req, res);
}

int CQuorvinHttp::authorSetNewPwd(const TC_Author_SetNewPwd &req, T_Http_S &res)
{
    begin();
    txt("old_pwd", req.oldPwd);
    txt("new_pwd", req.newPwd);
    return sendPost(CQuorvinUrl::AuthorSetNewPwd, req, res);
}

int CQuorvinHttp::authorDelData(const T_Http_C &req, T_Http_S &res)
{
    begin();
    return sendPost(CQuorvinUrl::AuthorDelData, req, res);
}

int CQuorvinHttp::authorBannerList(const TC_Author_BannerList &req, TS_Author_BannerList &res)
{
    begin();
    return sendGet(CQuorvinUrl::AuthorBannerList, req, res);
}

int CQuorvinHttp::authorWxCodeLogin(const TC_Author_WxCodeLogin &req, TS_Author_WxCodeLogin &res)
{
    begin();
    txt("nonce_str", req.nonceStr);
    return sendPost(CQuorvinUrl::AuthorWxCodeLogin, req, res);
}

void CQuorvinHttp::authorPollingWxAsyn(const TC_Author_PollingWx &req)
{
    begin();
    txt("nonce_str", req.nonceStr);
    sendGetAsyn(CQuorvinUrl::AuthorPollingWx, req);
}

int CQuorvinHttp::authorWxBindPhone(const TC_Author_WxBindPhone &req, TS_Author_Login &res)
{
    begin();
    txt("phone", req.phone);
    txt("code", req.code);
    return sendPost(CQuorvinUrl::AuthorWxBindPhone, req, res);
}

// ---- Statistics ----

int CQuorvinHttp::authorCountSave(const TC_AuthorCount_Save &req, TS_AuthorCount_Save &res)
{
    begin();
    num("pc_word", req.pcWord);
    num("write_time", req.writeTime);
    num("speed", req.speed);
    return sendPost(CQuorvinUrl::AuthorCountSave, req, res);
}

void CQuorvinHttp::authorCountSaveAsyn(const TC_AuthorCount_Save &req)
{
    begin();
    numKeep("pc_word", req.pcWord);
    numKeep("write_time", req.writeTime);
    numKeep("speed", req.speed);
    num("channel", req.channel);
    updateTime(req.update_time);
    txt("date", req.date);
    sendPostAsyn(CQuorvinUrl::AuthorCountSave, req);
}

int CQuorvinHttp::authorCountUserData(const T_Http_C &req, TS_AuthorCount_UserData &res)
{
    begin();
    return sendPost(CQuorvinUrl::AuthorCountUserData, req, res);
}

void CQuorvinHttp::authorCountUserDataAsyn(const TC_AuthorCount_UserData &req)
{
    begin();
    numKeep("channel", req.channel);
    sendGetAsyn(CQuorvinUrl::AuthorCountUserData, req);
}

// ---- Books ----

void CQuorvinHttp::booksAddBookAsyn(const TC_Books_AddBook &req)
{
    begin();
    txt("book_name", req.bookName);
    num("local_id", req.localBookId);
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::BooksAddBook, req);
}

int CQuorvinHttp::booksList(const T_Http_C &req, TS_Books_List &res)
{
    begin();
    return sendGet(CQuorvinUrl::BooksList, req, res);
}

void CQuorvinHttp::booksInfoAsyn(const T_Http_C &req)
{
    begin();
    num("book_id", req.bookId);
    sendGetAsyn(CQuorvinUrl::BooksInfo, req);
}

void CQuorvinHttp::booksDeleteAsyn(const TC_Books_Delete &req)
{
    begin();
    num("book_id", req.bookId);
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::BooksDelete, req);
}

void CQuorvinHttp::booksCateAsyn(const T_Http_C &req)
{
    begin();
    sendGetAsyn(CQuorvinUrl::BooksCate, req);
}

void CQuorvinHttp::booksEditAsyn(const TC_Books_Edit &req)
{
    begin();
    num("book_id", req.bookId);
    txt("book_name", req.bookName);
    txt("intro", req.intro);
    num("channel_type", req.channelType);
    num("cate_id", req.cateId);
    txt("cover", req.cover); // data URI, percent-encoded as for "img"
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::BooksEdit, req);
}

// ---- Chapters ----

void CQuorvinHttp::chapterCreateAsyn(const TC_Chapter_Create &req)
{
    begin();
    num("book_id", req.bookId);
    num("local_id", req.localChapterId);
    txt("chapter_name", req.chapterName);
    updateTime(req.update_time);
    num("order_num", req.order_num);
    sendPostAsyn(CQuorvinUrl::ChapterCreate, req);
}

void CQuorvinHttp::chapterBatchCreateAsyn(const TC_Chapter_BatchCreate &req)
{
    begin();
    num("book_id", req.bookId);
    txt("list", req.list);
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::ChapterBatchCreate, req);
}

void CQuorvinHttp::chapterRecycleAsyn(const TC_Chapter_Recycle &req)
{
    begin();
    num("book_id", req.bookId);
    num("chapter_id", req.chapterId);
    numKeep("status", req.status); // 0 (into the recycle bin) must reach the server too
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::ChapterRecycle, req);
}

void CQuorvinHttp::chapterDelAsyn(const TC_Chapter_Del &req)
{
    begin();
    num("book_id", req.bookId);
    num("chapter_id", req.chapterId);
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::ChapterDel, req);
}

int CQuorvinHttp::chapterMenu(const TC_Chapter_Menu &req, TS_Chapter_Menu &res)
{
    begin();
    num("book_id", req.bookId);
    txt("order", req.order);
    return sendGet(CQuorvinUrl::ChapterMenu, req, res);
}

void CQuorvinHttp::chapterMenuAsyn(const TC_Chapter_Menu &req)
{
    begin();
    num("book_id", req.bookId);
    txt("order", req.order);
    sendGetAsyn(CQuorvinUrl::ChapterMenu, req);
}

int CQuorvinHttp::chapterChapter(const T_Http_C &req, TS_Chapter_Chapter &res)
{
    begin();
    num("book_id", req.bookId);
    num("chapter_id", req.chapterId);
    return sendGet(CQuorvinUrl::ChapterChapter, req, res);
}

void CQuorvinHttp::chapterChapterAsyn(const T_Http_C &req)
{
    begin();
    num("book_id", req.bookId);
    num("chapter_id", req.chapterId);
    sendGetAsyn(CQuorvinUrl::ChapterChapter, req);
}

void CQuorvinHttp::chapterGetChaptersAsyn(const TC_Chapter_GetChapters &req)
{
    begin();
    num("book_id", req.bookId);
    num("order_num", req.orderNum);
    num("limit", req.limit);
    txt("c_ids", req.cIds);
    sendGetAsyn(CQuorvinUrl::ChapterGetChapters, req);
}

void CQuorvinHttp::chapterEditAsyn(const TC_Chapter_Edit &req)
{
    begin();
    num("book_id", req.bookId);
    num("chapter_id", req.chapterId);
    updateTime(req.update_time);
    txt("chapter_name", req.chapterName);
    txtKeep("content", req.content);
    sendPostAsyn(CQuorvinUrl::ChapterEdit, req);
}

void CQuorvinHttp::chapterEditContentAsyn(const TC_Chapter_Edit &req)
{
    begin();
    num("book_id", req.bookId);
    num("chapter_id", req.chapterId);
    txtKeep("content", req.content);
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::ChapterEdit, req);
}

void CQuorvinHttp::chapterEditNameAsyn(const TC_Chapter_Edit &req)
{
    begin();
    num("book_id", req.bookId);
    num("chapter_id", req.chapterId);
    txtKeep("chapter_name", req.chapterName);
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::ChapterEdit, req);
}

void CQuorvinHttp::chapterMoveAsyn(const TC_Chapter_Move &req)
{
    begin();
    num("book_id", req.bookId);
    num("chapter_id", req.chapterId);
    num("direction", req.direction);
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::ChapterMove, req);
}

void CQuorvinHttp::chapterContentBladeAsyn(const TC_Chapter_ContentBlade &req)
{
    begin();
    num("book_id", req.bookId);
    num("chapter_id", req.chapterId);
    txtKeep("content", req.content);
    txtKeep("chapter_name", req.chapterName);
    num("create_time", req.createTime);
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::ChapterContentBlade, req);
}

int CQuorvinHttp::chapterTimeMachine(const T_Http_C &req, TS_Chapter_TimeMachine &res)
{
    begin();
    num("book_id", req.bookId);
    num("chapter_id", req.chapterId);
    return sendGet(CQuorvinUrl::ChapterTimeMachine, req, res);
}

void CQuorvinHttp::chapterTimeMachineAsyn(const T_Http_C &req)
{
    begin();
    num("book_id", req.bookId);
    num("chapter_id", req.chapterId);
    sendGetAsyn(CQuorvinUrl::ChapterTimeMachine, req);
}

// ---- Sensitive words and names ----

int CQuorvinHttp::sensitiveEdit(const TC_Sensitive_Edit &req, TS_Sensitive_Edit &res)
{
    begin();
    txtKeep("words", req.words);
    updateTime(req.update_time);
    return sendPost(CQuorvinUrl::SensitiveEdit, req, res);
}

void CQuorvinHttp::sensitiveEditAsyn(const TC_Sensitive_Edit &req)
{
    begin();
    txtKeep("words", req.words);
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::SensitiveEdit, req);
}

int CQuorvinHttp::sensitiveGet(const T_Http_C &req, TS_Sensitive_Get &res)
{
    begin();
    return sendPost(CQuorvinUrl::SensitiveGet, req, res);
}

void CQuorvinHttp::sensitiveGetAsyn(const TC_Sensitive_Get &req)
{
    begin();
    num("sensitive_type", req.sensitiveType);
    sendGetAsyn(CQuorvinUrl::SensitiveGet, req);
}

int CQuorvinHttp::sensitiveNameData(const T_Http_C &req, TS_Sensitive_NameData &res)
{
    begin();
    return sendGet(CQuorvinUrl::SensitiveNameData, req, res);
}

void CQuorvinHttp::sensitiveNameDataAsyn(const T_Http_C &req)
{
    begin();
    sendGetAsyn(CQuorvinUrl::SensitiveNameData, req);
}

// ---- Synchronisation ----

int CQuorvinHttp::synData(const T_Http_C &req, TS_SynchronizaTion_SynData &res)
{
    begin();
    return sendGet(CQuorvinUrl::SynData, req, res);
}

void CQuorvinHttp::synDataAsyn(const T_Http_C &req)
{
    begin();
    sendGetAsyn(CQuorvinUrl::SynData, req);
}

int CQuorvinHttp::synBookData(const T_Http_C &req, TS_SynchronizaTion_SynBookData &res)
{
    begin();
    return sendPost(CQuorvinUrl::SynBookData, req, res);
}

void CQuorvinHttp::synBookDataAsyn(const T_Http_C &req)
{
    begin();
    sendPostAsyn(CQuorvinUrl::SynBookData, req);
}

void CQuorvinHttp::synAuthorAsyn(const TC_SynchronizaTion_SynAuthor &req)
{
    begin();
    num("task_id", req.taskId);
    num("syn_type", req.synType);
    sendPostAsyn(CQuorvinUrl::SynAuthor, req);
}

// ---- Memos ----

void CQuorvinHttp::memoAddAsyn(const TC_Memo_Add &req)
{
    begin();
    txt("content", req.content);
    txt("color", req.color);
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::MemoAdd, req);
}

void CQuorvinHttp::memoDelAsyn(const TC_Memo_Del &req)
{
    begin();
    updateTime(req.update_time);
    num("memo_id", req.memoId);
    sendPostAsyn(CQuorvinUrl::MemoDel, req);
}

void CQuorvinHttp::memoEditAsyn(const TC_Memo_Edit &req)
{
    begin();
    num("memo_id", req.memoId);
    const bool colour = req.jobType == 39;
    const bool content = req.jobType == 40;
    const bool location = req.jobType == 41;
    if (colour) {
        txt("color", req.color);
    } else if (content) {
        txtKeep("content", req.content);
    } else if (!location) {
        // The folded edit (42): whatever the queued changes touched.
        txt("color", req.color);
        if (!req.content.isEmpty() || req.contentChanged)
            txtKeep("content", req.content);
    }
    if (location || (!colour && !content && req.locationChanged)) {
        numKeep("book_id", req.bookId);
        numKeep("chapter_id", req.chapterId);
        txtKeep("location", req.location);
    }
    updateTime(req.update_time);
    sendPostAsyn(CQuorvinUrl::MemoEdit, req);
}

void CQuorvinHttp::memoDetailAsyn(const T_Http_C &req)
{
    begin();
    num("memo_id", req.memoId);
    sendGetAsyn(CQuorvinUrl::MemoDetail, req);
}
