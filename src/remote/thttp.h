#pragma once

#include <QString>

// The routing data that begins every request record and travels as the
// "userdata" header; the server echoes it back with the answer.
struct T_Http_C
{
    int localBookId = 0;
    int bookId = 0;
    int localChapterId = 0;
    int chapterId = 0;
    int jobId = 0;   // tb_job row being replayed, 0 for a plain call
    int jobType = 0; // routing type, 0 for a plain call
    int next = 0;    // 1: take the next job once this reply is handled
    int uid = 0;
    int synStep = 0; // 1: made while applying one server change
    int localMemoId = 0;
    int memoId = 0;
};

// The response envelope that begins every response record.
struct T_Http_S
{
    int code = 0;
    QString msg;
    int server_time = 0;
    T_Http_C userdata;
};

// The signed-in author (also the first part of the session record).
struct TS_Author_Info : T_Http_S
{
    QString authorName;
    QString sex;
    QString sign;
    QString birthday;
    int isBindWx = 0;
    int uid = 0;
    QString headImgUrl;
    QString localHeadImg;
    int lastLoginTime = 0;
    QString token;
    QString uniqueCode;
    int style = 1;
    int windowSize = 0;
};

// Versions of the reference data, as read from tb_sys or from the server.
struct TS_SynchronizaTion_SynData : T_Http_S
{
    int cateVersion = 0;
    int sensitiveVersion = 0;
    int peopleNameVersion = 0;
    int maleCateCount = 0;
    int femaleCateCount = 0;
};
