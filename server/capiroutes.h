#pragma once

#include "capicall.h"

#include <QVector>

// One endpoint of the catalogue: its path, whether it needs a signed-in
// author, the function that answers it and whether it changes anything.
struct T_ApiRoute
{
    const char *path;
    bool needsAuthor;
    void (*handler)(T_ApiCall &call);
    // Changes something: answered for POST only. Reads take GET and POST.
    bool writes;
};

const QVector<T_ApiRoute> &apiRoutes();

// Handlers, grouped by area (one file each).
namespace AccountApi {
void registerAuthor(T_ApiCall &c);
void sendCode(T_ApiCall &c);
void login(T_ApiCall &c);
void logout(T_ApiCall &c);
void info(T_ApiCall &c);
void updateAuthor(T_ApiCall &c);
void uploadImage(T_ApiCall &c);
void resetPassword(T_ApiCall &c);
void changePhone(T_ApiCall &c);
void changePassword(T_ApiCall &c);
void deleteData(T_ApiCall &c);
void bannerList(T_ApiCall &c);
void wxCodeLogin(T_ApiCall &c);
void pollingWx(T_ApiCall &c);
void wxBindPhone(T_ApiCall &c);
} // namespace AccountApi

namespace BookApi {
void addBook(T_ApiCall &c);
void booksList(T_ApiCall &c);
void bookInfo(T_ApiCall &c);
void deleteBook(T_ApiCall &c);
void editBook(T_ApiCall &c);
void importBook(T_ApiCall &c);
} // namespace BookApi

namespace ChapterApi {
void createChapter(T_ApiCall &c);
void batchCreateChapter(T_ApiCall &c);
void recycle(T_ApiCall &c);
void deleteChapter(T_ApiCall &c);
void chapterMenu(T_ApiCall &c);
void chapter(T_ApiCall &c);
void getChapters(T_ApiCall &c);
void editChapter(T_ApiCall &c);
void moveChapter(T_ApiCall &c);
void contentBlade(T_ApiCall &c);
void timeMachine(T_ApiCall &c);
} // namespace ChapterApi

namespace MemoApi {
void addMemo(T_ApiCall &c);
void deleteMemo(T_ApiCall &c);
void editMemo(T_ApiCall &c);
void memoDetail(T_ApiCall &c);
void memoList(T_ApiCall &c);
} // namespace MemoApi

namespace DataApi {
void getCate(T_ApiCall &c);
void editSensitive(T_ApiCall &c);
void getSensitive(T_ApiCall &c);
void nameData(T_ApiCall &c);
void synData(T_ApiCall &c);
void synBookData(T_ApiCall &c);
void synAuthor(T_ApiCall &c);
void saveStatistics(T_ApiCall &c);
void userStatistics(T_ApiCall &c);
} // namespace DataApi
