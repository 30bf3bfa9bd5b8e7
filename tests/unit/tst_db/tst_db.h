#pragma once

#include "db/cquorvindb.h"
#include "testappdir.h"

#include <QObject>
#include <QVariant>
#include <memory>

// The store against a fresh copy of the generated wrt.db per test function.
class TestDb : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // Opening (tst_db_open.cpp)
    void initFailures_data();
    void initFailures();
    void freshFileReadsSystemRow();
    void missingFileIsMadeFromTheSchema();

    // Rows and records (tst_db_store.cpp)
    void textRoundTrip_data();
    void textRoundTrip();
    void chapterTextsStoredAsGiven_data();
    void chapterTextsStoredAsGiven();
    void booksAndChapters();
    void deleteBookIsAllOrNothing();
    void serverIdsReachEveryTable();
    void newAuthorGetsDefaults();
    void insertUserIsAllOrNothing();
    void memoAndSettingsWritesAreAllOrNothing_data();
    void memoAndSettingsWritesAreAllOrNothing();
    void memos();
    void contentBlades();
    void statistics();
    void namesAndSensitiveWords();
    void categories();

    // Job queue (tst_db_jobs.cpp)
    void chapterChangesFoldIntoOneJob();
    void bookEditsMerge();
    void memoChangesFoldIntoOneJob();
    void profileJobOnePerAuthor();
    void deleteJobsCancelWaitingJobs_data();
    void deleteJobsCancelWaitingJobs();
    void deleteJobNotRecordedKeepsWaitingJobs();
    void saveChapterTextIsAllOrNothing();
    void statisticsJobsAddUp();
    void oldestJobFirst();

private:
    // Runs `sql` on a connection of its own and returns the first column
    // of the first row.
    QVariant scalar(const QString &sql);
    void execRaw(const QString &sql);
    int count(const QString &table, const QString &where = QString());
    int addChapter(int localBookId, const QString &name, const QString &content, int orderNum = 1);

    std::unique_ptr<TestAppDir> m_dir;
    CQuorvinDb *m_db = nullptr;
};
