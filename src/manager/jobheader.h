#pragma once

#include "db/records.h"
#include "remote/thttp.h"

// The routing header of a queued job as the replay sends it: its ids, its
// type, and the mark that the reply goes on with the chain (unless the job
// is sent at once).
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
    header.next = job.chained ? 1 : 0;
    return header;
}

// Sends the stored job `jobId` at once, outside the replay, through its
// owner's replay code: the request carries everything the job holds, so
// its answer may remove the whole job. False when there is no such job or
// the owner sends nothing for it.
template <class Owner, class Db> bool sendStoredJob(Owner *owner, Db *db, int jobId)
{
    T_JobData job;
    if (jobId < 1 || !db->getJob(jobId, job))
        return false;
    job.chained = false;
    return owner->execUserJob(job);
}
