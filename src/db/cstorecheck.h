#pragma once

#include <QCoreApplication>
#include <QString>

// What the start found at the local store and what the author is told.
struct T_StoreCheck
{
    enum Outcome
    {
        Ready,      // the file was there and is ours
        Made,       // it was missing or empty and was made from the schema
        MovedAside, // it was damaged: kept under another name, a fresh one made
        Refused     // the program cannot start on it; `message` says why
    };
    Outcome outcome = Ready;
    QString message; // for the author, empty when there is nothing to tell
    QString movedTo; // where a damaged file now is
};

// Looks at the data folder and the store before anything opens it: makes a
// missing or empty file from the schema, moves a damaged one aside (never
// overwriting it), and refuses, with the path, the cause and what to do, a
// file that cannot be read, one of a newer program, a folder that takes no
// file and a full disk.
class CStoreCheck
{
    Q_DECLARE_TR_FUNCTIONS(CStoreCheck)

public:
    static T_StoreCheck prepare(const QString &dbPath);

    // Below this much free space a start is refused: nothing could be saved.
    static constexpr qint64 kMinFreeBytes = 1024 * 1024;

private:
    static bool makeFromSchema(const QString &dbPath, T_StoreCheck &check);
    static bool moveAside(const QString &dbPath, const QString &cause, T_StoreCheck &check);
    static bool checkFolder(const QString &folder, T_StoreCheck &check);
};
