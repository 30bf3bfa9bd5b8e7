// The text difference engine on a 72,000-character Chinese chapter against
// a copy with 60 paragraph edits and 60 character edits, without a time
// limit, with line mode and without it; beside it the published library's
// JavaScript implementation on the same pair (when node and the npm package
// "diff-match-patch" are found, e.g. through NODE_PATH), whose output must
// be the same. Then the time the time machine takes to show its first
// comparison of such a chapter. Medians of several runs, with the load
// average at the time.
#include "db/cquorvindb.h"
#include "manager/cjobmanager.h"
#include "testappdir.h"
#include "ui/creation/timemachine/cdiffengine.h"
#include "ui/creation/timemachine/dialog_timemachine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextEdit>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kLength = 72000;
constexpr int kParagraphEdits = 60;
constexpr int kCharacterEdits = 60;

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2);
}

QString sentence(std::mt19937 &rng)
{
    static const QString punctuation = QStringLiteral("，，，。！？；：");
    QString s;
    const int length = 8 + int(rng() % 30);
    for (int i = 0; i < length; ++i)
        s += QChar(0x4E00 + int(rng() % 3000));
    s += punctuation.at(int(rng() % unsigned(punctuation.size())));
    return s;
}

QString paragraph(std::mt19937 &rng)
{
    QString p;
    const int sentences = 2 + int(rng() % 6);
    for (int i = 0; i < sentences; ++i)
        p += sentence(rng);
    return p;
}

void makePair(QString &chapter, QString &edited)
{
    std::mt19937 rng(72000);
    QStringList paragraphs;
    int length = 0;
    while (length < kLength) {
        paragraphs << paragraph(rng);
        length += paragraphs.last().size() + 1;
    }
    chapter = paragraphs.join(QLatin1Char('\n')).left(kLength);
    paragraphs = chapter.split(QLatin1Char('\n'));
    for (int e = 0; e < kParagraphEdits; ++e) {
        const int at = int(rng() % unsigned(paragraphs.size()));
        switch (e % 3) {
        case 0:
            paragraphs.insert(at, paragraph(rng));
            break;
        case 1:
            paragraphs.removeAt(at);
            break;
        default:
            paragraphs[at] = paragraph(rng);
            break;
        }
    }
    for (int e = 0; e < kCharacterEdits; ++e) {
        QString &p = paragraphs[int(rng() % unsigned(paragraphs.size()))];
        const int at = int(rng() % unsigned(p.size() + 1));
        if (e % 2 == 0)
            p.insert(at, QChar(0x4E00 + int(rng() % 3000)));
        else if (!p.isEmpty())
            p.remove(qMin(at, p.size() - 1), 1);
    }
    edited = paragraphs.join(QLatin1Char('\n'));
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

QJsonArray toJson(const CDiffEngine::Diffs &diffs)
{
    QJsonArray out;
    for (const CDiffEngine::Diff &d : diffs)
        out.append(QJsonArray{int(d.operation), d.text});
    return out;
}

const char *kScript = R"(
'use strict';
const fs = require('fs');
const DiffMatchPatch = require('diff-match-patch');
const a = fs.readFileSync(process.argv[2], 'utf8');
const b = fs.readFileSync(process.argv[3], 'utf8');
const runs = Number(process.argv[4]);
const out = {};
for (const lines of [true, false]) {
    const dmp = new DiffMatchPatch();
    dmp.Diff_Timeout = 0;
    const times = [];
    let diffs;
    for (let i = 0; i < runs; i++) {
        const t = process.hrtime.bigint();
        diffs = dmp.diff_main(a, b, lines);
        times.push(Number(process.hrtime.bigint() - t) / 1e6);
    }
    times.sort((x, y) => x - y);
    const ops = { '-1': 0, '1': 1, '0': 2 };
    out[lines ? 'lines' : 'chars'] = { ms: times[Math.floor(times.length / 2)],
                                       diffs: diffs.map((d) => [ops[d[0]], d[1]]) };
}
process.stdout.write(JSON.stringify(out));
)";

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QString chapter;
    QString edited;
    makePair(chapter, edited);
    std::printf("pair: %d and %d characters (%d paragraph and %d character edits)\n", chapter.size(),
                edited.size(), kParagraphEdits, kCharacterEdits);

    QTemporaryDir dir;
    QFile fa(dir.filePath("a.txt"));
    QFile fb(dir.filePath("b.txt"));
    QFile fs(dir.filePath("time.js"));
    if (!fa.open(QIODevice::WriteOnly) || !fb.open(QIODevice::WriteOnly) || !fs.open(QIODevice::WriteOnly))
        return 1;
    fa.write(chapter.toUtf8());
    fb.write(edited.toUtf8());
    fs.write(kScript);
    fa.close();
    fb.close();
    fs.close();

    struct Mode
    {
        const char *name;
        bool lines;
        int runs;
    };
    const Mode modes[] = {{"lines", true, 21}, {"chars", false, 5}};

    QJsonObject js;
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (!node.isEmpty()) {
        QProcess p;
        p.start(node, {fs.fileName(), fa.fileName(), fb.fileName(), QStringLiteral("5")});
        if (p.waitForFinished(600000) && p.exitCode() == 0)
            js = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        else
            std::printf("JavaScript side skipped: %s\n", p.readAllStandardError().left(200).constData());
    } else {
        std::printf("JavaScript side skipped: node not found\n");
    }

    bool allSame = true;
    for (const Mode &mode : modes) {
        CDiffEngine engine;
        engine.Diff_Timeout = 0;
        std::vector<double> wall;
        CDiffEngine::Diffs diffs;
        for (int i = 0; i < mode.runs; ++i) {
            QElapsedTimer t;
            t.start();
            diffs = engine.diff_main(chapter, edited, mode.lines);
            wall.push_back(t.nsecsElapsed() / 1e6);
        }
        const QJsonObject ref = js.value(QLatin1String(mode.name)).toObject();
        if (ref.isEmpty()) {
            std::printf("%-6s ours %8.2f ms (%zu diffs)                 load %s\n", mode.name, median(wall),
                        size_t(diffs.size()), qPrintable(loadAverage()));
            continue;
        }
        const bool same = ref.value("diffs").toArray() == toJson(diffs);
        allSame = allSame && same;
        const double theirs = ref.value("ms").toDouble();
        std::printf("%-6s ours %8.2f ms  JavaScript %8.2f ms  ratio %.2f  %s (%zu diffs)  load %s\n",
                    mode.name, median(wall), theirs, median(wall) / theirs,
                    same ? "same output" : "OUTPUT DIFFERS", size_t(diffs.size()), qPrintable(loadAverage()));
    }

    // The time machine's first comparison: a chapter in the store with one
    // snapshot, from the dialog's construction until both panes are filled.
    TestAppDir appDir;
    if (!appDir.isValid() || !CQuorvinDb::instance()->init())
        return 1;
    T_SessionData &session = T_SessionData::instance();
    session.author.uid = 5;
    session.user.uid = 5;
    CQuorvinDb::instance()->insertUser(session.author, session.user);
    TC_Books_AddBook add;
    add.bookName = QStringLiteral("长篇");
    T_Book *book = CJobManager::instance()->booksAddBook(add);
    if (!book)
        return 1;
    T_Chapter *c = book->chapterList.first();
    TC_Chapter_Edit edit;
    edit.localBookId = book->localId;
    edit.localChapterId = c->localId;
    edit.content = edited;
    CJobManager::instance()->chapterSaveContent(edit);
    TC_Chapter_ContentBlade blade;
    blade.localBookId = book->localId;
    blade.localChapterId = c->localId;
    blade.content = chapter;
    CJobManager::instance()->chapterContentBlade(blade);
    std::vector<double> shown;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer t;
        t.start();
        Dialog_TimeMachine dialog(c);
        dialog.show();
        QApplication::processEvents();
        if (dialog.comparisonPane()->toPlainText().isEmpty())
            return 1;
        shown.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("time machine, first comparison shown: %.1f ms (median of %zu)  load %s\n", median(shown),
                shown.size(), qPrintable(loadAverage()));
    return allSame ? 0 : 2;
}
