#include "tdateien.h"

#include "core/collectionlist.h"

#include <QKeyEvent>
#include <QListView>
#include <QVBoxLayout>
#include <algorithm>

Tdateien::Tdateien(CollectionList* list, QWidget* parent)
    : QWidget(parent, Qt::Window), m_lines(list)
{
    setObjectName(QStringLiteral("Dateien"));
    setWindowTitle(QStringLiteral("Dateiliste"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_liste = new QListView(this);
    m_liste->setObjectName(QStringLiteral("Liste"));
    m_liste->setModel(list);
    m_liste->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_liste->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_liste->setUniformItemSizes(true); // a million lines stay quick
    m_liste->setLayoutMode(QListView::Batched);
    m_liste->installEventFilter(this);
    layout->addWidget(m_liste);
    resize(286, 339);
}

void Tdateien::Listekeydown(int key, Qt::KeyboardModifiers)
{
    int removed = 0;
    if (key == Qt::Key_Delete) {
        QList<int> rows;
        const QModelIndexList selected = m_liste->selectionModel()->selectedIndexes();
        rows.reserve(selected.size());
        for (const QModelIndex& index : selected)
            rows.append(index.row());
        removed = m_lines->removeRows(rows);
    }
    setWindowTitle(CollectionList::captionText(removed, m_lines->count()));
    if (key == Qt::Key_Escape)
        Q_EMIT AbortRequested();
}

void Tdateien::ShowList()
{
    show();
    raise();
    activateWindow();
}

bool Tdateien::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_liste && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        Listekeydown(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event); // the list handles the key as usual
}
