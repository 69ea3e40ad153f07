#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

#include "uniquefd.h"

namespace platform {

// Watches directories for folders created, deleted or renamed in them (file
// events are ignored) and the mount table for volumes coming and going. Events
// that arrive together are reported as one changed() signal. One inotify
// instance per watcher; each tree owns one.
class DirWatcher : public QObject
{
    Q_OBJECT
public:
    explicit DirWatcher(QObject* parent = nullptr);
    ~DirWatcher() override;

    // Starts watching dir (idempotent). False when inotify refuses (limit reached,
    // directory gone); the rest of the program works on without it.
    bool watch(const QString& dir);
    // Forgets every directory (the mount table stays watched).
    void clear();
    int watchCount() const { return int(m_byPath.size()); }

    // Whether volumes coming and going are reported too (on by default).
    void setWatchMounts(bool watch);
    // Whether anything is reported at all. New watchers take the process default,
    // which test programs turn off so that unrelated changes on the machine cannot
    // rebuild their trees midway.
    void setActive(bool active);
    static void setActiveByDefault(bool active);

    // How long events are gathered before changed() fires.
    void setDelay(int milliseconds) { m_delay.setInterval(milliseconds); }

    // What changed() is about: the watched directories that had folders created,
    // deleted or renamed in them, or everything when the mount table changed, events
    // were lost or a watched directory itself went away.
    struct Changes
    {
        bool everything = false;
        QSet<QString> dirs; // as given to watch(), without a trailing "/"
    };
    // The changes gathered since the last call; they are forgotten here.
    Changes takeChanges();

Q_SIGNALS:
    void changed();

private:
    void readEvents();
    void mountsChanged();
    void drainMounts();
    void schedule();

    UniqueFd m_inotify;
    UniqueFd m_mounts;
    std::unique_ptr<QSocketNotifier> m_inotifyNotifier;
    std::unique_ptr<QSocketNotifier> m_mountNotifier;
    QHash<QString, int> m_byPath;
    QHash<int, QString> m_byWatch;
    Changes m_changes;
    QTimer m_delay;
    bool m_active = true;
    bool m_watchMounts = true;
};

} // namespace platform
