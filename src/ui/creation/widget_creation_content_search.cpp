// Find and replace in the open chapter: the matches of the search text, the
// current one, stepping through them and replacing.
#include "creation_textedit.h"
#include "manager/cuimanager.h"
#include "ui/ztmessagebox.h"
#include "widget_creation_content.h"

#include <QDebug>
#include <QLineEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace {

const QColor kCurrentMatch(52, 112, 255);
const QColor kOtherMatch(188, 208, 255);

} // namespace

void Widget_Creation_Content::showFindDialog()
{
    if (!m_searchDialog)
        return;
    m_searchDialog->show();
    m_searchDialog->raise();
    m_searchDialog->activateWindow();
    m_searchDialog->searchEdit()->setFocus();
    m_searchDialog->searchEdit()->selectAll();
}

void Widget_Creation_Content::on_sreach_btn(Widget_Sreach_Btn btnType, const QString &info)
{
    qDebug() << "on_sreach_btn == " << info;
    switch (btnType) {
    case Sreach_Previous:
        stepSearch(-1);
        break;
    case Sreach_Next:
        stepSearch(1);
        break;
    case Sreach_Search:
        search(info);
        break;
    case Sreach_ReplaceCur:
        replaceCurrentMatch(info);
        break;
    case Sreach_ReplaceAll:
        replaceAllMatches(info);
        break;
    case Sreach_Close:
        clearSearchHighlight();
        m_searched = false;
        updateMatchInfo();
        break;
    }
}

void Widget_Creation_Content::search(const QString &text)
{
    clearSearchHighlight();
    m_searchIndex = 0;
    m_searchText = text;
    m_searched = !text.isEmpty() && m_chapter;
    if (m_searched) {
        // Case-sensitive and without overlaps: "aa" is found twice in "aaaa".
        const QString plain = m_edit->toPlainText();
        for (int at = plain.indexOf(text, 0, Qt::CaseSensitive); at != -1;
             at = plain.indexOf(text, at + text.size(), Qt::CaseSensitive))
            m_searchEnds.append(at + text.size());
    }
    if (!m_searchEnds.isEmpty())
        paintSearch();
    updateMatchInfo();
    m_edit->setFocus();
}

void Widget_Creation_Content::stepSearch(int step)
{
    if (m_searchEnds.isEmpty()) {
        // The text changed since the search (typing clears the matches):
        // search again from the start.
        if (!m_searchText.isEmpty() && m_searched)
            search(m_searchText);
        return;
    }
    const int count = m_searchEnds.size();
    m_searchIndex = ((qBound(-1, m_searchIndex, count) + step) % count + count) % count;
    paintSearch();
    updateMatchInfo();
    m_edit->setFocus();
}

void Widget_Creation_Content::paintSearch()
{
    m_searchSelections.clear();
    QTextDocument *doc = m_edit->document();
    const int length = m_searchText.size();
    QTextCursor current;
    for (int i = 0; i < m_searchEnds.size(); ++i) {
        QTextEdit::ExtraSelection match;
        match.cursor = QTextCursor(doc);
        match.cursor.setPosition(m_searchEnds.at(i) - length);
        match.cursor.setPosition(m_searchEnds.at(i), QTextCursor::KeepAnchor);
        match.format.setBackground(i == m_searchIndex ? kCurrentMatch : kOtherMatch);
        // Dark text on the pale blue in both themes, white on the accent.
        match.format.setForeground(i == m_searchIndex ? QColor(Qt::white) : QColor(33, 33, 33));
        if (i == m_searchIndex)
            current = match.cursor;
        m_searchSelections.append(match);
    }
    m_searchHighlight = !m_searchSelections.isEmpty();
    applySelections();
    if (!current.isNull()) {
        current.clearSelection(); // the cursor rests at the end of the match
        m_edit->setTextCursor(current);
        m_edit->ensureCursorVisible();
    }
}

void Widget_Creation_Content::applySelections()
{
    m_edit->setExtraSelections(m_focusSelections + m_searchSelections + m_hitSelections);
}

void Widget_Creation_Content::clearSearchHighlight()
{
    m_searchEnds.clear();
    m_searchIndex = 0;
    if (!m_searchHighlight && m_searchSelections.isEmpty())
        return;
    m_searchHighlight = false;
    m_searchSelections.clear();
    applySelections();
}

void Widget_Creation_Content::replaceCurrentMatch(const QString &replacement)
{
    if (m_searchIndex < 0 || m_searchIndex >= m_searchEnds.size() || m_edit->isReadOnly())
        return;
    const int length = m_searchText.size();
    const int end = m_searchEnds.at(m_searchIndex);
    QTextCursor cursor(m_edit->document());
    cursor.setPosition(end - length);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    if (cursor.selectedText() != m_searchText) {
        // The text moved under the highlight (a drop, a paste by mouse):
        // find the matches again rather than replace the wrong words.
        search(m_searchText);
        return;
    }
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    // The replacement takes the author's font and colour, as all the text does.
    cursor.insertText(replacement, QTextCharFormat());
    cursor.endEditBlock();

    const int shift = length - replacement.size();
    m_searchEnds.removeAt(m_searchIndex);
    for (int i = m_searchIndex; i < m_searchEnds.size(); ++i)
        m_searchEnds[i] -= shift;
    --m_searchIndex;
    if (!m_searchEnds.isEmpty()) {
        stepSearch(1); // the match that followed the replaced one
    } else {
        m_searchIndex = 0;
        m_searchHighlight = false;
        m_searchSelections.clear();
        applySelections();
        updateMatchInfo();
    }
}

void Widget_Creation_Content::replaceAllMatches(const QString &replacement)
{
    if (m_searchText.isEmpty() || !m_chapter || m_edit->isReadOnly())
        return;
    const QString shown = replacement.isEmpty() ? QStringLiteral("空") : replacement;
    const int answer =
        ZtMessageBox::question(this, QStringLiteral("批量替换"),
                               QStringLiteral("您确定将所有的 %1 替换为 %2 吗？").arg(m_searchText, shown),
                               QStringLiteral("确定"), QStringLiteral("取消"), 0);
    if (answer != 0)
        return;
    // Every occurrence, from the last to the first so the earlier positions
    // hold, in one step that the author can undo.
    const QString plain = m_edit->toPlainText();
    QList<int> starts;
    for (int at = plain.indexOf(m_searchText, 0, Qt::CaseSensitive); at != -1;
         at = plain.indexOf(m_searchText, at + m_searchText.size(), Qt::CaseSensitive))
        starts.append(at);
    clearSearchHighlight();
    if (!starts.isEmpty()) {
        QTextCursor cursor(m_edit->document());
        cursor.beginEditBlock();
        for (int i = starts.size() - 1; i >= 0; --i) {
            cursor.setPosition(starts.at(i));
            cursor.setPosition(starts.at(i) + m_searchText.size(), QTextCursor::KeepAnchor);
            cursor.insertText(replacement, QTextCharFormat());
        }
        cursor.endEditBlock();
        saveChapter();
    }
    m_searched = false;
    updateMatchInfo();
    CUiManager::instance()->showTips(tr("Replaced %1 occurrences").arg(starts.size()), 1);
}

void Widget_Creation_Content::updateMatchInfo()
{
    if (m_searchDialog)
        m_searchDialog->setMatchInfo(m_searchIndex + 1, m_searchEnds.size(), m_searched);
}
