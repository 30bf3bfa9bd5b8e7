#pragma once

#include "manager/crecoveryjournal.h"

#include <QFont>
#include <QPointer>
#include <QTextBlockFormat>
#include <QTextEdit>
#include <QWidget>

#include "dialog_search.h"

class QPushButton;
class QTimer;
class QVBoxLayout;
class Creation_TextEdit;
class Widget_Creation_Bottom;
class Widget_Creation_Plane2;
class Widget_Creation_Plane3;
class Widget_RandomName;
class Widget_SensitiveWords;
struct T_Book;
struct T_Chapter;
struct T_ItemData;
struct T_SessionData;

// The content area of the creation page: the chapter editor with the
// author's formatting, the live word count, the saves, the editor commands
// and hot keys, the one-second writing timer, the two floating tool buttons
// and, below the editor, the slot that holds the status line.
class Widget_Creation_Content : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_Creation_Content(QWidget *parent = nullptr);
    ~Widget_Creation_Content() override;

    // Opens a chapter of `book` (saving the open one first); false when its
    // text cannot be read, which leaves no chapter open.
    bool openChapter(T_Book *book, T_Chapter *chapter);
    // Saves, stops the timer and empties the editor.
    void closeChapter();
    // Empties the editor and forgets the chapter without saving.
    void clearChapter();
    // Writes the editor's text when it differs from the stored one (or
    // always with `force`); true when something was written.
    bool saveChapter(bool force = false);

    // Whether the editor holds text the store has not taken (a save failed).
    bool hasUnsavedText() const;
    // The recovery journal of the open chapter on or off (benchmarks).
    void setJournalEnabled(bool on) { m_journalEnabled = on; }
    // Hands the open chapter's text to the recovery journal now.
    void writeJournal();

    T_Book *book() const { return m_book; }
    T_Chapter *chapter() const { return m_chapter; }
    Creation_TextEdit *editor() const { return m_edit; }
    QString currentText() const;
    // The word count of the editor's text, kept up to date on every change.
    int wordCount() const { return m_words; }
    QWidget *bottomSlot() const { return m_bottomSlot; }
    QPushButton *formatButton() const { return m_btnSetup2; }
    QPushButton *focusButton() const { return m_btnSetup3; }
    QTimer *creationTimer() const { return m_timer; }
    Widget_Creation_Bottom *statusLine() const { return m_bottom; }
    // The format and focus panels, once opened.
    Widget_Creation_Plane2 *formatPanel() const;
    Widget_Creation_Plane3 *focusPanel() const;

    // Export and import of the open chapter; the commands ask for the path.
    // Export writes the open chapter, or `chapter` when given.
    void exportChapter(T_Chapter *chapter = nullptr);
    bool exportChapterTo(const QString &path, T_Chapter *chapter = nullptr);
    void importChapter();
    bool importChapterFrom(const QString &path);

    // Formatting of the whole text from the author's settings.
    void applyFormat();
    void applyMargins();
    void recolour();
    void setFullScreenMode(bool on);
    // Page margins of the editor's root frame: left, top, right, bottom.
    QMargins pageMargins() const;

    // The sensitive-word check's action on the editor's text
    // (widget_creation_content_tools.cpp): 1 highlights every hit of the
    // last check, 2 to 4 rewrite them (pinyin, asterisks, hyphens) in the
    // text itself, as one edit the author can undo. The hits are found
    // again in the text as it stands now.
    void applySensitiveAction(int action);
    // The highlighted hits, empty once the author types.
    const QList<QTextEdit::ExtraSelection> &sensitiveHighlight() const { return m_hitSelections; }
    void clearSensitiveHighlight();
    // The tool panels over the editor, once opened.
    Widget_SensitiveWords *sensitivePanel() const;
    Widget_RandomName *randomNamePanel() const;
    void showRandomNames();
    void showSensitiveWords();
    // Find and replace (widget_creation_content_search.cpp): the dialog, the
    // positions just after each match and the current match's index.
    Dialog_Search *searchDialog() const { return m_searchDialog; }
    const QList<int> &searchMatches() const { return m_searchEnds; }
    int searchIndex() const { return m_searchIndex; }
    bool isSearchHighlighted() const { return m_searchHighlight; }

public slots:
    void on_btn_creation_setup2_clicked();
    void on_btn_creation_setup3_clicked();
    void onCurrentLine();
    void onTextChanged();
    void on_EnterItem(T_ItemData *pItem);
    void on_Plane2_1_hide();
    void onTextScrollBarRangeChanged(int min, int max);
    void creation_btnPress(T_ItemData *pItem);
    void creation_hotKeyPress(QKeyEvent *evt);
    void onCreationTimer();
    void on_OpenSetMoneyDlg();
    void on_sreach_btn(Widget_Sreach_Btn btnType, const QString &info);

signals:
    // The author typed while the window is full screen.
    void sig_full_editing();
    // After each tick of the writing timer, with the session's typing flag.
    void sig_CreationTick(bool typing);
    // A chapter's text was written to the store.
    void sig_ChapterSaved(int localChapterId);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void loadText(const QString &text);
    void applyFont();
    QTextBlockFormat paragraphFormat() const;
    void resetSession();
    void onContentsChange(int position, int removed, int added);
    void recountAll();
    // Turns the font's shaping on once `text`, just typed or pasted, needs it.
    void noteShapedText(const QStringRef &text);
    // `later`: in the next turn of the event loop rather than now.
    void queueSnapshot(const QString &text, bool later = false);
    void finishLock();
    // The store took `text`: the journal and the warning can let it go.
    void markSaved(const QString &text);
    QString unsavedKey() const;
    CRecoveryJournal::T_Entry journalEntry() const;
    void updateSpeedWindow();
    void placeFloatingButtons();
    void toggleSound(bool showTip);
    void runCommand(int code, const QString &value);
    void switchTheme();
    bool isDark() const;

    void placeToolPanels();

    // Tools whose screens come later: each is called here and does nothing
    // until its screen exists.
    void showMemoList() {}
    void showFindDialog();
    void openLockDialog() {}
    void clearSearchHighlight();
    void search(const QString &text);
    void stepSearch(int step);
    void replaceCurrentMatch(const QString &replacement);
    void replaceAllMatches(const QString &replacement);
    // Draws the matches over the text (as extra selections, which leave the
    // document and its undo history alone) with the focus line, if any.
    void paintSearch();
    void applySelections();
    void updateMatchInfo();

    T_SessionData &m_session;
    Creation_TextEdit *m_edit = nullptr;
    QWidget *m_bottomSlot = nullptr;
    Widget_Creation_Bottom *m_bottom = nullptr;
    QPointer<Widget_Creation_Plane2> m_plane2;
    QPointer<Widget_Creation_Plane3> m_plane3;
    QPointer<Widget_SensitiveWords> m_sensitive;
    QPointer<Widget_RandomName> m_randomName;
    QList<QTextEdit::ExtraSelection> m_hitSelections;
    Dialog_Search *m_searchDialog = nullptr;
    QList<int> m_searchEnds; // the position just after each match
    int m_searchIndex = 0;
    QString m_searchText;
    bool m_searched = false;
    QList<QTextEdit::ExtraSelection> m_focusSelections;
    QList<QTextEdit::ExtraSelection> m_searchSelections;
    QPushButton *m_btnSetup2 = nullptr;
    QPushButton *m_btnSetup3 = nullptr;
    QTimer *m_timer = nullptr;
    QTimer *m_placeTimer = nullptr;
    QTimer *m_journalTimer = nullptr;

    T_Book *m_book = nullptr;
    T_Chapter *m_chapter = nullptr;
    bool m_ready = false;
    bool m_loading = false;
    bool m_savedIdle = false;
    bool m_searchHighlight = false;
    bool m_fullScreen = false;
    int m_hoverCode = 0;
    int m_lastScrollMax = 0;
    int m_lastSaveTime = 0; // CreationClock::monotonic() of the last save
    // Changed since the store last took the text; the stored text it grew from.
    bool m_dirty = false;
    QString m_base;
    bool m_journalEnabled = true;
    qint64 m_focusKey = -1; // block and line the focus selection covers
    QFont m_font;
    bool m_needsShaping = false; // the chapter holds text that needs the font's shaping

    // The document's characters as they stand, and the count of them that
    // are words: updated from each change, never by recounting the text.
    QString m_shadow;
    int m_words = 0;
};
