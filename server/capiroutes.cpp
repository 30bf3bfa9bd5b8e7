#include "capiroutes.h"

const QVector<T_ApiRoute> &apiRoutes()
{
    static const QVector<T_ApiRoute> routes = {
        {"/author/register", false, AccountApi::registerAuthor},               // 1
        {"/author/sendCode", false, AccountApi::sendCode},                     // 2
        {"/author/login", false, AccountApi::login},                           // 3
        {"/author/logOut", true, AccountApi::logout},                          // 4
        {"/author/info", true, AccountApi::info},                              // 5
        {"/author/updateAuthor", true, AccountApi::updateAuthor},              // 6
        {"/author/uploadimg", true, AccountApi::uploadImage},                  // 7
        {"/author/editPass", false, AccountApi::resetPassword},                // 8
        {"/author/changePhone", true, AccountApi::changePhone},                // 9
        {"/author/setNewPwd", true, AccountApi::changePassword},               // 10
        {"/books/addBook", true, BookApi::addBook},                            // 11
        {"/books/booksList", true, BookApi::booksList},                        // 12
        {"/books/bookinfo", true, BookApi::bookInfo},                          // 13
        {"/books/deleteBook", true, BookApi::deleteBook},                      // 14
        {"/books/getCate", false, DataApi::getCate},                           // 15
        {"/books/editBook", true, BookApi::editBook},                          // 16
        {"/books/importBook", true, BookApi::importBook},                      // 17
        {"/chapter/createChapter", true, ChapterApi::createChapter},           // 18
        {"/chapter/batchCreateChapter", true, ChapterApi::batchCreateChapter}, // 19
        {"/chapter/recycle", true, ChapterApi::recycle},                       // 20
        {"/chapter/delChapter", true, ChapterApi::deleteChapter},              // 21
        {"/chapter/chapterMenu", true, ChapterApi::chapterMenu},               // 22
        {"/chapter/chapter", true, ChapterApi::chapter},                       // 23
        {"/chapter/getChapters", true, ChapterApi::getChapters},               // 24
        {"/chapter/editChapter", true, ChapterApi::editChapter},               // 25
        {"/chapter/moveChapter", true, ChapterApi::moveChapter},               // 26
        {"/chapter/contentBlade", true, ChapterApi::contentBlade},             // 27
        {"/chapter/timeMachine", true, ChapterApi::timeMachine},               // 28
        {"/sensitive/editSensitive", true, DataApi::editSensitive},            // 29
        {"/sensitive/getSensitive", false, DataApi::getSensitive},             // 30
        {"/sensitive/nameData", false, DataApi::nameData},                     // 31
        {"/synchronization/synData", false, DataApi::synData},                 // 32
        {"/synchronization/synBookData", true, DataApi::synBookData},          // 33
        {"/synchronization/synAuthor", true, DataApi::synAuthor},              // 34
        {"/authorcount/saveData", true, DataApi::saveStatistics},              // 35
        {"/authorcount/userData", true, DataApi::userStatistics},              // 36
        {"/author/delData", true, AccountApi::deleteData},                     // 37
        {"/author/bannerList", false, AccountApi::bannerList},                 // 38
        {"/author/wxCodeLogin", false, AccountApi::wxCodeLogin},               // 39
        {"/author/pollingWx", false, AccountApi::pollingWx},                   // 40
        {"/author/wxBindPhone", true, AccountApi::wxBindPhone},                // 41
        {"/memo/addMemo", true, MemoApi::addMemo},                             // 42
        {"/memo/delMemo", true, MemoApi::deleteMemo},                          // 43
        {"/memo/editMemo", true, MemoApi::editMemo},                           // 44
        {"/memo/memoDetail", true, MemoApi::memoDetail},                       // 45
        {"/memo/memoList", true, MemoApi::memoList},                           // 46
    };
    return routes;
}
