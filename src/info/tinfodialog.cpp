#include "tinfodialog.h"

#include "core/messages.h"
#include "httpclient.h"
#include "installer.h"
#include "maker.h"
#include "platform/desktop.h"
#include "platform/filesystem.h"
#include "platform/namecodec.h"
#include "platform/wholefile.h"
#include "updatecheck.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>
#include <limits>

// ---- texts ---------------------------------------------------------------------------

DialogTextSet DialogTextSet::German()
{
    return {
        QStringLiteral("vom "),
        QStringLiteral("Version %f, auf dem Server ist %f.\rAktualisieren?"),
        QStringLiteral("ZIP Entpacker kann nicht geöffnet werden !"),
        QStringLiteral("Alles (*.*)|*.*"),
        QStringLiteral("Info über "),
        QStringLiteral("Heruntergeladen %d von %d Bytes"),
        QStringLiteral("Installierte Version %f\rVersion auf dem Server %f\rBitte beenden Sie nun "
                       "zuerst dieses Programm.\rDanach entpacken Sie nun die Dateien im Zip "
                       "Archiv in ihr Programmverzeichnis"),
        QStringLiteral("Problem beim Verbinden mit dem Server"),
        QStringLiteral("Derzeit befindet sich keine aktuellere Version auf dem Server"),
    };
}

DialogTextSet DialogTextSet::English()
{
    return {
        QStringLiteral("from : "),
        QStringLiteral("Version %f, on the Server you find %f.\rdo you want to upgrade?"),
        QStringLiteral("ZIP Decompressor can not be started!"),
        QStringLiteral("Anything (*.*)|*.*"),
        QStringLiteral("Info about "),
        QStringLiteral("%d of %d Bytes downloaded"),
        QStringLiteral("Installed version %f\rVersion on the Server %f\rPlease close now this "
                       "program.\rafter that pleas unzip the files of the zip archive in the "
                       "installation folder"),
        QStringLiteral("Error when connecting the server!"),
        QStringLiteral("You have the actual version installed!"),
    };
}

DialogTextSet& DialogTexts()
{
    static DialogTextSet texts = DialogTextSet::German();
    return texts;
}

QString FormatDialogText(const QString& text, std::initializer_list<double> args)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    QString out;
    auto arg = args.begin();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (c == QLatin1Char('%') && (next == QLatin1Char('f') || next == QLatin1Char('d')) &&
            arg != args.end()) {
            out += next == QLatin1Char('f') ? locale.toString(*arg, 'f', 2)
                                            : QString::number(qint64(*arg));
            ++arg;
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

// The Windows-style filter "description|patterns|..." as Qt's "description (patterns)".
// "*.*" meant every file there; here that is "*".
QStringList nameFilters(const QString& filter)
{
    QStringList out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        if (const qsizetype open = description.indexOf(QLatin1Char('(')); open >= 0)
            description.truncate(open);
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns)
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        out.append(description.trimmed() + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')'));
    }
    return out;
}

// The locale's short date with a four-digit year and its long time without the zone.
QString dateTimePattern()
{
    const QLocale locale;
    QString date = locale.dateFormat(QLocale::ShortFormat);
    if (!date.contains(QLatin1String("yyyy")))
        date.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    QString time;
    bool quoted = false;
    for (const QChar c : locale.timeFormat(QLocale::LongFormat)) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            time += c;
    }
    return date + QLatin1Char(' ') + time.trimmed();
}

// The program file's modification time in local time, to two seconds as the date has
// always been shown; empty when the file cannot be read.
QString programDateText()
{
    platform::FileInfo info;
    if (!platform::statPath(platform::programPath(), info))
        return QString();
    qint64 seconds = info.mtimeNs / 1000000000;
    if (info.mtimeNs < 0 && info.mtimeNs % 1000000000 != 0)
        --seconds;
    seconds -= ((seconds % 2) + 2) % 2;
    const QDateTime time = QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
    return QLocale().toString(time, dateTimePattern());
}

// The help page beside the program, at this window's topic.
QString helpUrl()
{
    const QByteArray page = platform::encodeName(platform::programPath() + QStringLiteral(".html"));
    return QString::fromLatin1("file://" + page.toPercentEncoding("/") + "#32000");
}

// A small envelope for the mail button where the icon theme has none.
QIcon envelopeIcon(const QColor& ink)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ink, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(1.5, 3.5, 13, 9));
    const QPointF flap[] = {{1.5, 3.5}, {8, 9}, {14.5, 3.5}};
    painter.drawPolyline(flap, 3);
    return QIcon(pixmap);
}

} // namespace

// ---- the window ----------------------------------------------------------------------

Tinfodialog::Tinfodialog(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("Infodialog"));
    m_http = new HttpClient(this);
    connect(m_http, &HttpClient::Work, this, &Tinfodialog::httpWork);

    const auto label = [this](const char* name, const QString& hint) {
        auto* l = new QLabel(this);
        l->setObjectName(QLatin1String(name));
        l->setToolTip(hint);
        return l;
    };
    m_versionlabel = label("versionlabel",
                           QStringLiteral("Geben Sie diese Informationen bei Kontaktaufnahme an"));
    m_datumlabel = label("datumlabel", QStringLiteral("Speicherdatum dieser Version"));
    m_copyrightlabel =
        label("copyrightlabel", QStringLiteral("Der Programmierer dieses Programmes"));
    m_copyrightlabel->setText(maker::Copyright);
    m_homepagelabel =
        label("homepagelabel", QStringLiteral("Die Homepage mit interessanten Themen"));

    const auto button = [this](const char* name, const QString& caption, const QIcon& glyph,
                               const QString& hint, void (Tinfodialog::*handler)()) {
        auto* b = new QPushButton(glyph, caption, this);
        b->setObjectName(QLatin1String(name));
        b->setToolTip(hint);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, handler);
        return b;
    };
    m_okbut =
        button("okbut", QStringLiteral("&OK"), style()->standardIcon(QStyle::SP_DialogOkButton),
               QString(), &Tinfodialog::Okbutclick);
    m_okbut->setDefault(true);
    m_getnewversion =
        button("getnewversion", QStringLiteral("&Neue Version"),
               QIcon::fromTheme(QStringLiteral("system-software-update"),
                                style()->standardIcon(QStyle::SP_ArrowDown)),
               QStringLiteral("Holt eine neue Version dieses Programmes über das Internet"),
               &Tinfodialog::Getnewversionclick);
    m_homepagebut = button(
        "homepagebut", QStringLiteral("&Homepage"),
        QIcon::fromTheme(QStringLiteral("go-home"), style()->standardIcon(QStyle::SP_DirHomeIcon)),
        QStringLiteral("Springt zur Homepage des Autors"), &Tinfodialog::Homepagebutclick);
    m_emailbut =
        button("emailbut", QStringLiteral("&Mail schreiben"),
               QIcon::fromTheme(QStringLiteral("mail-send"),
                                envelopeIcon(palette().color(QPalette::WindowText))),
               QStringLiteral("Schreibt E-Mail an den Autor"), &Tinfodialog::Emailbutclick);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusBar->setSizeGripEnabled(false);
    m_statusText = new QLabel(m_statusBar);
    m_statusText->setObjectName(QStringLiteral("StatusText"));
    m_statusBar->addWidget(m_statusText, 1);

    // Labels one above the other, the buttons in a row below them, the status bar at
    // the bottom.
    auto* content = new QVBoxLayout;
    content->setContentsMargins(12, 10, 12, 10);
    content->setSpacing(4);
    for (QLabel* l : {m_versionlabel, m_datumlabel, m_copyrightlabel, m_homepagelabel})
        content->addWidget(l);
    content->addStretch(1);
    content->addSpacing(8);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    for (QPushButton* b : {m_okbut, m_getnewversion, m_homepagebut, m_emailbut})
        buttons->addWidget(b);
    buttons->addStretch(1);
    content->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addLayout(content, 1);
    outer->addWidget(m_statusBar);

    FormCreate();
    // The design size, 489 x 194 at 120 dpi, is the least it takes.
    resize(sizeHint().expandedTo(QSize(391, 155)));
}

Tinfodialog::~Tinfodialog() = default;

QString Tinfodialog::StatusText() const
{
    return m_statusText->text();
}

void Tinfodialog::FormCreate()
{
    m_archiveName = ChangeFileExt(platform::fileName(platform::programPath()).toLower(),
                                  QStringLiteral(".zip"));
    m_homepageAddress = maker::Homepage;
    m_mailAddress = maker::MailAddress;
    if (installer::UILanguage() != 0) {
        m_getnewversion->setText(QStringLiteral("&Get new version"));
        m_homepagebut->setText(QStringLiteral("Visit &homepage"));
        m_emailbut->setText(QStringLiteral("Send &email"));
        DialogTexts() = DialogTextSet::English();
    }
    setWindowTitle(DialogTexts().TxtCaption + QCoreApplication::applicationName());
}

void Tinfodialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void Tinfodialog::FormShow()
{
    m_versionString.clear();
    installer::VersionText(m_versionString);
    m_versionlabel->setText(QStringLiteral("Version : ") + m_versionString);
    m_homepagelabel->setText(QStringLiteral("Homepage: ") + m_homepageAddress);
    m_datumlabel->setText(DialogTexts().TxtFrom + programDateText());
}

void Tinfodialog::Okbutclick()
{
    close();
}

void Tinfodialog::reject()
{
    close();
}

void Tinfodialog::closeEvent(QCloseEvent* event)
{
    Formclose();
    event->accept();
}

void Tinfodialog::Formclose()
{
    // A running check or a wait for the desktop is inside one of our handlers: the
    // check is ended, and the window is freed once the handlers have unwound.
    if (m_checking || m_waiting > 0) {
        m_closedWhileChecking = true;
        m_http->Abort();
        return;
    }
    deleteLater();
}

void Tinfodialog::freeIfClosed()
{
    if (m_closedWhileChecking && !m_checking && m_waiting == 0)
        deleteLater();
}

bool Tinfodialog::waitForDesktop(const std::function<bool()>& open)
{
    ++m_waiting;
    const bool opened = open();
    --m_waiting;
    freeIfClosed();
    return opened;
}

void Tinfodialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        QString error;
        if (!waitForDesktop([&] { return platform::openHelpPage(helpUrl(), &error); }))
            msg::ErrorBox(error);
        return;
    }
    QDialog::keyPressEvent(event);
}

void Tinfodialog::Homepagebutclick()
{
    waitForDesktop([this] { return platform::openWithDefaultApp(m_homepageAddress); });
}

void Tinfodialog::Emailbutclick()
{
    const QUrl mail(QStringLiteral("mailto:") + m_mailAddress);
    waitForDesktop(
        [&] { return platform::openWithDefaultApp(QString::fromLatin1(mail.toEncoded())); });
}

// ---- update check --------------------------------------------------------------------

bool Tinfodialog::DownloadText(const QUrl& url, QByteArray& body)
{
    qint64 length = -1;
    if (!m_http->Head(url, length))
        return false;
    // The length has always been kept in 32 bits; more cannot be an update of ours.
    if (length > std::numeric_limits<qint32>::max())
        return false;
    m_totalBytes = int(length);
    return m_http->Get(url, body);
}

void Tinfodialog::httpWork(qint64 count)
{
    // The waiting fetch keeps the event loop running, so the text is painted.
    m_statusText->setText(
        FormatDialogText(DialogTexts().TxtProgress, {double(count), double(m_totalBytes)}));
}

void Tinfodialog::Getnewversionclick()
{
    if (m_checking)
        return;
    m_checking = true;
    m_getnewversion->setEnabled(false);
    updateCheck();
    m_checking = false;
    if (m_closedWhileChecking) {
        freeIfClosed();
        return;
    }
    m_getnewversion->setEnabled(true);
}

void Tinfodialog::updateCheck()
{
    const DialogTextSet& texts = DialogTexts();
    const QString downloadDir = UpdateDownloadDir();
    QByteArray versionFile;
    // A version file that cannot be fetched says nothing about the server's version.
    if (!DownloadText(QUrl(downloadDir + ChangeFileExt(m_archiveName, QStringLiteral(".ver"))),
                      versionFile)) {
        if (!m_closedWhileChecking)
            msg::InfoBox(texts.TxtConnectError);
        return;
    }
    const double server = ServerVersionNumber(versionFile);
    double own = 0;
    if (!installer::VersionNumber(own))
        return;
    if (own == server) {
        msg::InfoBox(texts.TxtNoNewer);
        return;
    }
    if (!msg::AskYesNo(FormatDialogText(texts.TxtAskUpdate, {own, server})))
        return;

    QByteArray archive;
    if (!DownloadText(QUrl(downloadDir + m_archiveName), archive)) {
        if (!m_closedWhileChecking)
            msg::InfoBox(texts.TxtConnectError);
        return;
    }
    QString fileName;
    if (!askSaveName(fileName))
        return;
    fileName = ChangeFileExt(fileName, QStringLiteral(".zip"));
    // Written whole or not at all: a failure leaves no broken archive behind.
    if (!platform::writeFileAtomically(fileName, archive)) {
        msg::InfoBox(texts.TxtConnectError);
        return;
    }
    // The opener's verdict is awaited with the events running: the window may have
    // been closed meanwhile.
    const bool opened = platform::openWithDefaultApp(fileName);
    if (m_closedWhileChecking)
        return;
    if (!opened)
        msg::InfoBox(texts.TxtNoUnzipper);
    msg::InfoBox(FormatDialogText(texts.TxtInstallNote, {own, server}));
}

bool Tinfodialog::askSaveName(QString& fileName)
{
    const QString program = platform::programPath();
    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("SaveDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The archive replaces a file of its name, as it always has.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(nameFilters(DialogTexts().TxtSaveFilter));
    dialog.setDefaultSuffix(QStringLiteral("zip"));
    dialog.setDirectory(platform::parentPath(program));
    dialog.selectFile(ChangeFileExt(program, QStringLiteral(".zip")));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    fileName = dialog.selectedFiles().constFirst();
    return !fileName.isEmpty();
}
