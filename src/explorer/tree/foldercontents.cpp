// The folder contents window of a tree, and the tree's ShowFolderFiles.
#include "explorer/tree/foldercontents.h"

#include "explorer/shell/iconlist.h"
#include "explorer/shell/shellhelpers.h"
#include "explorer/shell/waitcursor.h"
#include "explorer/tree/qvdirtree21.h"
#include "platform/filesystem.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

QString FilesWindowPath;

namespace {
constexpr int PathRole = Qt::UserRole;
}

TFolderContents::TFolderContents(TQvDirTree21* tree, const QString& folder) : QFrame(tree)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);

    // The title bar of a tool window.
    m_title = new QLabel(this);
    m_title->setAutoFillBackground(true);
    m_title->setBackgroundRole(QPalette::Highlight);
    m_title->setForegroundRole(QPalette::HighlightedText);
    m_title->setContentsMargins(4, 1, 4, 1);

    m_list = new QListWidget(this);
    m_list->setViewMode(QListView::ListMode);
    m_list->setFlow(QListView::TopToBottom); // names only, in columns
    m_list->setWrapping(true);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setPalette(tree->palette());
    m_list->setFont(tree->font());
    m_list->setIconSize(QSize(16, 16));
    m_list->setToolTip(QStringLiteral("LeftClick - Select\nDblClick  - Open"));
    m_list->setSortingEnabled(true);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { OpenSelected(); });

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    m_ok->setFixedSize(60, 22);
    connect(m_ok, &QPushButton::clicked, this, [this] {
        const QList<QListWidgetItem*> selected = m_list->selectedItems();
        Q_EMIT Finished(selected.isEmpty() ? QString() : ItemPath(selected.first()));
    });

    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 1, 1);
    bottom->addStretch();
    bottom->addWidget(m_ok);
    bottom->addSpacing(19);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(m_title);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);

    setGeometry(tree->rect());
    tree->installEventFilter(this);
    Fill(folder);
}

bool TFolderContents::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == parent())
        setGeometry(static_cast<QWidget*>(watched)->rect());
    return QFrame::eventFilter(watched, event);
}

void TFolderContents::SetCaption(const QString& caption)
{
    setWindowTitle(caption);
    m_title->setText(caption);
}

QString TFolderContents::Caption() const
{
    return windowTitle();
}

QString TFolderContents::ItemPath(const QListWidgetItem* item)
{
    return item ? item->data(PathRole).toString() : QString();
}

void TFolderContents::Fill(const QString& folder)
{
    const WaitCursor wait;
    const QString dir = AddBackslash(folder);
    std::vector<platform::FileInfo> entries;
    if (!dir.isEmpty())
        platform::listDirectory(dir, entries);
    m_list->setUpdatesEnabled(false);
    for (const platform::FileInfo& e : entries) {
        if (e.isDir())
            continue;
        const QString path = dir + e.name;
        auto* item = new QListWidgetItem(IconList::instance().icon(SmallIconIndex(path)), e.name);
        item->setData(PathRole, path);
        m_list->addItem(item);
    }
    m_list->sortItems();
    m_list->setUpdatesEnabled(true);
    if (m_list->count() > 0)
        m_list->setCurrentRow(0);
}

void TFolderContents::OpenSelected()
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    const QString path = ItemPath(selected.first());
    hide();
    ShellExecuteFile(QStringLiteral("Open"), platform::fileName(path), QString(),
                     platform::parentPath(path), 1);
    show();
}

// ---- the tree's side --------------------------------------------------------------

void TQvDirTree21::ShowFolderFiles()
{
    FilesWindowPath = m_selectedPath;
    QString suffix;
    QTreeWidgetItem* node = currentItem();
    if (node && IsDriveNode(node))
        suffix =
            QStringLiteral("\" ") + AddBackslash(DriveMountPoint(node)) + QStringLiteral(" \"");
    else if (node && node != RootNode())
        suffix = QStringLiteral("\" ../") + platform::fileName(RemoveBackslash(FilesWindowPath)) +
                 QStringLiteral(" \"");
    if (RootNode())
        collapseAll();

    delete m_filesWindow;
    m_filesWindow = new TFolderContents(this, FilesWindowPath);
    connect(m_filesWindow, &TFolderContents::Finished, this, [this](const QString& path) {
        SetSelectedFile(QString());
        if (!path.isEmpty()) {
            SetSelectedFile(path);
            Q_EMIT OnFileChange(this, m_selectedFile);
        }
        m_filesWindow->hide();
        m_filesWindow->deleteLater();
        m_filesWindow = nullptr;
        OpenPath(FilesWindowPath);
    });
    m_filesWindow->SetCaption(SharedText(TStrKey::StrFilesIn) + suffix);
    m_filesWindow->show();
    m_filesWindow->raise();
    m_filesWindow->List()->setFocus();
}
