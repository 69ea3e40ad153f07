#include "tdateien.h"

#include "core/collectionlist.h"
#include "core/listfile.h"
#include "core/messages.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "platform/wholefile.h"

#include <QAction>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>

namespace {

// The local paths of a text/uri-list, byte for byte: "file://[host]/path" with the path
// percent-decoded to the name's bytes.
QStringList localPaths(const QByteArray& uriList)
{
    QStringList paths;
    for (QByteArray line : uriList.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#') || !line.startsWith("file://"))
            continue;
        const qsizetype slash = line.indexOf('/', 7); // after an optional host
        if (slash < 0)
            continue;
        paths.append(platform::decodeName(QByteArray::fromPercentEncoding(line.mid(slash))));
    }
    return paths;
}

} // namespace

Tdateien::Tdateien(CollectionList* list, QWidget* parent)
    : QWidget(parent, Qt::Window), m_lines(list)
{
    setObjectName(QStringLiteral("Dateien"));
    setWindowTitle(QStringLiteral("Dateiliste"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_liste = new QListView(this);
    m_liste->setObjectName(QStringLiteral("Liste"));
    m_liste->setModel(list);
    m_liste->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_liste->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_liste->setUniformItemSizes(true); // a million lines stay quick
    m_liste->setLayoutMode(QListView::Batched);
    m_liste->installEventFilter(this);
    // Lines drag out; drops on the list are the window's, which appends them (the view
    // itself would hand them to the model as a move of rows).
    m_liste->setDragDropMode(QAbstractItemView::DragOnly);
    m_liste->setDefaultDropAction(Qt::CopyAction);
    m_liste->viewport()->setAcceptDrops(true);
    m_liste->viewport()->installEventFilter(this);
    setAcceptDrops(true);
    layout->addWidget(m_liste);

    m_liste->setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto addAction = [this](const char* name, const QString& text, void (Tdateien::*slot)()) {
        auto* action = new QAction(text, m_liste);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
        m_liste->addAction(action);
        return action;
    };
    addAction("Listespeichern", QStringLiteral("Liste speichern…"), &Tdateien::saveClicked);
    addAction("Listeladen", QStringLiteral("Liste laden…"), &Tdateien::loadClicked);
    m_removeAction = addAction("Zeilenentfernen", QStringLiteral("Markierte Zeilen entfernen"),
                               &Tdateien::removeMarked);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("Fortschritt"));
    auto* panelLayout = new QVBoxLayout(m_panel);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    m_bar = new QProgressBar(m_panel);
    m_bar->setObjectName(QStringLiteral("Fortschrittsbalken"));
    m_bar->setRange(0, 1000);
    m_bar->setTextVisible(false);
    m_text = new QLabel(m_panel);
    m_text->setObjectName(QStringLiteral("Fortschrittstext"));
    m_text->setWordWrap(true);
    panelLayout->addWidget(m_bar);
    panelLayout->addWidget(m_text);
    m_panel->hide();
    layout->addWidget(m_panel);
    resize(286, 339);
}

Tdateien::~Tdateien() = default;

void Tdateien::Listekeydown(int key, Qt::KeyboardModifiers)
{
    int removed = 0;
    if (key == Qt::Key_Delete && !m_insideFile) {
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
    if (watched == m_liste->viewport()) {
        switch (event->type()) {
        case QEvent::DragEnter:
            dragEnterEvent(static_cast<QDragEnterEvent*>(event));
            return true;
        case QEvent::DragMove:
            dragMoveEvent(static_cast<QDragMoveEvent*>(event));
            return true;
        case QEvent::DragLeave:
            return true;
        case QEvent::Drop:
            dropEvent(static_cast<QDropEvent*>(event));
            return true;
        default:
            break;
        }
    }
    if (watched == m_liste && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        Listekeydown(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event); // the list handles the key as usual
}

// ---- list files ---------------------------------------------------------------------

bool Tdateien::SaveList(const QString& path)
{
    if (platform::writeFileAtomically(path, listFileText(m_lines->lines())))
        return true;
    const int error = errno;
    msg::ErrorBox(QStringLiteral("Die Liste konnte nicht gespeichert werden:\r%1\r%2")
                      .arg(path, platform::errorText(error)));
    return false;
}

int Tdateien::LoadList(const QString& path)
{
    QByteArray text;
    if (!platform::readWholeFile(path, text)) {
        const int error = errno;
        msg::ErrorBox(QStringLiteral("Die Liste konnte nicht geladen werden:\r%1\r%2")
                          .arg(path, platform::errorText(error)));
        return 0;
    }
    const QStringList paths = parseListFile(text);
    m_lines->appendBatch(paths);
    Q_EMIT LinesAdded();
    return int(paths.size());
}

QString Tdateien::chooseFile(bool save)
{
    if (m_chooser)
        return m_chooser(save);
    const QString filter = QStringLiteral("Dateilisten (*.lst *.txt);;Alle Dateien (*)");
    return save ? QFileDialog::getSaveFileName(this, QStringLiteral("Liste speichern"), QString(),
                                               filter)
                : QFileDialog::getOpenFileName(this, QStringLiteral("Liste laden"), QString(),
                                               filter);
}

void Tdateien::saveClicked()
{
    const QString path = chooseFile(true);
    if (!path.isEmpty())
        SaveList(path);
}

void Tdateien::loadClicked()
{
    const QString path = chooseFile(false);
    if (!path.isEmpty())
        LoadList(path);
}

void Tdateien::removeMarked()
{
    Listekeydown(Qt::Key_Delete, Qt::NoModifier);
}

// ---- drag and drop -------------------------------------------------------------------

int Tdateien::DropFiles(const QMimeData* data)
{
    if (!data || !data->hasFormat(QStringLiteral("text/uri-list")))
        return 0;
    QStringList files;
    for (const QString& path : localPaths(data->data(QStringLiteral("text/uri-list")))) {
        platform::FileInfo info;
        if (platform::statPath(path, info) && !info.isDir())
            files.append(path);
    }
    if (files.isEmpty())
        return 0;
    m_lines->appendBatch(files);
    Q_EMIT LinesAdded();
    return int(files.size());
}

bool Tdateien::acceptsDrop(const QDropEvent* event) const
{
    // Lines dragged within the list would only come back as copies of themselves.
    const QObject* source = event->source();
    if (source && (source == m_liste || source == m_liste->viewport()))
        return false;
    return event->mimeData()->hasFormat(QStringLiteral("text/uri-list")) &&
           !localPaths(event->mimeData()->data(QStringLiteral("text/uri-list"))).isEmpty();
}

void Tdateien::dragEnterEvent(QDragEnterEvent* event)
{
    if (acceptsDrop(event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void Tdateien::dragMoveEvent(QDragMoveEvent* event)
{
    if (acceptsDrop(event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void Tdateien::dropEvent(QDropEvent* event)
{
    if (!acceptsDrop(event))
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    DropFiles(event->mimeData());
}

// ---- transfer progress ---------------------------------------------------------------

void Tdateien::TransferStarted(qint64 totalBytes)
{
    m_lines->clearFailureReasons();
    m_tally = FailureTally();
    m_progress = std::make_unique<TransferProgress>(*m_lines, totalBytes);
    m_insideFile = false;
    m_clock.start();
    m_panel->show();
    showProgress(true);
}

void Tdateien::NextFile()
{
    if (m_progress)
        m_progress->nextFile();
}

bool Tdateien::FileProgress(qint64 done, qint64 total)
{
    if (!m_progress)
        return true;
    m_progress->fileProgress(done, total);
    if (!m_insideFile) {
        m_insideFile = true;
        m_removeAction->setEnabled(false);
    }
    if (m_shown.isValid() && m_shown.elapsed() < m_interval)
        return true;
    showProgress(true);
    QCoreApplication::processEvents();
    return true;
}

void Tdateien::LineFailed(const QString& line, const QString& reason)
{
    m_lines->setFailureReason(line, reason);
    m_tally.add(reason);
    if (m_progress)
        m_progress->lineFailed();
}

void Tdateien::FileDone()
{
    if (m_insideFile) {
        m_insideFile = false;
        m_removeAction->setEnabled(true);
    }
    if (!m_progress)
        return;
    m_progress->fileDone();
    showProgress(false);
}

QStringList Tdateien::TransferEnded()
{
    m_progress.reset();
    m_insideFile = false;
    m_removeAction->setEnabled(true);
    m_panel->hide();
    return m_tally.lines();
}

void Tdateien::showProgress(bool force)
{
    if (!m_progress || (!force && m_shown.isValid() && m_shown.elapsed() < m_interval))
        return;
    m_shown.start();
    const TransferFigures figures = m_progress->figures(m_clock.elapsed());
    m_bar->setValue(figures.permille());
    m_text->setText(figures.text());
}
