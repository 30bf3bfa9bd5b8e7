#include "capiroutes.h"

const QVector<T_ApiRoute> &apiRoutes()
{
    static const QVector<T_ApiRoute> routes = {
        {"/author/register", false, AccountApi::registerAuthor, true},               // 1
        {"/author/sendCode", false, AccountApi::sendCode, true},                     // 2
        {"/author/login", false, AccountApi::login, true},                           // 3
        {"/author/logOut", true, AccountApi::logout, true},                          // 4
        {"/author/info", true, AccountApi::info, false},                             // 5
        {"/author/updateAuthor", true, AccountApi::updateAuthor, true},              // 6
        {"/author/uploadimg", true, AccountApi::uploadImage, true},                  // 7
        {"/author/editPass", false, AccountApi::resetPassword, true},                // 8
        {"/author/changePhone", true, AccountApi::changePhone, true},                // 9
        {"/author/setNewPwd", true, AccountApi::changePassword, true},               // 10
        {"/books/addBook", true, BookApi::addBook, true},                            // 11
        {"/books/booksList", true, BookApi::booksList, false},                       // 12
        {"/books/bookinfo", true, BookApi::bookInfo, false},                         // 13
        {"/books/deleteBook", true, BookApi::deleteBook, true},                      // 14
        {"/books/getCate", false, DataApi::getCate, false},                          // 15
        {"/books/editBook", true, BookApi::editBook, true},                          // 16
        {"/books/importBook", true, BookApi::importBook, true},                      // 17
        {"/chapter/createChapter", true, ChapterApi::createChapter, true},           // 18
        {"/chapter/batchCreateChapter", true, ChapterApi::batchCreateChapter, true}, // 19
        {"/chapter/recycle", true, ChapterApi::recycle, true},                       // 20
        {"/chapter/delChapter", true, ChapterApi::deleteChapter, true},              // 21
        {"/chapter/chapterMenu", true, ChapterApi::chapterMenu, false},              // 22
        {"/chapter/chapter", true, ChapterApi::chapter, false},                      // 23
        {"/chapter/getChapters", true, ChapterApi::getChapters, false},              // 24
        {"/chapter/editChapter", true, ChapterApi::editChapter, true},               // 25
        {"/chapter/moveChapter", true, ChapterApi::moveChapter, true},               // 26
        {"/chapter/contentBlade", true, ChapterApi::contentBlade, true},             // 27
        {"/chapter/timeMachine", true, ChapterApi::timeMachine, false},              // 28
        {"/sensitive/editSensitive", true, DataApi::editSensitive, true},            // 29
        {"/sensitive/getSensitive", false, DataApi::getSensitive, false},            // 30
        {"/sensitive/nameData", false, DataApi::nameData, false},                    // 31
        {"/synchronization/synData", false, DataApi::synData, false},                // 32
        {"/synchronization/synBookData", true, DataApi::synBookData, false},         // 33
        {"/synchronization/synAuthor", true, DataApi::synAuthor, true},              // 34
        {"/authorcount/saveData", true, DataApi::saveStatistics, true},              // 35
        {"/authorcount/userData", true, DataApi::userStatistics, false},             // 36
        {"/author/delData", true, AccountApi::deleteData, true},                     // 37
        {"/author/bannerList", false, AccountApi::bannerList, false},                // 38
        {"/author/wxCodeLogin", false, AccountApi::wxCodeLogin, true},               // 39
        {"/author/pollingWx", false, AccountApi::pollingWx, false},                  // 40
        {"/author/wxBindPhone", true, AccountApi::wxBindPhone, true},                // 41
        {"/memo/addMemo", true, MemoApi::addMemo, true},                             // 42
        {"/memo/delMemo", true, MemoApi::deleteMemo, true},                          // 43
        {"/memo/editMemo", true, MemoApi::editMemo, true},                           // 44
        {"/memo/memoDetail", true, MemoApi::memoDetail, false},                      // 45
        {"/memo/memoList", true, MemoApi::memoList, false},                          // 46
    };
    return routes;
}
