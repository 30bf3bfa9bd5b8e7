#pragma once

#include "db/records.h"
#include "remote/thttp.h"

// The routing header of a queued job as the replay sends it: its ids, its
// type, and the mark that the reply goes on with the chain.
inline T_Http_C jobHeader(const T_JobData &job)
{
    T_Http_C header;
    header.uid = job.uid;
    header.jobId = job.jobId;
    header.jobType = job.jobType;
    header.localBookId = job.localBookId;
    header.bookId = job.bookId;
    header.localChapterId = job.localChapterId;
    header.chapterId = job.chapterId;
    header.localMemoId = job.localMemoId;
    header.memoId = job.memoId;
    header.next = 1;
    return header;
}
