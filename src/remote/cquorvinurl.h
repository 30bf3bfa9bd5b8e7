#pragma once

#include <QMap>
#include <QString>

// The numbered paths of the server and the base address they hang from.
class CQuorvinUrl
{
public:
    enum Endpoint
    {
        AuthorRegister = 1,
        AuthorSendCode = 2,
        AuthorLogin = 3,
        AuthorLogout = 4,
        AuthorInfo = 5,
        AuthorUpdate = 6,
        AuthorUploadImg = 7,
        AuthorEditPass = 8,
        AuthorChangePhone = 9,
        AuthorSetNewPwd = 10,
        BooksAddBook = 11,
        BooksList = 12,
        BooksInfo = 13,
        BooksDelete = 14,
        BooksCate = 15,
        BooksEdit = 16,
        BooksImport = 17,
        ChapterCreate = 18,
        ChapterBatchCreate = 19,
        ChapterRecycle = 20,
        ChapterDel = 21,
        ChapterMenu = 22,
        ChapterChapter = 23,
        ChapterGetChapters = 24,
        ChapterEdit = 25,
        ChapterMove = 26,
        ChapterContentBlade = 27,
        ChapterTimeMachine = 28,
        SensitiveEdit = 29,
        SensitiveGet = 30,
        SensitiveNameData = 31,
        SynData = 32,
        SynBookData = 33,
        SynAuthor = 34,
        AuthorCountSave = 35,
        AuthorCountUserData = 36,
        AuthorDelData = 37,
        AuthorBannerList = 38,
        AuthorWxCodeLogin = 39,
        AuthorPollingWx = 40,
        AuthorWxBindPhone = 41,
        MemoAdd = 42,
        MemoDel = 43,
        MemoEdit = 44,
        MemoDetail = 45,
        MemoList = 46,
    };

    // Number -> path, built once on first use.
    static const QMap<int, QString> &table();
    // The path of an endpoint number, empty for an unknown number.
    static QString path(int number);

    // The compiled-in address used when the settings name none or an unusable one.
    static QString defaultBaseUrl();
    // "baseUrl" of group "server" in the settings file, checked by
    // normaliseBaseUrl; the default (with a warning) when missing or refused.
    static QString baseUrlFromSettings();
    // Accepts an absolute https address, or http only for a loopback host
    // (127.0.0.0/8, ::1, localhost); no query, fragment or user info.
    // Gives the address without trailing slashes in `normalised`.
    static bool normaliseBaseUrl(const QString &url, QString *normalised);
    static bool isLoopbackHost(const QString &host);
};
