#include "tmainform.h"

#include "core/collectionlist.h"
#include "core/filecollector.h"
#include "core/filesizes.h"
#include "core/messages.h"
#include "core/transferengine.h"
#include "env/settings.h"
#include "explorer/tree/qvdirtree21.h"
#include "explorer/list/qvfilelistview28.h"
#include "explorer/shell/waitcursor.h"
#include "info/installer.h"
#include "info/maker.h"
#include "info/tinfodialog.h"
#include "platform/desktop.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "helppage.h"
#include "tdateien.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QResizeEvent>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QUrl>
#include <algorithm>

namespace {
const QString MyComputer = QStringLiteral("My Computer");

// The panes hand over directories as absolute paths, or "My Computer" for the drive
// view, which names no directory.
bool isAbsolute(const QString& path)
{
    return path.startsWith(QLatin1Char('/'));
}

// The transfer as the window drives it: events run between two files, Escape
// raises the abort flag there, and the list window's caption shows the progress.
class WindowHooks : public TransferHooks
{
public:
    WindowHooks(Tmainform& form, Tdateien& dateien) : m_form(form), m_dateien(dateien) {}
    bool aborted() override
    {
        if (m_form.Abbruch())
            return true;
        m_dateien.NextFile();
        return false;
    }
    // The list window's progress bar moves while a large file is copied.
    bool fileProgress(qint64 done, qint64 total) override
    {
        return m_dateien.FileProgress(done, total);
    }
    void lineFailed(const QString& line, const QString& reason) override
    {
        m_dateien.LineFailed(line, reason);
    }
    void afterFile() override
    {
        m_dateien.FileDone();
        // Every pending event runs after every file, unless the list is so long that
        // laying its view out again each time would cost more than the copies; then
        // the window is kept responsive every 40 ms instead.
        if (m_form.Collection()->count() < 5000 || !m_clock.isValid() || m_clock.elapsed() >= 40) {
            QCoreApplication::processEvents();
            m_clock.start();
        }
    }
    void lineRemoved(int linesLeft) override
    {
        m_dateien.setWindowTitle(CollectionList::captionText(1, linesLeft));
    }

private:
    Tmainform& m_form;
    Tdateien& m_dateien;
    QElapsedTimer m_clock;
};
} // namespace

Tmainform::Tmainform(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Tmainform"));
    setWindowTitle(QStringLiteral("Tobrin"));

    // No layout here: the source pane is placed by Formcanresize, the target pane
    // takes the rest.
    auto* central = new QWidget(this);
    m_groupbox1 = createPane(QStringLiteral("Quelle"), QStringLiteral("1"), m_quellbaum,
                             m_splitter1, m_fileList);
    m_groupbox2 = createPane(QStringLiteral("Ziel"), QStringLiteral("2"), m_zielbaum, m_splitter2,
                             m_zieldateien);
    m_quellbaum->setObjectName(QStringLiteral("Quellbaum"));
    m_fileList->setObjectName(QStringLiteral("FileList"));
    m_zielbaum->setObjectName(QStringLiteral("Zielbaum"));
    m_zieldateien->setObjectName(QStringLiteral("Zieldateien"));
    // Files dropped anywhere on the window from elsewhere go to the target list.
    setAcceptDrops(true);
    m_groupbox1->setParent(central);
    m_groupbox2->setParent(central);
    setCentralWidget(central);
    // One simple text that stays until it is written again (a temporary message
    // would be wiped by every menu item the mouse passes).
    m_status = new QLabel(statusBar());
    m_status->setObjectName(QStringLiteral("status"));
    statusBar()->addWidget(m_status, 1);

    m_collection = new CollectionList(this);
    m_dateien = std::make_unique<Tdateien>(m_collection);
    connect(m_dateien.get(), &Tdateien::AbortRequested, this, [this] { m_abbruch = true; });
    connect(m_dateien.get(), &Tdateien::LinesAdded, this, &Tmainform::StatusAktualisieren);

    createMenu();
    // Design size: a client area of 867 x 445.
    resize(867, 445 + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    FormCreate();
    m_quellbaum->setFocus();
}

Tmainform::~Tmainform()
{
    Formclose();
}

QGroupBox* Tmainform::createPane(const QString& caption, const QString& number, TQvDirTree21*& tree,
                                 QSplitter*& splitter, TQvFilelistView28*& list)
{
    auto* box = new QGroupBox(caption);
    box->setObjectName(QStringLiteral("Groupbox") + number);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(4, 4, 4, 4);
    splitter = new QSplitter(Qt::Horizontal, box);
    splitter->setObjectName(QStringLiteral("Splitter") + number);
    splitter->setChildrenCollapsible(false);
    tree = new TQvDirTree21(splitter);
    list = new TQvFilelistView28(splitter);
    splitter->addWidget(tree);
    splitter->addWidget(list);
    // The panes follow the window's width; let them become narrow.
    tree->setMinimumWidth(40);
    list->setMinimumWidth(40);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({180, 400});
    layout->addWidget(splitter);

    // Set up as one block, then built once.
    tree->BeginLoad();
    list->BeginLoad();
    tree->SetLanguage(lnGerman);
    tree->SetFolderType(DefaultFileType);
    tree->setIndentation(23);
    list->SetDirectory(MyComputer);
    list->SetMask(QStringLiteral("*.*"));
    list->SetFileType(DefaultFileType);
    list->SetLanguage(lnGerman);
    list->SetParentDirCaption(QStringLiteral(" Up one level"));
    list->SetTimeFormat(tfShortFormat);
    list->SetColWidth_Mod(125);
    list->SetDirTree(tree);
    tree->EndLoad();
    list->EndLoad();
    return box;
}

QAction* Tmainform::addItem(QMenu* menu, const QString& name, const QString& caption,
                            void (Tmainform::*handler)(), const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (handler)
        connect(action, &QAction::triggered, this, handler);
    return action;
}

void Tmainform::createMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("Mainmenu1"));

    QMenu* datei = bar->addMenu(QStringLiteral("&Datei"));
    datei->setObjectName(QStringLiteral("Datei1"));
    addItem(datei, QStringLiteral("Aktion"), QStringLiteral("Dateien kopieren"),
            &Tmainform::Aktionclick);
    addItem(datei, QStringLiteral("Verknuepfen"), QStringLiteral("&Verknüpfung einrichten"),
            &Tmainform::Verknuepfenclick);
    addItem(datei, QStringLiteral("Information1"), QStringLiteral("&Information"),
            &Tmainform::Information1Click);
    addItem(datei, QStringLiteral("Beenden1"), QStringLiteral("&Beenden"),
            &Tmainform::Beenden1Click, QKeySequence(Qt::ALT | Qt::Key_F4));

    QMenu* bearbeiten = bar->addMenu(QStringLiteral("&Bearbeiten"));
    bearbeiten->setObjectName(QStringLiteral("Bearbeiten1"));
    addItem(bearbeiten, QStringLiteral("Hinzufuegen"),
            QStringLiteral("Dateien zur Liste &hinzufügen"), &Tmainform::Hinzufuegenclick,
            QKeySequence(Qt::CTRL | Qt::Key_C));
    addItem(bearbeiten, QStringLiteral("Dateiensuchen1"), QStringLiteral("Dateien &suchen"),
            &Tmainform::Dateiensuchen1Click, QKeySequence(Qt::CTRL | Qt::Key_F));
    addItem(bearbeiten, QStringLiteral("Anzeigefilter1"), QStringLiteral("Anzeige &Filter"),
            &Tmainform::Anzeigefilter1Click);
    addItem(bearbeiten, QStringLiteral("Delliste"), QStringLiteral("Liste &löschen"),
            &Tmainform::Dellisteclick);
    addItem(bearbeiten, QStringLiteral("Listeanzeigen1"), QStringLiteral("Liste &anzeigen"),
            &Tmainform::Listeanzeigen1Click);

    QMenu* einstellungen = bar->addMenu(QStringLiteral("&Einstellungen"));
    einstellungen->setObjectName(QStringLiteral("Einstellungen1"));
    QAction* kopieren = addItem(einstellungen, QStringLiteral("Kopieren"),
                                QStringLiteral("&Kopieren"), &Tmainform::Kopierenclick);
    QAction* verschieben = addItem(einstellungen, QStringLiteral("Verschieben"),
                                   QStringLiteral("&Verschieben"), &Tmainform::Verschiebenclick);
    kopieren->setCheckable(true);
    verschieben->setCheckable(true);
    kopieren->setChecked(true);
    for (const auto& [name, caption] :
         {std::pair{"Ueberschreiben", "&Bestehende Dateien nicht überschreiben"},
          std::pair{"Attribute", "Ignoriere Datei&attribute"},
          std::pair{"Verzeichnisstrukturerhalten", "Verzeichnisstruktur erhalten"}}) {
        // Each toggle inverts its own mark.
        QAction* toggle =
            addItem(einstellungen, QString::fromLatin1(name), QString::fromUtf8(caption), nullptr);
        toggle->setCheckable(true);
    }

    QMenu* hilfe = bar->addMenu(QStringLiteral("Hilfe"));
    hilfe->setObjectName(QStringLiteral("Hilfe1"));
    addItem(hilfe, QStringLiteral("Hilfe2"), QStringLiteral("&Hilfe"), &Tmainform::Hilfe2Click);
    // F1 anywhere in the window opens the help page at the main window's topic.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, &Tmainform::Hilfe2Click);
    addItem(hilfe, QStringLiteral("Info1"), QStringLiteral("&Info"), &Tmainform::Info1Click);
}

QAction* Tmainform::Item(const QString& name) const
{
    return menuBar()->findChild<QAction*>(name);
}

QString Tmainform::StatusText() const
{
    return m_status->text();
}

// ---- lifecycle -------------------------------------------------------------------

void Tmainform::FormCreate()
{
    m_auswahlliste.clear();
    const Fensterstatus state = FensterstatusLaden();
    m_quellbaum->OpenPath(state.quellbaum);
    m_fileList->SetDirectory(m_quellbaum->SelectedPath());
    m_zielbaum->OpenPath(state.zielbaum);
    m_zieldateien->SetDirectory(m_zielbaum->SelectedPath());
    m_suchfilter = state.filter;
}

void Tmainform::Formclose()
{
    if (m_closed)
        return;
    m_closed = true;
    m_auswahlliste.clear();
    Fensterstatus state;
    state.quellbaum = m_quellbaum->SelectedPath();
    state.zielbaum = m_zielbaum->SelectedPath();
    state.filter = m_suchfilter;
    QString error;
    // A settings file that cannot be written is reported; the window closes anyway.
    if (!FensterstatusSpeichern(state, &error))
        msg::ErrorBox(error);
}

void Tmainform::closeEvent(QCloseEvent* event)
{
    Formclose();
    m_dateien->hide();
    event->accept();
}

// Only drags from other programs: a drag out of one of our lists belongs to the tree
// it is dropped on (and would copy the target list's files onto themselves).
void Tmainform::dragEnterEvent(QDragEnterEvent* event)
{
    if (!event->source() && TQvFilelistView28::AcceptsDrop(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void Tmainform::dropEvent(QDropEvent* event)
{
    if (event->source() || !TQvFilelistView28::AcceptsDrop(event->mimeData()))
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    m_zieldateien->DropFiles(event->mimeData());
}

void Tmainform::keyPressEvent(QKeyEvent* event)
{
    if (!event->text().isEmpty())
        Formkeypress(event->text().front());
    QMainWindow::keyPressEvent(event);
}

void Tmainform::Formkeypress(QChar key)
{
    if (key == QChar(27))
        m_abbruch = true;
}

void Tmainform::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Formcanresize(frameGeometry().width());
}

void Tmainform::Formcanresize(int outerWidth)
{
    const QWidget* area = centralWidget();
    const int left = std::min(outerWidth / 2, area->width());
    m_groupbox1->setGeometry(0, 0, left, area->height());
    m_groupbox2->setGeometry(left, 0, area->width() - left, area->height());
}

// ---- options ---------------------------------------------------------------------

void Tmainform::Kopierenclick()
{
    Item(QStringLiteral("Kopieren"))->setChecked(true);
    Item(QStringLiteral("Verschieben"))->setChecked(false);
    Item(QStringLiteral("Aktion"))->setText(QStringLiteral("Dateien kopieren"));
}

void Tmainform::Verschiebenclick()
{
    Item(QStringLiteral("Kopieren"))->setChecked(false);
    Item(QStringLiteral("Verschieben"))->setChecked(true);
    Item(QStringLiteral("Aktion"))->setText(QStringLiteral("Dateien verschieben"));
}

// ---- collection list ---------------------------------------------------------------

void Tmainform::appendBatchAndShow()
{
    m_collection->appendBatch(m_auswahlliste);
    m_dateien->ShowList();
    StatusAktualisieren();
}

void Tmainform::Hinzufuegenclick()
{
    if (m_fileList->SelectedRows().isEmpty()) {
        msg::ErrorBoxWithHelp(
            QStringLiteral("Es sind keine Dateien markiert!\rMarkieren sie in der "
                           "linken Dateienliste Dateien mit Shif / STRG+Mausklick"),
            HelpUrl(200));
        return;
    }
    m_auswahlliste.clear();
    const QString dir = m_fileList->Directory();
    // In the drive view Directory is "My Computer" and the rows are volumes: their
    // paths would be relative and be looked up in the process's current directory.
    if (isAbsolute(dir)) {
        for (int row : m_fileList->SelectedRows()) {
            const QString path = dir + m_fileList->ItemCaption(row);
            platform::FileInfo info;
            if (platform::statPath(path, info) && !info.isDir())
                m_auswahlliste.append(path);
        }
    }
    appendBatchAndShow();
}

void Tmainform::Dellisteclick()
{
    m_auswahlliste.clear();
    m_collection->clear();
}

void Tmainform::Listeanzeigen1Click()
{
    m_dateien->ShowList();
}

void Tmainform::StatusAktualisieren()
{
    m_status->setText(QStringLiteral("%1 Dateien mit %2 Bytes in der Liste")
                          .arg(m_collection->count())
                          .arg(Listengroesse(*m_collection)));
    repaint();
    QCoreApplication::processEvents();
}

void Tmainform::Information1Click()
{
    msg::InfoBox(QStringLiteral("Selektiert: %1 Dateien\rmit einer Größe von %2 KB")
                     .arg(m_collection->count())
                     .arg(Listengroesse(*m_collection) / 1024));
}

void Tmainform::Beenden1Click()
{
    close();
}

void Tmainform::Anzeigefilter1Click()
{
    QString mask = m_fileList->Mask();
    if (msg::InputBox(QStringLiteral("Filter eingeben"),
                      QStringLiteral("Mehere Auswahlkriterien mit \";\" trennen"), mask))
        m_fileList->SetMask(mask);
}

void Tmainform::Dateiensuchen1Click()
{
    if (m_quellbaum->SelectedPath().isEmpty()) {
        msg::ErrorBox(
            QStringLiteral("Zuerst im Linken Baum ein Laufwerk / Verzeichnis auswählen !"));
        return;
    }
    QString mask = m_suchfilter;
    if (!msg::InputBox(
            QStringLiteral("Dateien suchen"),
            QStringLiteral("Suche in Unterverzeichnissen von\r\n") + m_fileList->Directory(), mask))
        return;
    m_suchfilter = mask;
    {
        const WaitCursor wait;
        m_auswahlliste.clear();
        // "My Computer" holds no files of its own; as a relative path it would name a
        // folder in the process's current directory.
        const QString dir = m_fileList->Directory();
        if (isAbsolute(dir))
            SucheDateien(dir, m_suchfilter, m_auswahlliste, false);
    }
    appendBatchAndShow();
}

// ---- transfer ----------------------------------------------------------------------

void Tmainform::Aktionclick()
{
    const QString target = m_zielbaum->SelectedPath();
    // The root of the target tree names no directory: refused like no selection.
    if (target.isEmpty() || target.compare(MyComputer, Qt::CaseInsensitive) == 0) {
        msg::ErrorBox(TextKeinZiel);
        return;
    }
    if (m_collection->isEmpty()) {
        msg::InfoBox(TextListeLeer);
        return;
    }
    Uebertragen(Item(QStringLiteral("Kopieren"))->isChecked());
}

void Tmainform::Uebertragen(bool kopierend)
{
    // A second transfer started from within a running one would move the lines under it.
    if (m_dateien->TransferRunning()) {
        msg::Beep();
        return;
    }
    const QString target = m_zieldateien->Directory();
    const SpaceCheck space = checkFreeSpace(*m_collection, target, !kopierend);
    if (!space.passes) {
        msg::ErrorBox(space.refusalText());
        return;
    }
    m_dateien->ShowList();
    TransferOptions options;
    options.copy = kopierend;
    options.noOverwrite = Item(QStringLiteral("Ueberschreiben"))->isChecked();
    options.ignoreAttributes = Item(QStringLiteral("Attribute"))->isChecked();
    options.keepStructure = Item(QStringLiteral("Verzeichnisstrukturerhalten"))->isChecked();
    m_abbruch = false;
    TransferResult result;
    {
        const WaitCursor wait;
        WindowHooks hooks(*this, *m_dateien);
        m_dateien->TransferStarted(space.totalBytes);
        result = ::Uebertragen(*m_collection, target, options, hooks);
    }
    // One line per reason of the lines that stayed.
    const QStringList failures = m_dateien->TransferEnded();
    if (result.aborted)
        return;
    m_zieldateien->UpdateFileList();
    m_status->setText(result.statusText);
    msg::InfoBox(failures.isEmpty() ? result.statusText
                                    : result.statusText + QLatin1Char('\r') +
                                          failures.join(QLatin1Char('\r')));
}

// ---- help --------------------------------------------------------------------------

QString Tmainform::HelpUrl(int topic)
{
    const QString page = helpPagePath(platform::programPath());
    return QUrl::fromEncoded("file://" + platform::encodeName(page).toPercentEncoding("/"))
               .toString() +
           QLatin1Char('#') + QString::number(topic);
}

void Tmainform::Hilfe2Click()
{
    QString error;
    if (!platform::openHelpPage(HelpUrl(100), &error))
        msg::ErrorBox(error);
}

// ---- shortcuts and info ------------------------------------------------------------

void Tmainform::Verknuepfenclick()
{
    installer::Verknuepfenclick();
}

// A new window each time, not modal: several may be open at once.
void Tmainform::Info1Click()
{
    auto* dialog = new Tinfodialog(this);
    dialog->SetArchiveName(QStringLiteral("tobrin.zip"));
    dialog->SetHomepageAddress(maker::Homepage);
    dialog->SetMailAddress(maker::MailAddress);
    dialog->show();
}
