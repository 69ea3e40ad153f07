#pragma once

#include <QWidget>

class CollectionList;
class QListView;

// The list window: the collection list, one path per line. Delete removes the
// selected lines, Escape stops a running transfer. Closing it only hides it.
class Tdateien : public QWidget
{
    Q_OBJECT
public:
    explicit Tdateien(CollectionList* list, QWidget* parent = nullptr);

    QListView* Liste() const { return m_liste; }
    CollectionList* Lines() const { return m_lines; }

    // Every key pressed in the list: Delete removes the selected lines (whatever
    // modifiers are held), the caption reports the count, Escape asks for an abort.
    void Listekeydown(int key, Qt::KeyboardModifiers modifiers);
    // Brings the window up without making it modal.
    void ShowList();

Q_SIGNALS:
    void AbortRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CollectionList* m_lines;
    QListView* m_liste;
};
