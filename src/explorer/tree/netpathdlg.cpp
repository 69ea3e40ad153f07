#include "explorer/tree/netpathdlg.h"

#include "explorer/shell/shellhelpers.h"
#include "platform/netconnections.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

TNetPathDlg::TNetPathDlg(QWidget* owner) : QObject(owner)
{
    m_dialog = new QDialog(owner);
    m_dialog->setWindowTitle(QStringLiteral("Map Network Drive"));
    m_dialog->setFixedSize(382, 160);
    m_dialog->setBackgroundRole(QPalette::Button);

    auto* intro = new QLabel(
        QStringLiteral("Specify an avilable Drive Letter in My Computer for the connection \n"
                       "and the path to the Network Computer that you want to connect to:"),
        m_dialog);
    intro->setWordWrap(true);
    // The two lines were laid out for a small dialog font: the desktop's font may be
    // wider, so the text gets a size at which each line still fits above the fields.
    QFont font = intro->font();
    const QStringList lines = intro->text().split(QLatin1Char('\n'));
    auto widest = [&lines](const QFont& f) {
        const QFontMetrics fm(f);
        int w = 0;
        for (const QString& line : lines)
            w = std::max(w, fm.horizontalAdvance(line));
        return w;
    };
    while (widest(font) > 322 && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    intro->setFont(font);
    intro->setGeometry(28, 8, 326, std::max(26, 2 * QFontMetrics(font).lineSpacing()));
    auto* driveLabel = new QLabel(QStringLiteral("Drive"), m_dialog);
    driveLabel->setGeometry(28, 56, 30, 13);
    auto* pathLabel = new QLabel(QStringLiteral("Path"), m_dialog);
    pathLabel->setGeometry(28, 88, 30, 13);

    m_drive = new QComboBox(m_dialog);
    m_drive->setEditable(true);
    m_drive->setGeometry(60, 52, 189, 21);
    m_path = new QLineEdit(m_dialog);
    m_path->setGeometry(60, 84, 189, 21);

    auto* ok = new QPushButton(QStringLiteral("OK"), m_dialog);
    ok->setGeometry(272, 52, 75, 23);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, m_dialog, &QDialog::accept);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), m_dialog);
    cancel->setGeometry(272, 116, 75, 23);
    connect(cancel, &QPushButton::clicked, m_dialog, &QDialog::reject); // Escape too
    m_browse = new QPushButton(QStringLiteral("Browse"), m_dialog);
    m_browse->setGeometry(272, 84, 75, 23);
    m_browse->setAutoDefault(false);
    connect(m_browse, &QPushButton::clicked, this, &TNetPathDlg::BrowseClick);
    m_reconnect = new QCheckBox(QStringLiteral("Reconnect at logon"), m_dialog);
    m_reconnect->setGeometry(60, 116, 141, 21);
    m_reconnect->setChecked(true);

    QWidget::setTabOrder(m_drive, m_path);
    QWidget::setTabOrder(m_path, ok);
    QWidget::setTabOrder(ok, cancel);
    QWidget::setTabOrder(cancel, m_browse);

    FillDrives();
}

TNetPathDlg::~TNetPathDlg()
{
    delete m_dialog;
}

void TNetPathDlg::FillDrives()
{
    const platform::DriveProposal p = platform::proposeDrives(platform::netConnections());
    NetDrive = p.proposed;
    DriveList.clear();
    for (const QString& d : p.offered)
        DriveList.append(d);
    m_drive->clear();
    m_drive->addItems(DriveList);
}

bool TNetPathDlg::Execute()
{
    m_drive->setEditText(NetDrive);
    m_path->setText(NetPath);
    const bool ok = m_dialog->exec() == QDialog::Accepted;
    NetDrive = m_drive->currentText();
    NetPath = m_path->text();
    Reconnect = m_reconnect->isChecked();
    return ok;
}

void TNetPathDlg::BrowseClick()
{
    QString path;
    if (!BrowseForFolder(m_dialog, path, brNetwork, false))
        return;
    // A folder of a mounted share stands for the share's URL.
    NetPath = platform::shareUrlForFolder(RemoveBackslash(path));
    m_path->setText(NetPath);
}
