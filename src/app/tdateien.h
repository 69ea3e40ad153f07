#pragma once

#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "core/transferreport.h"

class CollectionList;
class QAction;
class QLabel;
class QListView;
class QMimeData;
class QProgressBar;

// The list window: the collection list, one path per line. Delete removes the
// selected lines, Escape stops a running transfer. Closing it only hides it.
//
// Its context menu saves the list to a list file, appends one, and removes the marked
// lines. Files dropped from other programs are appended; lines dragged out carry
// text/uri-list. While a transfer runs, a progress bar below the list shows files and
// bytes done, the rate and the time left; each failed line shows its reason as its
// tooltip.
class Tdateien : public QWidget
{
    Q_OBJECT
public:
    explicit Tdateien(CollectionList* list, QWidget* parent = nullptr);
    ~Tdateien() override;

    QListView* Liste() const { return m_liste; }
    CollectionList* Lines() const { return m_lines; }

    // Every key pressed in the list: Delete removes the selected lines (whatever
    // modifiers are held), the caption reports the count, Escape asks for an abort.
    void Listekeydown(int key, Qt::KeyboardModifiers modifiers);
    // Brings the window up without making it modal.
    void ShowList();

    // The context menu's commands. Save and load show an error box when the file
    // cannot be written or read; load appends and returns how many lines came.
    bool SaveList(const QString& path);
    int LoadList(const QString& path);
    // Appends the regular files (links followed) that a drop's text/uri-list names;
    // folders and what is not there are left out. Returns how many lines came.
    int DropFiles(const QMimeData* data);
    // Asks for a list file's path (save: a new name); empty when cancelled. Replaceable
    // so that tests need no dialog.
    using FileChooser = std::function<QString(bool save)>;
    void SetFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    // The transfer's reports, called from its hooks (see TransferHooks).
    void TransferStarted(qint64 totalBytes);
    void NextFile();
    // Shows the progress and lets events run at most every ProgressInterval ms; always
    // true (Escape stops after the current file, not within it).
    bool FileProgress(qint64 done, qint64 total);
    int ProgressInterval() const { return m_interval; }
    void SetProgressInterval(int ms) { m_interval = ms; }
    void LineFailed(const QString& line, const QString& reason);
    void FileDone();
    // Hides the progress; returns one line per reason of the failed lines.
    QStringList TransferEnded();
    bool TransferRunning() const { return m_progress != nullptr; }
    // While a file is being copied no line may go: the transfer removes the line it
    // works on by its position afterwards.
    bool LinesLocked() const { return m_insideFile; }
    QWidget* ProgressPanel() const { return m_panel; }
    QProgressBar* ProgressBar() const { return m_bar; }
    QLabel* ProgressLabel() const { return m_text; }

Q_SIGNALS:
    void AbortRequested();
    // Lines came by loading or dropping.
    void LinesAdded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void saveClicked();
    void loadClicked();
    void removeMarked();
    QString chooseFile(bool save);
    // Shows the figures when forced or ProgressInterval ms after the last time.
    void showProgress(bool force);
    bool acceptsDrop(const QDropEvent* event) const;

    CollectionList* m_lines;
    QListView* m_liste;
    QAction* m_removeAction = nullptr;
    QWidget* m_panel = nullptr;
    QProgressBar* m_bar = nullptr;
    QLabel* m_text = nullptr;
    FileChooser m_chooser;

    std::unique_ptr<TransferProgress> m_progress;
    FailureTally m_tally;
    QElapsedTimer m_clock; // since the transfer began
    QElapsedTimer m_shown; // since the figures were last shown
    bool m_insideFile = false;
    int m_interval = 100;
};
