#include "filecollector.h"

#include "fileidset.h"
#include "mask.h"
#include "platform/filesystem.h"

#include <utility>
#include <vector>

namespace {

// One Durchsuche call: its mask, its target list and the directories walked so far
// (device and inode), which keep links from leading the walk in circles.
class Collector
{
public:
    Collector(const QString& maske, QStringList& liste, bool rekursiv)
        : m_mask(maske), m_liste(liste), m_rekursiv(rekursiv)
    {
    }

    bool start(const QString& pfad)
    {
        platform::FileInfo info;
        if (!platform::statPath(pfad, info) || !info.isDir())
            return false;
        m_walked.insert(info.device, info.inode);
        return DurchsucheVerzeichnis(pfad);
    }

private:
    // One level of the walk; pfad ends in "/".
    bool DurchsucheVerzeichnis(const QString& pfad)
    {
        std::vector<QString> subdirs;
        const bool read = platform::walkDirectory(pfad, [&](const QString& name,
                                                            platform::EntryKind kind) {
            if (kind == platform::EntryKind::Directory) {
                if (m_rekursiv)
                    subdirs.push_back(name);
            } else if (m_mask.matches(name)) {
                m_liste.append(pfad + name);
            }
            return true;
        });
        // The directory is closed again before descending: open descriptors stay
        // at one however deep the tree goes.
        for (const QString& name : subdirs) {
            const QString sub = pfad + name + QLatin1Char('/');
            platform::FileInfo info;
            if (!platform::statPath(sub, info) || !info.isDir() ||
                !m_walked.insert(info.device, info.inode))
                continue;
            DurchsucheVerzeichnis(sub);
        }
        return read;
    }


    const Mask m_mask;
    QStringList& m_liste;
    const bool m_rekursiv;
    FileIdSet m_walked;
};

} // namespace

bool Durchsuche(const QString& verzeichnis, const QString& maske, QStringList& liste, bool leeren,
                bool rekursiv)
{
    if (leeren)
        liste.clear();
    if (verzeichnis.isEmpty())
        return false;
    QString pfad = verzeichnis;
    if (!pfad.endsWith(QLatin1Char('/')))
        pfad += QLatin1Char('/');
    return Collector(maske, liste, rekursiv).start(pfad);
}

bool SucheDateien(const QString& verzeichnis, const QString& maske, QStringList& liste, bool leeren)
{
    return Durchsuche(verzeichnis, maske, liste, leeren, true);
}
