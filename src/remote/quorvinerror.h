#pragma once

#include "thttp.h"

#include <QString>

// Codes the client itself puts into a T_Http_S, beside the server's own
// 200 (success) and 300 (sign-in no longer valid).
enum QuorvinError
{
    QE_DB_ERROR = 10001,        // a local database statement failed
    QE_NETWORK_ERROR = 10002,   // a synchronous account call failed on the network
    QE_PARAM_MISSING = 10004,   // a required field of the request is empty
    QE_IMPORT_SUFFIX = 10006,   // the imported file is not a ".txt" file
    QE_IMPORT_NAME = 10007,     // the book name taken from the file name is empty
    QE_IMPORT_EMPTY = 10008,    // the decoded text is empty
    QE_IMPORT_OPEN = 10009,     // the file cannot be opened for reading
    QE_IMPORT_NO_TITLE = 10010, // no chapter heading was found
    QE_IMPORT_CREATE = 10011,   // creating the book failed
    QE_IMPORT_TOO_LONG = 10012, // a chapter of the file is longer than a chapter may be
};

// Marks a response as refused before sending: a required field is empty.
inline void fillParamMissing(T_Http_S &response)
{
    response.code = QE_PARAM_MISSING;
    response.msg = QString::fromUtf8("参数不足");
}
