#include "db/jsonmembers.h"
#include "testmain.h"

#include <QJsonDocument>

class TestJsonMembers : public QObject
{
    Q_OBJECT
private slots:
    void merge_data();
    void merge();
    void strings_data();
    void strings();
};

void TestJsonMembers::merge_data()
{
    QTest::addColumn<QString>("waiting");
    QTest::addColumn<QString>("expected"); // as JSON, compared as objects
    QTest::newRow("replace one, keep the other") << R"({"content":"old","name":"kept"})"
                                                 << R"({"content":"new \"text\"","name":"kept"})";
    QTest::newRow("add a member") << R"({"name":"kept"})"
                                  << R"({"content":"new \"text\"","name":"kept"})";
    QTest::newRow("escapes and braces inside strings") << R"({"name":"a\"}{,\\","content":"x"})"
                                                       << R"({"content":"new \"text\"","name":"a\"}{,\\"})";
    QTest::newRow("blanks, numbers, nested values")
        << "{ \"x\" : 1.5 ,\n \"deep\":{\"a\":[1,{\"b\":\"}\"}]}, \"ok\":true}"
        << R"({"x":1.5,"deep":{"a":[1,{"b":"}"}]},"ok":true,"content":"new \"text\""})";
    QTest::newRow("empty object") << "{}"
                                  << R"({"content":"new \"text\""})";
    QTest::newRow("not an object") << "plain text"
                                   << R"({"content":"new \"text\""})";
    QTest::newRow("cut short") << R"({"name":"unfinished)"
                               << R"({"content":"new \"text\""})";
    QTest::newRow("empty") << ""
                           << R"({"content":"new \"text\""})";
}

void TestJsonMembers::merge()
{
    QFETCH(QString, waiting);
    QFETCH(QString, expected);
    const QString merged = mergeJsonMembers(waiting, {{"content", jsonString("new \"text\"")}});
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(merged.toUtf8(), &error);
    QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(merged));
    QCOMPARE(doc.object(), QJsonDocument::fromJson(expected.toUtf8()).object());
}

void TestJsonMembers::strings_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("controls") << QString("tab\tline\nreturn\r\b\f") + QChar(1) + QChar(0x1f);
    QTest::newRow("quotes and backslashes") << QString(R"(say "hi" \ \\ \")");
    QTest::newRow("non-BMP and chinese") << QString::fromUtf8("😀 第一章 'x' %1");
    QTest::newRow("empty") << QString();
}

// A text written by jsonString reads back unchanged with the toolkit's parser.
void TestJsonMembers::strings()
{
    QFETCH(QString, text);
    const QString json = jsonObjectText({{"t", jsonString(text)}});
    QCOMPARE(QJsonDocument::fromJson(json.toUtf8()).object().value("t").toString(), text);

    const QJsonObject object{{"n", 3}, {"s", text}, {"skip", 1}};
    const QJsonObject back =
        QJsonDocument::fromJson(jsonObjectText(jsonMembers(object, {"s", "n", "absent"})).toUtf8()).object();
    QCOMPARE(back, (QJsonObject{{"n", 3}, {"s", text}}));
}

QUORVIN_TEST_MAIN(TestJsonMembers)
#include "tst_jsonmembers.moc"
