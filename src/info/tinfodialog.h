#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <initializer_list>

class HttpClient;
class QLabel;
class QPushButton;
class QStatusBar;
class QUrl;

// The info dialogs' nine texts. They are shared by every dialog of the process: German
// at start, English from the first dialog created for a user whose language is not
// German on. %f stands for a number with two decimals and the locale's decimal
// separator, %d for an integer, "\r" for a line break.
struct DialogTextSet
{
    QString TxtFrom;
    QString TxtAskUpdate;
    QString TxtNoUnzipper;
    QString TxtSaveFilter; // "description|patterns" pairs joined by "|"
    QString TxtCaption;
    QString TxtProgress;
    QString TxtInstallNote;
    QString TxtConnectError;
    QString TxtNoNewer;

    static DialogTextSet German();
    static DialogTextSet English();
};
DialogTextSet& DialogTexts();

// A dialog text with its %f and %d filled in from args in order.
QString FormatDialogText(const QString& text, std::initializer_list<double> args);

// The info window: version, the program file's date, copyright and homepage, and
// buttons to close it, visit the homepage, write to the maker and check for (and fetch)
// a newer version. It is not modal; every opening creates a new one, and closing frees
// it. While an update check runs, its button is disabled; closing the window then ends
// the check without a word.
class Tinfodialog : public QDialog
{
    Q_OBJECT
public:
    explicit Tinfodialog(QWidget* owner = nullptr);
    ~Tinfodialog() override;

    // The update archive's file name on the server ("tobrin.zip").
    const QString& ArchiveName() const { return m_archiveName; }
    void SetArchiveName(const QString& name) { m_archiveName = name; }
    const QString& HomepageAddress() const { return m_homepageAddress; }
    void SetHomepageAddress(const QString& address) { m_homepageAddress = address; }
    // A display name in double quotes followed by the address in angle brackets.
    const QString& MailAddress() const { return m_mailAddress; }
    void SetMailAddress(const QString& address) { m_mailAddress = address; }
    const QString& VersionString() const { return m_versionString; }
    // The Content-Length of the latest HEAD answer, -1 when it had none.
    int TotalBytes() const { return m_totalBytes; }
    // The status bar's progress text.
    QString StatusText() const;
    HttpClient& Http() const { return *m_http; }

    void Okbutclick();
    // Fetches the version file, compares its number with ours and, when they differ
    // and the user agrees, downloads the archive, saves it under a name ending in ".zip"
    // the user picks, opens it and says what to do next. Shows its messages itself.
    void Getnewversionclick();
    void Homepagebutclick();
    void Emailbutclick();

    // One fetch: HEAD for TotalBytes, then GET of the body. False on any failure, also
    // for a length that does not fit in 32 bits.
    bool DownloadText(const QUrl& url, QByteArray& body);
    // Progress of a fetch: the status bar shows the bytes so far of TotalBytes.
    void httpWork(qint64 count);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Escape closes (and so frees) the window like the OK button.
    void reject() override;

private:
    void FormCreate();
    void FormShow();
    void Formclose();
    void updateCheck();
    bool askSaveName(QString& fileName);
    // Runs open, which waits for the desktop with the events running; a close
    // meanwhile frees the window only after it has returned.
    bool waitForDesktop(const std::function<bool()>& open);
    // Frees a window closed during a check or a wait once none of them runs any more.
    void freeIfClosed();

    QLabel* m_versionlabel = nullptr;
    QLabel* m_datumlabel = nullptr;
    QLabel* m_copyrightlabel = nullptr;
    QLabel* m_homepagelabel = nullptr;
    QPushButton* m_okbut = nullptr;
    QPushButton* m_getnewversion = nullptr;
    QPushButton* m_homepagebut = nullptr;
    QPushButton* m_emailbut = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_statusText = nullptr;
    HttpClient* m_http = nullptr;

    QString m_archiveName;
    QString m_homepageAddress;
    QString m_mailAddress;
    QString m_versionString;
    int m_totalBytes = 0;
    bool m_checking = false; // an update check is running
    int m_waiting = 0;       // handlers waiting for the desktop to open something
    bool m_closedWhileChecking = false;
};
