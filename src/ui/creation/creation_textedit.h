#pragma once

#include "db/records.h"

#include <QTextEdit>

// The chapter editor: plain text only, no context menu. Pairs brackets and
// quotation marks typed on the keyboard or committed by an input method,
// marks the writing session as typing and plays the typing sounds for the
// key-down codes of the platform layer.
class Creation_TextEdit : public QTextEdit
{
    Q_OBJECT
public:
    enum Sound
    {
        SoundNone = 0,
        SoundWriting = 1,
        SoundDelete = 2,
        SoundEnter = 3,
    };

    // The most a chapter holds, in the units the server counts (UTF-16):
    // typing stops there, a paste or an import that would pass it is refused.
    static constexpr int kMaxLength = kMaxChapterLength;

    explicit Creation_TextEdit(QWidget *parent = nullptr);

    // Characters of the plain text, without building it.
    int plainLength() const;
    // How many more characters fit, the selection being replaced.
    int room() const;

    bool isFocused() const { return m_focused; }
    // The font the chapter is laid out in. It stays through a change of the
    // application's style sheet, whose own font would otherwise replace it.
    void setPageFont(const QFont &font);
    QString pendingAfter() const { return m_insertAfter; }
    QString pendingBefore() const { return m_insertBefore; }

    // Whether a key-down code counts as typing, and which sound it plays.
    static bool isCountedKey(int keyCode);
    static Sound soundFor(int keyCode);

public slots:
    void autoPunctuation();
    void autoFrontPunctuation();
    void on_GlobalKeyPressWin(int keyCode);

signals:
    // A typing sound was asked for (played when the system has an audio device).
    void sig_soundPlayed(int sound);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    // A paste is plain text typed in one go: every pasted paragraph takes the
    // paragraph format of the one it lands in (indent, spacing), not the
    // bare format of a pasted fragment. A paste that would pass the
    // chapter's limit is refused whole, with a tip.
    void insertFromMimeData(const QMimeData *source) override;

private:
    static bool insertsText(const QString &text);
    // Refuses, with a tip, typing that would pass the chapter's limit.
    bool refusesTyping(int adding);
    void pairForKey(const QKeyEvent *event);
    bool leavesByKeyboard(const QKeyEvent *event);
    void pairForCommit(const QString &commit);
    void schedulePairs();
    static void playSound(Sound sound);

    QString m_insertAfter;
    QString m_insertBefore;
    bool m_focused = false;
    bool m_hasPageFont = false;
    QFont m_pageFont;
};
