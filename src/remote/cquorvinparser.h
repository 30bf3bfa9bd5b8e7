#pragma once

#include "thttp.h"
#include "thttpresponses.h"

#include <QByteArray>
#include <QJsonObject>

// Reads answers of the server into response records: the envelope ("code",
// "msg", "server_time", the echoed "userdata") and the payload of "content".
// Only the listed keys are read, each only when present with the JSON type
// it should have; anything else leaves the field at its default. A body
// that is not a JSON object reads as an empty object (code stays 0).
// Used by the synchronous endpoint methods and by the managers that receive
// the asynchronous replies. The server clock is not touched here.
class CQuorvinParser
{
public:
    // The envelope alone; returns the document's root object.
    static QJsonObject envelope(const QByteArray &body, T_Http_S &out);

    static void parse(const QByteArray &body, T_Http_S &out); // envelope, no payload
    static void parse(const QByteArray &body, TS_Author_Register &out);
    static void parse(const QByteArray &body, TS_Author_Login &out);
    static void parse(const QByteArray &body, TS_Author_Info &out);
    static void parse(const QByteArray &body, TS_Author_Update &out);
    static void parse(const QByteArray &body, TS_Author_UploadImg &out);
    static void parse(const QByteArray &body, TS_Author_BannerList &out);
    static void parse(const QByteArray &body, TS_Author_WxCodeLogin &out);
    static void parse(const QByteArray &body, TS_Author_PollingWx &out); // and TS_Author_PollingBindWx
    static void parse(const QByteArray &body, TS_AuthorCount_UserData &out);
    static void parse(const QByteArray &body, TS_Books_AddBook &out);
    static void parse(const QByteArray &body, TS_Books_List &out);
    static void parse(const QByteArray &body, TS_Books_Info &out);
    static void parse(const QByteArray &body, TS_Books_Cate &out);
    static void parse(const QByteArray &body, TS_Books_Edit &out);
    static void parse(const QByteArray &body, TS_Chapter_Create &out);
    static void parse(const QByteArray &body, TS_Chapter_BatchCreate &out);
    static void parse(const QByteArray &body, TS_Chapter_Menu &out);
    static void parse(const QByteArray &body, TS_Chapter_Chapter &out);
    static void parse(const QByteArray &body, TS_Chapter_GetChapters &out);
    static void parse(const QByteArray &body, TS_Chapter_TimeMachine &out);
    static void parse(const QByteArray &body, TS_Sensitive_Get &out);
    static void parse(const QByteArray &body, TS_Sensitive_NameData &out);
    static void parse(const QByteArray &body, TS_SynchronizaTion_SynData &out);
    static void parse(const QByteArray &body, TS_SynchronizaTion_SynBookData &out);
    static void parse(const QByteArray &body, TS_Memo_Add &out);
    static void parse(const QByteArray &body, TS_Memo_Detail &out);
};
