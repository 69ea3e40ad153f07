#include "platform/treesize.h"

#include "platform/namecodec.h"
#include "platform/uniquefd.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace platform {

namespace {

using FileId = std::pair<dev_t, ino_t>;

// Folders still to read, shared by the workers. A folder is queued by its path; the
// workers take them in any order, which the sum does not care about.
class Walk
{
public:
    explicit Walk(int threads) : m_threads(threads) {}

    void run(const QByteArray& top)
    {
        struct stat st;
        if (::stat(top.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return;
        m_seenDirs.insert({st.st_dev, st.st_ino});
        m_queue.push_back(top);
        std::vector<std::thread> workers;
        for (int i = 1; i < m_threads; ++i) {
            try {
                workers.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break; // no more threads to be had (a process limit): fewer walk
            }
        }
        work();
        for (std::thread& t : workers)
            t.join();
    }

    TreeSize result;

private:
    void work()
    {
        TreeSize local;
        std::vector<QByteArray> found;
        for (;;) {
            QByteArray dir;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return !m_queue.empty() || m_busy == 0; });
                if (m_queue.empty())
                    break; // nothing queued and nobody who could queue more
                dir = std::move(m_queue.front());
                m_queue.pop_front();
                ++m_busy;
            }
            found.clear();
            readFolder(dir, local, found);
            {
                std::lock_guard lock(m_mutex);
                for (QByteArray& d : found)
                    m_queue.push_back(std::move(d));
                --m_busy;
            }
            m_wake.notify_all();
        }
        std::lock_guard lock(m_mutex);
        result.bytes += local.bytes;
        result.files += local.files;
        result.folders += local.folders;
        result.unreadable += local.unreadable;
    }

    // Reads one folder: files are added to local, subfolders not seen before go to
    // found. Hard-linked files are checked against the shared set right away.
    void readFolder(const QByteArray& dir, TreeSize& local, std::vector<QByteArray>& found)
    {
        UniqueFd fd(::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!fd.valid()) {
            ++local.unreadable;
            return;
        }
        DIR* d = ::fdopendir(fd.get());
        if (!d) {
            ++local.unreadable;
            return;
        }
        const int dfd = fd.release();
        ++local.folders;
        const QByteArray prefix = dir.endsWith('/') ? dir : dir + '/';
        while (dirent* e = ::readdir(d)) {
            const char* name = e->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            if (e->d_type == DT_LNK || e->d_type == DT_FIFO || e->d_type == DT_SOCK ||
                e->d_type == DT_CHR || e->d_type == DT_BLK)
                continue;
            struct stat st;
            if (::fstatat(dfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue; // gone meanwhile
            if (S_ISDIR(st.st_mode)) {
                std::lock_guard lock(m_mutex);
                if (m_seenDirs.insert({st.st_dev, st.st_ino}).second)
                    found.push_back(prefix + name);
            } else if (S_ISREG(st.st_mode)) {
                if (st.st_nlink > 1) {
                    std::lock_guard lock(m_mutex);
                    if (!m_seenFiles.insert({st.st_dev, st.st_ino}).second)
                        continue;
                }
                local.bytes += st.st_size;
                ++local.files;
            }
        }
        ::closedir(d);
    }

    const int m_threads;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<QByteArray> m_queue;
    int m_busy = 0;
    std::set<FileId> m_seenDirs;
    std::set<FileId> m_seenFiles;
};

} // namespace

TreeSize treeSize(const QString& dir, int threads)
{
    if (threads <= 0)
        threads = int(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    QByteArray top = encodeName(dir);
    while (top.size() > 1 && top.endsWith('/'))
        top.chop(1);
    Walk walk(threads);
    walk.run(top);
    return walk.result;
}

} // namespace platform
