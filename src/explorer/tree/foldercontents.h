#pragma once

#include <QFrame>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class TQvDirTree21;

// The small window a tree shows over itself with the files of one folder: a click
// picks a file, a double click opens it, OK hands the pick to the tree. It lies inside
// the tree, covering it, and follows its size.
class TFolderContents : public QFrame
{
    Q_OBJECT
public:
    // Lists the files (not the folders) of folder, hidden ones too, sorted by name,
    // the first one selected.
    TFolderContents(TQvDirTree21* tree, const QString& folder);

    // The caption shown in the window's title bar.
    void SetCaption(const QString& caption);
    QString Caption() const;

    QListWidget* List() const { return m_list; }
    QPushButton* OkButton() const { return m_ok; }
    // The full path of a list item.
    static QString ItemPath(const QListWidgetItem* item);

    // Double click: opens the selected file with its application.
    void OpenSelected();

Q_SIGNALS:
    // OK was pressed; path is the selected file, empty without a selection.
    void Finished(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill(const QString& folder);

    QLabel* m_title;
    QListWidget* m_list;
    QPushButton* m_ok;
};
