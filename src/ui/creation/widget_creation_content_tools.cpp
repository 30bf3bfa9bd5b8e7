// The content area's part of the sensitive-word check and the name panel:
// the panels over the editor, the highlight of the hits and their rewrite.

#include "creation_textedit.h"
#include "db/records.h"
#include "random/widget_randomname.h"
#include "widget_creation_content.h"
#include "widget_sensitivewords.h"

#include <QTextCursor>
#include <QTextDocument>

namespace {

const QColor kHitBackground(255, 0, 0, 128);
const int kPanelMargin = 24;

} // namespace

Widget_SensitiveWords *Widget_Creation_Content::sensitivePanel() const
{
    return m_sensitive;
}

Widget_RandomName *Widget_Creation_Content::randomNamePanel() const
{
    return m_randomName;
}

void Widget_Creation_Content::showSensitiveWords()
{
    if (!m_sensitive)
        m_sensitive = new Widget_SensitiveWords(this);
    if (m_randomName)
        m_randomName->hide();
    placeToolPanels();
    m_sensitive->showPanel();
}

void Widget_Creation_Content::showRandomNames()
{
    if (!m_randomName)
        m_randomName = new Widget_RandomName(this);
    if (m_sensitive)
        m_sensitive->hide();
    placeToolPanels();
    m_randomName->show();
    m_randomName->raise();
}

void Widget_Creation_Content::placeToolPanels()
{
    for (QWidget *panel :
         {static_cast<QWidget *>(m_sensitive.data()), static_cast<QWidget *>(m_randomName.data())})
        if (panel)
            panel->move(qMax(0, width() - panel->width() - kPanelMargin), kPanelMargin);
}

void Widget_Creation_Content::clearSensitiveHighlight()
{
    if (m_hitSelections.isEmpty())
        return;
    m_hitSelections.clear();
    applySelections();
}

void Widget_Creation_Content::applySensitiveAction(int action)
{
    if (!m_chapter)
        return;
    T_SessionData &session = m_session;
    SensitiveWordMatcher &matcher = session.sensitiveMatcher;
    // The author may have typed since the check: positions are taken from
    // the text as it stands.
    const QString text = m_edit->toPlainText();
    matcher.sync(session.publicSensitiveWords, session.authorSensitiveWords);
    matcher.check(text, session.user.sensitiveStatus);
    const QVector<SensitiveHit> &hits = matcher.hits();
    clearSearchHighlight();
    m_hitSelections.clear();
    QTextDocument *document = m_edit->document();

    if (action == SensitiveWordMatcher::Highlight) {
        int firstEnd = -1;
        for (const SensitiveHit &hit : hits) {
            QTextEdit::ExtraSelection selection;
            selection.cursor = QTextCursor(document);
            selection.cursor.setPosition(hit.position);
            selection.cursor.setPosition(hit.position + hit.length, QTextCursor::KeepAnchor);
            selection.format.setBackground(kHitBackground);
            m_hitSelections.append(selection);
            const int end = hit.position + hit.length;
            if (firstEnd < 0 || end < firstEnd)
                firstEnd = end;
        }
        applySelections();
        if (firstEnd >= 0) {
            QTextCursor cursor = m_edit->textCursor();
            cursor.setPosition(firstEnd);
            m_edit->setTextCursor(cursor);
        }
        m_edit->setFocus();
        return;
    }
    if (action < SensitiveWordMatcher::Pinyin || action > SensitiveWordMatcher::Hyphens ||
        m_edit->isReadOnly())
        return;

    // Only the text is rewritten, stretch by stretch from the last, so the
    // positions still to come stay valid and the markup is never touched.
    const QVector<QPair<int, int>> stretches = SensitiveWordMatcher::mergedStretches(hits);
    applySelections();
    if (stretches.isEmpty())
        return;
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    int firstEnd = 0;
    for (int i = stretches.size() - 1; i >= 0; --i) {
        const int start = stretches.at(i).first;
        const int end = stretches.at(i).second;
        const QString replaced = matcher.replacement(text.mid(start, end - start), action);
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.insertText(replaced);
        firstEnd = start + replaced.size();
    }
    cursor.endEditBlock();
    cursor.setPosition(qMin(firstEnd, document->characterCount() - 1));
    m_edit->setTextCursor(cursor);
    m_edit->setFocus();
}
