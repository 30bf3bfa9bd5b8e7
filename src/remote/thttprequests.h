#pragma once

#include "thttp.h"

#include <QString>

// Request records of the endpoints. Each begins with the routing data of
// T_Http_C, whose bookId, chapterId, memoId, localBookId and localChapterId
// also give the "book_id", "chapter_id", "memo_id" and "local_id" fields.
// An `update_time` of 0 is sent as the current server time.

struct TC_Author_Register : T_Http_C
{
    QString phone;
    QString code;
    QString password; // the password digest (HttpUtil::passwordDigest)
};

struct TC_Author_SendCode : T_Http_C
{
    QString phone;
};

struct TC_Author_Login : T_Http_C
{
    QString phone;
    QString password;       // the password digest
    bool autoLogin = false; // remember the sign-in (not sent)
};

struct TC_Author_Update : T_Http_C
{
    QString authorName;
    QString sex;
    QString sign;
    QString birthday;
    QString phone;
    QString code;
    int update_time = 0;
};

struct TC_Author_UploadImg : T_Http_C
{
    QString img; // the image as a data URI (HttpUtil::imageToDataUri)
    int update_time = 0;
};

// Password reset with an SMS code ("/author/editPass").
struct TC_Author_EditPwd : T_Http_C
{
    QString phone;
    QString code;
    QString password; // the new password's digest
};

// Password change ("/author/setNewPwd").
struct TC_Author_SetNewPwd : T_Http_C
{
    QString oldPwd; // digests
    QString newPwd;
};

struct TC_Author_BannerList : T_Http_C
{
};

struct TC_Author_WxCodeLogin : T_Http_C
{
    QString nonceStr;
};

struct TC_Author_PollingWx : T_Http_C
{
    QString nonceStr;
};

struct TC_Author_WxBindPhone : T_Http_C
{
    QString phone;
    QString code;
};

struct TC_AuthorCount_Save : T_Http_C
{
    int pcWord = 0;
    int writeTime = 0;
    int speed = 0;
    int channel = 0;
    int update_time = 0;
    QString date; // "yyyy-MM-dd"
};

struct TC_AuthorCount_UserData : T_Http_C
{
    int channel = 0;
};

struct TC_Books_AddBook : T_Http_C
{
    QString bookName;
    int cateId = 0;
    int cateFid = 0;
    int channelType = 0;
    QString intro;
    QString localCover;
    QString filePath;        // the text file of a book import
    bool fromImport = false; // made by a book import (no first chapter, sent later)
    int createTime = 0;
    int update_time = 0;
};

struct TC_Books_Delete : T_Http_C
{
    int update_time = 0;
};

struct TC_Books_Edit : T_Http_C
{
    QString bookName;
    QString intro;
    int channelType = 0;
    int cateId = 0;
    int cateFid = 0;    // kept locally, not sent
    QString localCover; // the cover file chosen locally
    QString cover;      // data URI of a new cover, empty when unchanged
    int update_time = 0;
};

struct TC_Chapter_Create : T_Http_C
{
    QString chapterName;
    int update_time = 0; // creation time plus the order number
    int order_num = 0;
};

struct TC_Chapter_BatchCreate : T_Http_C
{
    QString list; // compact JSON array of the chapters
    int update_time = 0;
};

struct TC_Chapter_Recycle : T_Http_C
{
    int status = 0; // the status the chapter is to take
    int update_time = 0;
};

struct TC_Chapter_Del : T_Http_C
{
    int update_time = 0;
};

struct TC_Chapter_Menu : T_Http_C
{
    QString order = QStringLiteral("asc"); // "asc" or "desc"
};

struct TC_Chapter_GetChapters : T_Http_C
{
    int orderNum = 0;
    int limit = 0;
    QString cIds; // comma-separated server chapter ids
};

// "/chapter/editChapter": name and content, content only, or name only.
struct TC_Chapter_Edit : T_Http_C
{
    QString chapterName;
    QString content;
    int update_time = 0;
};

struct TC_Chapter_Move : T_Http_C
{
    int direction = 0;
    int update_time = 0;
};

struct TC_Chapter_ContentBlade : T_Http_C
{
    QString content;
    QString chapterName;
    int createTime = 0; // the snapshot's time
    int update_time = 0;
};

struct TC_Sensitive_Edit : T_Http_C
{
    QString words;
    int update_time = 0;
};

struct TC_Sensitive_Get : T_Http_C
{
    int sensitiveType = 0; // 1 common words, 2 the author's own
};

struct TC_SynchronizaTion_SynAuthor : T_Http_C
{
    int taskId = 0;
    int synType = 0;
};

struct TC_Memo_Add : T_Http_C
{
    QString content;
    QString color;
    int update_time = 0;
};

struct TC_Memo_Del : T_Http_C
{
    int update_time = 0;
};

// "/memo/editMemo": what is sent depends on jobType (39 colour, 40 content,
// 41 placement, 42 the folded edit job).
struct TC_Memo_Edit : T_Http_C
{
    QString color;
    QString content;
    QString location;
    bool contentChanged = false;
    bool locationChanged = false;
    int update_time = 0;
};
