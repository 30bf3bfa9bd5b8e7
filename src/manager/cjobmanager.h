#pragma once

#include <QObject>

// The coordinator of the signed-in author's data and of the job queue.
class CJobManager : public QObject
{
    Q_OBJECT
public:
    static CJobManager *instance();

    // Opens the database and reads tb_sys, then shows the first window.
    // False when the database cannot be opened or tb_sys cannot be read.
    bool init();
    // Writes the author's settings back; runs once per pass after init.
    void uninit();

private:
    explicit CJobManager(QObject *parent = nullptr);
};
