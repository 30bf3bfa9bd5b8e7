// Writes diff_reference.json: pairs of texts with the differences the
// published diff-match-patch library (npm package "diff-match-patch") returns
// for them. Run once with `node make_diff_reference.js > diff_reference.json`
// from a folder where the package is installed (NODE_PATH works too); the
// tests only read the JSON.
'use strict';
const DiffMatchPatch = require('diff-match-patch');

// A small seeded generator (mulberry32) so the pairs are the same every run.
function generator(seed) {
    let a = seed >>> 0;
    return function () {
        a = (a + 0x6D2B79F5) >>> 0;
        let t = a;
        t = Math.imul(t ^ (t >>> 15), t | 1);
        t ^= t + Math.imul(t ^ (t >>> 7), t | 61);
        return ((t ^ (t >>> 14)) >>> 0) / 4294967296;
    };
}

const alphabets = [
    ['a', 'b'],
    ['a', 'b', 'c', ' ', '\n'],
    ['的', '一', '是', '了', '我', '不', '人', '在', '，', '。', '\n'],
    ['天', '地', '😀', '😁', '𠀀', 'x', '\n'],
    ['第', '一', '章', '他', '说', '：', '“', '”', '　', ' ', '\n', '\n', 'A', '1', '.'],
];

function randomText(rnd, alphabet, length) {
    let s = '';
    for (let i = 0; i < length; i++) s += alphabet[Math.floor(rnd() * alphabet.length)];
    return s;
}

function mutate(rnd, alphabet, text, edits) {
    let s = text;
    for (let e = 0; e < edits; e++) {
        const at = Math.floor(rnd() * (s.length + 1));
        const kind = Math.floor(rnd() * 3);
        const len = 1 + Math.floor(rnd() * 6);
        if (kind === 0) s = s.slice(0, at) + randomText(rnd, alphabet, len) + s.slice(at);
        else if (kind === 1) s = s.slice(0, at) + s.slice(at + len);
        else s = s.slice(0, at) + randomText(rnd, alphabet, len) + s.slice(at + len);
    }
    return s;
}

// Lines of a chapter, so line mode has whole lines to match.
function randomLines(rnd, alphabet, count) {
    const lines = [];
    for (let i = 0; i < count; i++)
        lines.push(randomText(rnd, alphabet.filter((c) => c !== '\n'), 3 + Math.floor(rnd() * 12)));
    return lines;
}

function mutateLines(rnd, alphabet, lines) {
    const out = lines.slice();
    const edits = 1 + Math.floor(rnd() * 4);
    for (let e = 0; e < edits; e++) {
        const at = Math.floor(rnd() * (out.length + 1));
        const kind = Math.floor(rnd() * 4);
        if (kind === 0) out.splice(at, 0, randomText(rnd, ['新', '行', 'x'], 5));
        else if (kind === 1) out.splice(at, 1);
        else if (kind === 2 && at < out.length) out[at] = mutate(rnd, alphabet.filter((c) => c !== '\n'), out[at], 1);
        else out.splice(at, 0, out[Math.floor(rnd() * out.length)] || '');
    }
    return out;
}

const hand = [
    ['', ''],
    ['', 'abc'],
    ['abc', ''],
    ['abc', 'abc'],
    ['a', 'b'],
    ['a', 'a'],
    ['abc', 'ab'],
    ['abcd', 'bc'],
    ['bc', 'abcd'],
    ['x', 'abc'],
    ['abc', 'xbz'],
    ['第一章 开端', '第一章 重新开始'],
    ['他说：“你好。”', '她说：“您好！”'],
    ['😀a', '😁a'],
    ['a😀b', 'a😁b'],
    ['𠀀𠀁', '𠀁𠀀'],
    ['The cat sat.', 'The cat sat on the mat.'],
    ['1ayb2', 'abxab'],
    ['abcy', 'xaxcxabc'],
    ['ABCDa=bcd=efghijklmnopqrsEFGHIJKLMNOefg', 'a-bcd-efghijklmnopqrs'],
    ['a [[Pennsylvania]] and [[New', ' and [[Pennsylvania]]'],
];
{
    const chapterA = [];
    const chapterB = [];
    for (let i = 0; i < 30; i++) {
        const line = '第' + i + '段，他走进了房间，看见桌上放着一封信。\n';
        chapterA.push(line);
        chapterB.push(i % 7 === 3 ? line.replace('房间', '屋子') : line);
    }
    chapterB.splice(12, 0, '新加的一段话。\n\n');
    chapterB.splice(20, 2);
    hand.push([chapterA.join(''), chapterB.join('')]);
    hand.push([chapterA.join('').replace(/\n/g, '\r\n'), chapterB.join('')]);
    hand.push(['x'.repeat(101), 'x'.repeat(50) + 'y' + 'x'.repeat(50)]);
    hand.push(['1234567890\n'.repeat(13), 'abcdefghij\n'.repeat(13)]);
}

const cases = [];
function add(a, b, timeout, checklines) {
    const dmp = new DiffMatchPatch();
    dmp.Diff_Timeout = timeout;
    const diffs = dmp.diff_main(a, b, checklines);
    // -1, 1, 0 in the library; 0, 1, 2 (delete, insert, equal) in ours.
    const ops = { '-1': 0, '1': 1, '0': 2 };
    cases.push({ a, b, timeout, checklines, diffs: diffs.map((d) => [ops[d[0]], d[1]]) });
}

for (const [a, b] of hand)
    for (const checklines of [false, true]) add(a, b, 0, checklines);

const rnd = generator(20261211);
for (let n = 0; n < 300; n++) {
    const alphabet = alphabets[n % alphabets.length];
    let a;
    let b;
    if (n % 3 === 2) {
        const lines = randomLines(rnd, alphabet, 8 + Math.floor(rnd() * 12));
        a = lines.join('\n');
        b = mutateLines(rnd, alphabet, lines).join('\n');
    } else {
        a = randomText(rnd, alphabet, Math.floor(rnd() * 60));
        b = rnd() < 0.2 ? randomText(rnd, alphabet, Math.floor(rnd() * 60))
                        : mutate(rnd, alphabet, a, 1 + Math.floor(rnd() * 5));
    }
    // Mostly without a time limit; a few with a generous one for half-match.
    const timeout = n % 10 === 9 ? 100 : 0;
    add(a, b, timeout, n % 2 === 0);
}

process.stdout.write('[\n' + cases.map((c) => JSON.stringify(c)).join(',\n') + '\n]\n');
