-- The local store of the client. The program never creates or alters a
-- table: this file is the whole contract with the shipped wrt.db.

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
