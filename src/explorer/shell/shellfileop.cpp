#include "explorer/shell/shellfileop.h"

#include "core/messages.h"
#include "platform/fileoperation.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QStringBuilder>
#include <memory>

namespace {

// Questions through the message module, progress in a dialog that appears only
// when the work takes longer than a moment.
class DialogObserver : public platform::FileOpObserver
{
public:
    explicit DialogObserver(platform::FileOp op) : m_op(op) { m_clock.start(); }

    bool confirmDelete(const QStringList& paths) override
    {
        const QString text =
            paths.size() == 1
                ? QString(u"Möchten Sie \"" % paths.first() % u"\" in den Papierkorb verschieben?")
                : QString(u"Möchten Sie diese " % QString::number(paths.size()) %
                          u" Objekte in den Papierkorb verschieben?");
        return msg::AskYesNo(text, QStringLiteral("Löschen bestätigen"));
    }

    bool confirmPermanentDelete(const QString& path) override
    {
        return msg::AskYesNo(u"\"" % path %
                                 u"\" kann nicht in den Papierkorb verschoben werden.\n"
                                 u"Möchten Sie es endgültig löschen?",
                             QStringLiteral("Löschen bestätigen"));
    }

    platform::ReplaceChoice askReplace(const QString& target, bool isFolder, bool& forAll) override
    {
        const QString text =
            isFolder ? QString(u"Der Ordner \"" % target %
                               u"\" existiert bereits.\nSollen die Dateien darin zusammengeführt "
                               u"und gleichnamige Dateien ersetzt werden?")
                     : QString(u"Die Datei \"" % target %
                               u"\" existiert bereits.\nSoll sie ersetzt werden?");
        const msg::Reply reply =
            msg::Ask(msg::Message{msg::Kind::Question, QStringLiteral("Ersetzen bestätigen"), text,
                                  msg::Buttons::ReplaceSkipCancel, true});
        forAll = reply.forAll;
        switch (reply.answer) {
        case msg::Answer::Replace:
        case msg::Answer::Yes:
            return platform::ReplaceChoice::Replace;
        case msg::Answer::Skip:
        case msg::Answer::No:
            return platform::ReplaceChoice::Skip;
        default:
            return platform::ReplaceChoice::Cancel;
        }
    }

    void error(const QString& text) override { msg::ErrorBox(text); }

    bool progress(qint64 done, qint64 total, const QString& current) override
    {
        if (!m_dialog && m_clock.elapsed() > 400 && QApplication::instance()) {
            m_dialog = std::make_unique<QProgressDialog>(title(), QStringLiteral("Abbrechen"), 0,
                                                         1000, QApplication::activeWindow());
            m_dialog->setWindowTitle(QStringLiteral("Tobrin"));
            m_dialog->setMinimumDuration(0);
            m_dialog->setWindowModality(Qt::ApplicationModal);
        }
        // Showing every one of many small files would cost more than copying them:
        // the dialog follows every 40 ms, which still answers Escape at once.
        if (m_dialog && (!m_shown.isValid() || m_shown.elapsed() >= 40)) {
            m_shown.start();
            m_dialog->setLabelText(title() % u"\n" % current);
            m_dialog->setValue(total > 0 ? int(done * 1000 / total) : 0);
            QApplication::processEvents();
            if (m_dialog->wasCanceled())
                return false;
        }
        return true;
    }

private:
    QString title() const
    {
        switch (m_op) {
        case platform::FileOp::Copy:
            return QStringLiteral("Kopieren...");
        case platform::FileOp::Move:
            return QStringLiteral("Verschieben...");
        case platform::FileOp::Delete:
            return QStringLiteral("In den Papierkorb verschieben...");
        case platform::FileOp::Rename:
            return QStringLiteral("Umbenennen...");
        }
        return {};
    }

    platform::FileOp m_op;
    QElapsedTimer m_clock;
    QElapsedTimer m_shown; // since the dialog was last brought up to date
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace

bool ShellFileOp(int operation, const QString& source, const QString& target)
{
    if (operation < 1 || operation > 4)
        return false;
    const auto op = platform::FileOp(operation);
    QStringList sources = source.split(QChar(0), Qt::SkipEmptyParts);
    QString dest = target;
    dest.remove(QChar(0));
    if (sources.isEmpty())
        return false;
    DialogObserver observer(op);
    return platform::runFileOperation(op, sources, dest, observer).ok;
}
