// The send-to commands of the file list: to any folder, contents or names to the
// clipboard, a desktop shortcut, and the entries of the user's Send To folder.
#include "explorer/list/qvfilelistview28.h"

#include "core/messages.h"
#include "explorer/shell/shellfileop.h"
#include "explorer/shell/waitcursor.h"
#include "platform/clipboardfiles.h"
#include "platform/desktop.h"
#include "platform/desktopentry.h"
#include "platform/filesystem.h"
#include "platform/sendto.h"
#include "platform/volumes.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeDatabase>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>

namespace {

constexpr int BrowseResult = 10;

// A name as a display text: bytes that are not UTF-8 show as U+FFFD.
QString displayName(const QString& name)
{
    QString out = name;
    for (QChar& c : out)
        if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF)
            c = QChar::ReplacementCharacter;
    return out;
}

void reportStartFailure(const QString& fileName)
{
    msg::ErrorBox(SharedText(TStrKey::StrErrorCant) + QStringLiteral("Open") +
                  SharedText(TStrKey::StrFileWord) + fileName);
}

} // namespace

void TQvFilelistView28::SendToSpecial(int n)
{
    switch (n) {
    case 0: {
        const QString folder = AskTargetFolder(QString());
        if (!folder.isEmpty())
            CopyToFolder(folder);
        break;
    }
    case 1: {
        const QList<int> rows = SelectedRows();
        if (rows.isEmpty())
            return;
        WaitCursor wait;
        platform::setClipboardFileContents(m_model->Path(rows.first()));
        break;
    }
    case 2: {
        QStringList paths;
        for (int row : SelectedRows())
            if (!m_model->IsParent(row))
                paths.append(m_model->Path(row));
        if (!paths.isEmpty())
            platform::setClipboardPathsText(paths);
        break;
    }
    case 3:
        if (!SelectedRows().isEmpty())
            CreateDesktopShortcut();
        break;
    default:
        break;
    }
}

QString TQvFilelistView28::AskTargetFolder(const QString& initial)
{
    QDialog dialog(window());
    dialog.setObjectName(QStringLiteral("SendToFolderDialog"));
    dialog.setWindowTitle(SharedText(TStrKey::StrSendToAnyFolder));
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
    dialog.setFixedSize(333, 135);

    auto* label = new QLabel(SharedText(TStrKey::StrEnterSendToPath), &dialog);
    label->move(20, 12);
    label->adjustSize();

    auto* edit = new QLineEdit(&dialog);
    edit->setObjectName(QStringLiteral("Zielpfad"));
    edit->setGeometry(20, 32, 293, edit->sizeHint().height());
    edit->setMaxLength(285);
    edit->setText(initial);
    edit->selectAll();

    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("OK"));
    ok->setGeometry(37, 80, 75, 25);
    ok->setDefault(true);
    auto* cancel = new QPushButton(SharedText(TStrKey::StrCancel), &dialog);
    cancel->setObjectName(QStringLiteral("Abbrechen"));
    cancel->setGeometry(129, 80, 75, 25);
    auto* browse = new QPushButton(SharedText(TStrKey::StrBrowse), &dialog);
    browse->setObjectName(QStringLiteral("Durchsuchen"));
    browse->setGeometry(221, 80, 75, 25);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    QObject::connect(browse, &QPushButton::clicked, &dialog,
                     [&dialog] { dialog.done(BrowseResult); });

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dialog.move(screen->availableGeometry().center() - dialog.rect().center());
    edit->setFocus();

    const int result = dialog.exec();
    if (result == QDialog::Accepted)
        return edit->text();
    if (result == BrowseResult) {
        QString picked;
        if (BrowseForFolder(window(), picked, brDesktop, false))
            return AskTargetFolder(AddBackslash(picked));
    }
    return QString();
}

void TQvFilelistView28::CopyToFolder(const QString& folder)
{
    if (showsDriveView() || !platform::isDirectory(m_directory))
        return;
    WaitCursor wait;
    m_clipList = SelectedPaths();
    // The folder as typed: "~" is the home folder, a relative name lies below the
    // listed directory (where the current directory would have pointed).
    QString target = folder.trimmed();
    if (target == QLatin1String("~") || target.startsWith(QLatin1String("~/")))
        target = platform::homeDir() + target.mid(1);
    else if (!target.startsWith(QLatin1Char('/')))
        target = JoinPath(m_directory, target);
    target = AddBackslash(target);
    if (!m_clipList.isEmpty() && !target.isEmpty()) {
        if (!platform::isDirectory(target))
            platform::makePath(target); // a failure is reported by the copy
        QString sources;
        for (const QString& path : std::as_const(m_clipList))
            sources += AppendNul(path);
        ShellFileOp(FO_COPY, sources, target);
    }
    m_clipList.clear();
}

void TQvFilelistView28::CopyToRemovable(const QString& path)
{
    WaitCursor wait;
    if (DriveReady(platform::volumeForPath(path).mountPoint, true))
        CopyToFolder(path);
}

QString TQvFilelistView28::ResolveShortcut(const QString& path)
{
    const platform::Shortcut shortcut = platform::readShortcut(path);
    switch (shortcut.kind) {
    case platform::Shortcut::Link:
        return shortcut.target;
    case platform::Shortcut::Application: {
        const QStringList args = platform::splitExec(shortcut.exec);
        if (args.isEmpty())
            return QString();
        if (args.first().startsWith(QLatin1Char('/')))
            return args.first();
        return QStandardPaths::findExecutable(args.first());
    }
    case platform::Shortcut::Invalid:
        break;
    }
    return QString();
}

void TQvFilelistView28::SendToShortcut(const QString& path)
{
    const QStringList files = SelectedPaths();
    if (files.isEmpty())
        return;
    const platform::Shortcut shortcut = platform::readShortcut(path);
    if (shortcut.kind == platform::Shortcut::Application) {
        QString error;
        if (!platform::startApplication(shortcut, files, platform::parentPath(files.first()),
                                        &error))
            reportStartFailure(path);
        return;
    }
    if (shortcut.kind == platform::Shortcut::Invalid) {
        // A plain folder in the Send To folder is a target as well.
        if (platform::isDirectory(path))
            CopyToFolder(path);
        return;
    }
    const QString target = ResolveShortcut(path);
    if (target.isEmpty())
        return;
    if (platform::volumeForPath(target).type == platform::DriveType::Removable) {
        CopyToRemovable(target);
    } else if (platform::isDirectory(target)) {
        CopyToFolder(target);
    } else {
        // A program (or a document, which opens with its application): started with
        // the selected file in the file's folder.
        const QString file = files.first();
        if (!platform::startProgram(target, {file}, platform::parentPath(file)))
            reportStartFailure(target);
    }
}

void TQvFilelistView28::CreateDesktopShortcut()
{
    const QString desktop = ShellFolderPath(sfDesktop);
    const QStringList files = SelectedPaths();
    if (files.isEmpty()) {
        msg::ErrorBox(SharedText(TStrKey::StrNoFileSelected));
        return;
    }
    const QString path = files.first();
    const QString name = NameWithoutExt(path);
    platform::DesktopEntry entry;
    entry.type = QStringLiteral("Link");
    entry.name = displayName(name);
    entry.url = QString::fromLatin1(platform::fileUri(path));
    entry.icon =
        platform::isDirectory(path)
            ? QStringLiteral("folder")
            : QMimeDatabase().mimeTypesForFileName(platform::fileName(path)).value(0).iconName();
    bool ok = !desktop.isEmpty() && !name.isEmpty();
    if (ok) {
        if (!platform::isDirectory(desktop))
            platform::makePath(desktop);
        ok = platform::writeDesktopEntry(AddBackslash(desktop) + name + QStringLiteral(".desktop"),
                                         entry);
    }
    if (!ok)
        msg::ErrorBox(SharedText(TStrKey::StrShortcutFailed));
}
