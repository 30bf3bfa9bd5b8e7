-- The local store of the client. The program never creates or alters a
-- table: this file is the whole contract with the shipped wrt.db.
-- Text columns start empty rather than null, counters and ids at 0.

-- Pages freed by rewriting a chapter are reused by the next save instead of
-- being moved to the end of the file and cut off at every commit.
PRAGMA auto_vacuum = NONE;

-- The version of this contract; a program refuses a file of a higher one.
PRAGMA user_version = 1;

-- The one row of the last sign-in and the versions of the reference data.
create table tb_sys (
    lastUid integer not null default 0,
    lastLoginTime integer not null default 0,
    cateVersion integer not null default 0,
    sensitiveVersion integer not null default 0,
    peopleNameVersion integer not null default 0,
    maleCateCount integer not null default 0,
    femaleCateCount integer not null default 0
);
insert into tb_sys(lastUid, lastLoginTime, cateVersion, sensitiveVersion, peopleNameVersion, maleCateCount, femaleCateCount)
values (0, 0, 0, 0, 0, 0, 0);

create table tb_user (
    uid integer not null default 0,
    authorName text not null default '',
    sex text not null default '',
    sign text not null default '',
    birthday text not null default '',
    isBindWx integer not null default 0,
    headImgUrl text not null default '',
    localHeadImg text not null default '',
    token text not null default '',
    uniqueCode text not null default '',
    style integer not null default 1,
    windowSize integer not null default 0
);
create index idx_user_uid on tb_user(uid);

create table tb_system_conf (
    uid integer not null default 0,
    isAutoOpen integer not null default 0,
    isShowMsgPt integer not null default 1,
    isRecvMsg integer not null default 1,
    isTray integer not null default 0,
    isSound integer not null default 1,
    hideKey text not null default 'Ctrl+Shift+N',
    isAutoUpdate integer not null default 0,
    sensitiveStatus integer not null default 3,
    isLock integer not null default 0,
    memoCount integer not null default 0
);
create index idx_system_conf_uid on tb_system_conf(uid);

create table tb_creation_conf (
    uid integer not null default 0,
    fontSize integer not null default 14,
    fontFamily text not null default 'Microsoft Yahei',
    isBlod integer not null default 0,
    isItalics integer not null default 0,
    isUnderLine integer not null default 0,
    isFocusing integer not null default 1,
    isFocusLine integer not null default 1,
    isCenter integer not null default 1
);
create index idx_creation_conf_uid on tb_creation_conf(uid);

create table tb_lock (
    uid integer not null default 0,
    lockType integer not null default 0,
    lockWords integer not null default 0,
    lockTime integer not null default 0,
    writeWords integer not null default 0,
    writeTime integer not null default 0
);
create index idx_lock_uid on tb_lock(uid);

create table tb_statistics (
    id integer primary key autoincrement,
    uid integer not null default 0,
    date text not null default '',
    writeTime integer not null default 0,
    wordCount integer not null default 0,
    writeSpeed integer not null default 0
);
create index idx_statistics_uid_date on tb_statistics(uid, date);

create table tb_cate (
    cateId integer not null default 0,
    fId integer not null default 0,
    cateName text not null default '',
    channelType integer not null default 0,
    childCount integer not null default 0
);

create table tb_sensitive_words (
    uid integer not null default 0,
    type integer not null default 0,
    words text not null default ''
);
create index idx_sensitive_words_type_uid on tb_sensitive_words(type, uid);

create table tb_people (
    id integer primary key autoincrement,
    type integer not null default 0,
    name text not null default ''
);

create table tb_book (
    localId integer primary key autoincrement,
    bookId integer not null default 0,
    authorId integer not null default 0,
    bookName text not null default '',
    cateId integer not null default 0,
    cateFid integer not null default 0,
    channelType integer not null default 0,
    chapterCount integer not null default 0,
    coverUrl text not null default '',
    localCover text not null default '',
    intro text not null default '',
    wordNum integer not null default 0,
    createTime integer not null default 0,
    updateTime integer not null default 0,
    lastEditChapterId integer not null default 0,
    orderType integer not null default 0,
    money real not null default 0
);
create index idx_book_author on tb_book(authorId, updateTime);

-- The text comes last: the chapter list reads every other column from the
-- start of the row and never walks a long text's overflow pages.
create table tb_chapter (
    localId integer primary key autoincrement,
    chapterId integer not null default 0,
    localBookId integer not null default 0,
    bookId integer not null default 0,
    name text not null default '',
    wordCount integer not null default 0,
    status integer not null default 1,
    orderNum integer not null default 0,
    createTime integer not null default 0,
    updateTime integer not null default 0,
    content text not null default ''
);
create index idx_chapter_book on tb_chapter(localBookId, orderNum);

create table tb_contentblade (
    localId integer primary key autoincrement,
    uid integer not null default 0,
    localBookId integer not null default 0,
    localChapterId integer not null default 0,
    bookId integer not null default 0,
    chapterId integer not null default 0,
    bladeId integer not null default 0,
    wordCount integer not null default 0,
    createTime integer not null default 0,
    content text not null default ''
);
create index idx_contentblade_chapter on tb_contentblade(localChapterId, createTime);
create index idx_contentblade_server_chapter on tb_contentblade(chapterId);
create index idx_contentblade_book on tb_contentblade(localBookId);

create table tb_job (
    jobId integer primary key autoincrement,
    uid integer not null default 0,
    jobType integer not null default 0,
    localBookId integer not null default 0,
    bookId integer not null default 0,
    localChapterId integer not null default 0,
    chapterId integer not null default 0,
    localMemoId integer not null default 0,
    memoId integer not null default 0,
    createTime integer not null default 0,
    ext1 integer not null default 0,
    content text not null default ''
);
create index idx_job_uid on tb_job(uid);
create index idx_job_type on tb_job(jobType, uid);
create index idx_job_book on tb_job(localBookId, jobType, uid);
create index idx_job_chapter on tb_job(localChapterId, jobType, uid);
create index idx_job_memo on tb_job(localMemoId, jobType, uid);

create table tb_memo (
    localId integer primary key autoincrement,
    uid integer not null default 0,
    memoId integer not null default 0,
    color text not null default '',
    content text not null default '',
    updateTime integer not null default 0,
    colorUpdateTime integer not null default 0,
    bookId integer not null default 0,
    chapterId integer not null default 0,
    localBookId integer not null default 0,
    localChapterId integer not null default 0,
    x real not null default 0,
    y real not null default 0
);
create index idx_memo_uid on tb_memo(uid, colorUpdateTime);
create index idx_memo_book on tb_memo(localBookId);
create index idx_memo_chapter on tb_memo(localChapterId);
