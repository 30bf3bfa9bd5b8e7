#pragma once

#include "thttp.h"

#include <QByteArray>
#include <QString>

// Process-wide helpers of the transport: form parameters, the routing
// header, digests, the author's unique code, the server clock and date texts.
namespace HttpUtil {

// Form parameters. The first pair is written "key=value", every later one
// "&key=value". Keys are never encoded.
// Text: nothing is added for an empty value unless keepEmpty; with encode
// the UTF-8 bytes are percent-encoded (letters, digits, "-._~" kept).
void addTextParam(QString &params, const QString &key, const QString &value, bool encode, bool keepEmpty);
// Integer: nothing is added for 0 unless keepZero.
void addIntParam(QString &params, const QString &key, qint64 value, bool keepZero);

// The "userdata" header: the eleven routing integers in wire order
// uid,jobType,localBookId,bookId,localChapterId,chapterId,jobId,next,synStep,localMemoId,memoId.
QByteArray userdataHeader(const T_Http_C &data);
// Reads an echoed "userdata" value; fewer than eleven items leave `out`
// unchanged and give false.
bool parseUserdata(const QString &text, T_Http_C &out);

// Lower-case MD5 hex digests.
QString md5Hex(const QByteArray &bytes);
QString md5HexLatin1(const QString &text);
QString md5HexOfFile(const QString &path); // empty when the path is not a readable file
// The digest that stands for a password on the wire: MD5 hex of its UTF-8
// bytes, so that characters outside Latin-1 keep their identity.
QString passwordDigest(const QString &password);

// The request identity of an author on this machine: MD5 hex of
// "<uid>+Quorvin+<server seconds>".
QString makeUniqueCode(qint64 uid, qint64 serverSeconds);
QString makeUniqueCode(qint64 uid); // at the current server time

// Server clock: local seconds corrected by the offset that the first
// positive server time of the process fixes.
qint64 serverTimeNow();
void setServerClock(qint64 serverSeconds);
bool isServerClockSet();
qint64 serverClockOffset();
void resetServerClock(); // forgets the offset (tests only)

// Date texts.
QString todayText();                        // "yyyy-MM-dd"
QString timeText(qint64 secondsSinceEpoch); // "yyyy-MM-dd hh:mm:ss"
QString nowText();                          // "yyyy-MM-dd hh:mm:ss"
QString durationText(qint64 seconds);       // "hh:mm:ss" (hours may exceed 99)

// "data:image/<suffix>;base64,..." of an image file, re-encoded in the
// format its lower-case suffix names. False (and `out` empty) when the path
// is empty, the file cannot be read or the image cannot be re-encoded.
bool imageToDataUri(const QString &path, QString &out);

} // namespace HttpUtil
