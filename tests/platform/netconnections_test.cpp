#include "platform/desktop.h"
#include "platform/netconnections.h"
#include "testenv.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(NetConnections, DriveNamesProposedAfterTheHighest)
{
    auto conns = [](std::initializer_list<const char*> drives) {
        std::vector<NetConnection> out;
        for (const char* d : drives)
            out.push_back({QString::fromLatin1(d), QStringLiteral("smb://s/x")});
        return out;
    };
    const struct
    {
        std::vector<NetConnection> connections;
        QString proposed;
        QString first;
        QString last;
        size_t count;
    } cases[] = {
        {conns({}), "A:", "A:", "Z:", 26},
        {conns({"A:", "C:", "D:"}), "E:", "E:", "Z:", 22},
        {conns({"C:", "M:"}), "N:", "N:", "Z:", 13}, // D: to L: are not offered
        {conns({"B:", "Z:"}), "A:", "A:", "Y:", 24}, // Z: taken: the free ones
        {conns({"x:", "bogus"}), "Y:", "Y:", "Z:", 2},
    };
    for (const auto& c : cases) {
        const DriveProposal p = proposeDrives(c.connections);
        EXPECT_EQ(p.proposed, c.proposed);
        ASSERT_EQ(p.offered.size(), c.count) << qPrintable(c.proposed);
        EXPECT_EQ(p.offered.front(), c.first);
        EXPECT_EQ(p.offered.back(), c.last);
    }
}

TEST(NetConnections, GvfsFoldersAndUrls)
{
    const struct
    {
        const char* folder;
        const char* url;
        bool matches;
    } cases[] = {
        {"smb-share:server=srv,share=data", "smb://SRV/data", true},
        {"smb-share:server=srv,share=data", "\\\\srv\\data", true},
        {"smb-share:server=srv,share=data", "smb://srv/other", false},
        {"sftp:host=h.example,user=anna", "sftp://anna@h.example/home", true},
        {"sftp:host=h.example", "ftp://h.example/", false},
        {"dav:host=cloud,ssl=true,prefix=%2Fremote", "davs://cloud/remote", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(gvfsNameMatches(QString::fromLatin1(c.folder), QString::fromLatin1(c.url)),
                  c.matches)
            << c.folder << " " << c.url;

    const QString g = gvfsFolder() + QLatin1Char('/');
    EXPECT_EQ(shareUrlForFolder(g + QStringLiteral("smb-share:server=srv,share=data")),
              QStringLiteral("smb://srv/data"));
    EXPECT_EQ(shareUrlForFolder(g + QStringLiteral("smb-share:server=srv,share=data/a/b/")),
              QStringLiteral("smb://srv/data/a/b"));
    EXPECT_EQ(shareUrlForFolder(g + QStringLiteral("sftp:host=h,user=u/x")),
              QStringLiteral("sftp://u@h/x"));
    EXPECT_EQ(shareUrlForFolder(QStringLiteral("/home/anna")), QStringLiteral("/home/anna"));
}

TEST(NetConnections, AutostartEntryMountsTheShare)
{
    EXPECT_TRUE(autostartEntryPath(QStringLiteral("x:"))
                    .endsWith(QStringLiteral("/autostart/tobrin-netdrive-X.desktop")));
    const QString text =
        autostartEntryText(QStringLiteral("X:"), QStringLiteral("smb://srv/a%20b"));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\nType=Application\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nExec=gio mount smb://srv/a%%20b\n")))
        << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("\nX-GNOME-Autostart-enabled=true\n")));
}
