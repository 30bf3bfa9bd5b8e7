#include "cuimanager.h"

#include "db/cstorehealth.h"
#include "db/records.h"
#include "mainwindow.h"
#include "manager/crecoveryjournal.h"
#include "ui/creation/widget_creation.h"
#include "ui/creation/widget_creation_content.h"
#include "ui/ztmessagebox.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QSaveFile>

namespace {

enum QuitChoice
{
    SaveAsText = 0,
    BackToWriting = 1,
    QuitAnyway = 2
};

bool writeTextFile(const QString &path, const QString &text)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0 && file.commit();
}

} // namespace

bool CUiManager::confirmQuitWithUnsaved()
{
    CStoreHealth *health = CStoreHealth::instance();
    if (!health->hasUnsaved())
        return true;
    Widget_Creation_Content *content = m_creation ? m_creation->content() : nullptr;
    const bool editorUnsaved = content && content->hasUnsavedText();
    const T_Chapter *chapter = editorUnsaved ? content->chapter() : nullptr;
    const QString name = chapter ? chapter->name.trimmed() : QString();
    const bool journalHolds = CRecoveryJournal::instance()->flush();
    const QString cause = CStoreHealth::causeText(health->cause());
    const QString file = QDir::toNativeSeparators(health->failedPath());

    QString text = chapter ? tr("The text of \"%1\" could not be written to %2: %3.").arg(name, file, cause)
                           : tr("Text of some chapters could not be written to %1: %2.").arg(file, cause);
    text += QLatin1Char('\n');
    text += journalHolds
                ? tr("If you quit, it stays in the recovery files and is written back at the next start.")
                : tr("The recovery files could not be written either: if you quit now, the text "
                     "that is not saved is lost.");
    if (chapter)
        text += QLatin1Char('\n') + tr("You can also save this chapter as a text file first.");
    qWarning() << "quit asked while text is not saved:" << file << cause;

    for (;;) {
        ZtMessageBox box(2, tr("Text not saved"), text, m_mainWindow);
        box.setObjectName(QStringLiteral("Dialog_UnsavedQuit"));
        QPushButton *saveAs = box.addButton(tr("Save as text..."));
        saveAs->setEnabled(chapter != nullptr);
        QPushButton *back = box.addButton(tr("Back to writing"));
        box.addButton(journalHolds ? tr("Quit") : tr("Quit and lose it"));
        box.setDefaultButton(chapter ? saveAs : back);
        const int choice = box.exec();
        if (choice == QuitAnyway)
            return true;
        if (choice != SaveAsText || !chapter)
            return false;
        const QString suggested = QDir::homePath() + QLatin1Char('/') +
                                  (name.isEmpty() ? QStringLiteral("保存章节") : name) +
                                  QStringLiteral(".txt");
        const QString path =
            m_saveFileChooser ? m_saveFileChooser(m_mainWindow, suggested)
                              : QFileDialog::getSaveFileName(m_mainWindow, tr("Save the chapter as"),
                                                             suggested, QStringLiteral("Text File(*.txt)"));
        if (path.isEmpty())
            continue;
        if (writeTextFile(path, content->currentText())) {
            qDebug() << "the unsaved chapter was written to" << path;
            return true;
        }
        ZtMessageBox::question(m_mainWindow, tr("Cannot write the file"),
                               tr("%1 could not be written: choose another place, for example a USB disk.")
                                   .arg(QDir::toNativeSeparators(path)));
    }
}
