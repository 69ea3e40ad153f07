#pragma once

#include <QObject>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QDialog;
class QLineEdit;
class QPushButton;
class QWidget;

// Asks for a drive name and the path of a network share to connect: a \\server\share
// path or a URL (smb://, sftp://, dav://, ftp://). The drive names offered are the
// letters after the highest one Tobrin's connections use. Its texts are English in
// every language. The owner makes a new one for each use.
class TNetPathDlg : public QObject
{
    Q_OBJECT
public:
    explicit TNetPathDlg(QWidget* owner);
    ~TNetPathDlg() override;

    QString NetDrive;      // "X:"
    QString NetPath;       // what the user typed or picked
    bool Reconnect = true; // the "Reconnect at logon" box after the dialog closed
    QStringList DriveList; // the drive names offered

    // Computes DriveList and the proposed NetDrive from Tobrin's connections.
    void FillDrives();
    // Shows the dialog modally with NetDrive and NetPath; true when OK closed it, and
    // then the three results hold what the dialog showed.
    bool Execute();
    // The "Browse" button: a folder picker in the folder of the mounted shares; a
    // chosen folder becomes NetPath (without a trailing "/").
    void BrowseClick();

    QDialog* Dialog() const { return m_dialog; }
    QComboBox* DriveBox() const { return m_drive; }
    QLineEdit* PathEdit() const { return m_path; }
    QCheckBox* ReconnectBox() const { return m_reconnect; }
    QPushButton* BrowseButton() const { return m_browse; }

private:
    QDialog* m_dialog;
    QComboBox* m_drive;
    QLineEdit* m_path;
    QCheckBox* m_reconnect;
    QPushButton* m_browse;
};
