#include "filecollector.h"

#include "mask.h"
#include "platform/filesystem.h"

#include <utility>
#include <vector>

namespace {

// One Durchsuche call: its mask, its target list and the directories on the current
// path (device and inode), which keep links from leading the walk in a circle.
class Collector
{
public:
    Collector(const QString& maske, QStringList& liste, bool rekursiv)
        : m_mask(maske), m_liste(liste), m_rekursiv(rekursiv)
    {
    }

    void start(const QString& pfad)
    {
        platform::FileInfo info;
        if (!platform::statPath(pfad, info) || !info.isDir())
            return;
        m_ancestors.emplace_back(info.device, info.inode);
        DurchsucheVerzeichnis(pfad);
    }

private:
    // One level of the walk; pfad ends in "/".
    void DurchsucheVerzeichnis(const QString& pfad)
    {
        std::vector<QString> subdirs;
        platform::walkDirectory(pfad, [&](const QString& name, platform::EntryKind kind) {
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
            if (!platform::statPath(sub, info) || !info.isDir() || onPath(info))
                continue;
            m_ancestors.emplace_back(info.device, info.inode);
            DurchsucheVerzeichnis(sub);
            m_ancestors.pop_back();
        }
    }

    bool onPath(const platform::FileInfo& info) const
    {
        for (const auto& [device, inode] : m_ancestors)
            if (device == info.device && inode == info.inode)
                return true;
        return false;
    }

    const Mask m_mask;
    QStringList& m_liste;
    const bool m_rekursiv;
    std::vector<std::pair<quint64, quint64>> m_ancestors;
};

} // namespace

void Durchsuche(const QString& verzeichnis, const QString& maske, QStringList& liste, bool leeren,
                bool rekursiv)
{
    if (leeren)
        liste.clear();
    if (verzeichnis.isEmpty())
        return;
    QString pfad = verzeichnis;
    if (!pfad.endsWith(QLatin1Char('/')))
        pfad += QLatin1Char('/');
    Collector(maske, liste, rekursiv).start(pfad);
}

void SucheDateien(const QString& verzeichnis, const QString& maske, QStringList& liste, bool leeren)
{
    Durchsuche(verzeichnis, maske, liste, leeren, true);
}
