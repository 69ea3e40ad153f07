#include "dirwatcher.h"

#include "filesystem.h"
#include "namecodec.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {
constexpr uint32_t FolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                  IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
bool g_activeByDefault = true;
} // namespace

void DirWatcher::setActiveByDefault(bool active)
{
    g_activeByDefault = active;
}

DirWatcher::DirWatcher(QObject* parent) : QObject(parent)
{
    m_delay.setSingleShot(true);
    m_delay.setInterval(100);
    connect(&m_delay, &QTimer::timeout, this, &DirWatcher::changed);

    m_inotify.reset(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (m_inotify) {
        m_inotifyNotifier =
            std::make_unique<QSocketNotifier>(m_inotify.get(), QSocketNotifier::Read);
        connect(m_inotifyNotifier.get(), &QSocketNotifier::activated, this,
                &DirWatcher::readEvents);
    }
    // The kernel marks the mount table with POLLPRI whenever a mount comes or goes.
    m_mounts.reset(::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC));
    if (m_mounts) {
        drainMounts();
        m_mountNotifier =
            std::make_unique<QSocketNotifier>(m_mounts.get(), QSocketNotifier::Exception);
        connect(m_mountNotifier.get(), &QSocketNotifier::activated, this,
                &DirWatcher::mountsChanged);
    }
    setActive(g_activeByDefault);
}

DirWatcher::~DirWatcher() = default;

void DirWatcher::setActive(bool active)
{
    m_active = active;
    if (m_inotifyNotifier)
        m_inotifyNotifier->setEnabled(active);
    if (m_mountNotifier)
        m_mountNotifier->setEnabled(active && m_watchMounts);
    if (!active) {
        m_delay.stop();
        m_changes = Changes();
    }
}

DirWatcher::Changes DirWatcher::takeChanges()
{
    return std::exchange(m_changes, Changes());
}

bool DirWatcher::watch(const QString& dir)
{
    const QString key = withoutTrailingSlash(dir);
    if (!m_inotify)
        return false;
    if (m_byPath.contains(key))
        return true;
    const int wd = ::inotify_add_watch(m_inotify.get(), encodeName(key).constData(), FolderEvents);
    if (wd < 0)
        return false;
    // Two paths can lead to one directory (links): the kernel hands out one watch.
    if (const auto old = m_byWatch.constFind(wd); old != m_byWatch.constEnd())
        m_byPath.remove(old.value());
    m_byPath.insert(key, wd);
    m_byWatch.insert(wd, key);
    return true;
}

void DirWatcher::setWatchMounts(bool watch)
{
    m_watchMounts = watch;
    if (m_mountNotifier)
        m_mountNotifier->setEnabled(m_active && watch);
}

void DirWatcher::clear()
{
    for (auto it = m_byWatch.constBegin(); it != m_byWatch.constEnd(); ++it)
        ::inotify_rm_watch(m_inotify.get(), it.key());
    m_byPath.clear();
    m_byWatch.clear();
}

void DirWatcher::readEvents()
{
    alignas(inotify_event) char buffer[16384];
    bool relevant = false;
    for (;;) {
        const ssize_t n = ::read(m_inotify.get(), buffer, sizeof buffer);
        if (n <= 0)
            break;
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + e->len);
            if (e->mask & IN_Q_OVERFLOW) {
                relevant = true;
                m_changes.everything = true;
            } else if (e->mask & IN_IGNORED) {
                const QString path = m_byWatch.take(e->wd);
                m_byPath.remove(path);
            } else if (e->mask & (IN_DELETE_SELF | IN_MOVE_SELF)) {
                relevant = true;
                m_changes.everything = true;
            } else if (e->mask & IN_ISDIR) {
                relevant = true;
                if (const auto dir = m_byWatch.constFind(e->wd); dir != m_byWatch.constEnd())
                    m_changes.dirs.insert(dir.value());
                else
                    m_changes.everything = true;
            }
        }
    }
    if (relevant)
        schedule();
}

void DirWatcher::mountsChanged()
{
    drainMounts();
    m_changes.everything = true;
    schedule();
}

void DirWatcher::drainMounts()
{
    // Reading to the end re-arms the notification.
    char buffer[8192];
    ::lseek(m_mounts.get(), 0, SEEK_SET);
    while (::read(m_mounts.get(), buffer, sizeof buffer) > 0) {
    }
}

void DirWatcher::schedule()
{
    if (!m_delay.isActive())
        m_delay.start();
}

} // namespace platform
