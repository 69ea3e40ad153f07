#include "platform/clipboardfiles.h"
#include "platform/namecodec.h"
#include "platform/sendto.h"
#include "testenv.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace platform;

namespace {

QString q(const QByteArray& bytes)
{
    return decodeName(bytes);
}

} // namespace

TEST(SendTo, EntriesInFileNameOrderWithNameAndIcon)
{
    TempDir dir;
    fixture::makeDir(dir / "target");
    fixture::writeFile(dir / "b-editor.desktop", "[Desktop Entry]\nType=Application\n"
                                                 "Name=Editor\nName[de]=Texteditor\n"
                                                 "Name[de_CH]=Editor (Schweiz)\n"
                                                 "Icon=accessories-text-editor\nExec=editor %F\n"
                                                 "[Desktop Action new]\nName[de]=Falsch\n");
    fixture::writeFile(dir / "a-sicherung.desktop",
                       "# a comment\n[Desktop Entry]\nType=Link\nName=Backup\\sFolder\n"
                       "URL=" +
                           fileUri(q(dir / "target")) + "\n");
    fixture::writeFile(dir / "c-hidden.desktop",
                       "[Desktop Entry]\nType=Application\nName=Hidden\nExec=x\nHidden=true\n");
    fixture::writeFile(dir / "d-dir.desktop", "[Desktop Entry]\nType=Directory\nName=Dir\n");
    fixture::writeFile(dir / "notes.txt", "not an entry");
    ASSERT_EQ(::symlink((dir / "target").constData(), (dir / "Ordner").constData()), 0);
    ASSERT_EQ(::symlink((dir / "missing").constData(), (dir / "Weg").constData()), 0);

    const std::vector<SendToEntry> entries = sendToEntries(q(dir.path()));
    ASSERT_EQ(entries.size(), 3u);
    // Byte order: upper case before lower case.
    EXPECT_EQ(entries[0].path, q(dir / "Ordner"));
    EXPECT_EQ(entries[0].name, QStringLiteral("Ordner"));
    EXPECT_EQ(entries[0].iconName, QStringLiteral("folder"));
    EXPECT_EQ(entries[1].name, QStringLiteral("Backup Folder"));
    EXPECT_EQ(entries[1].iconName, QStringLiteral("folder"));
    EXPECT_EQ(entries[2].name, QStringLiteral("Texteditor"));
    EXPECT_EQ(entries[2].iconName, QStringLiteral("accessories-text-editor"));

    EXPECT_EQ(sendToEntries(q(dir.path()), QStringLiteral("de_CH.UTF-8"))[2].name,
              QStringLiteral("Editor (Schweiz)"));
    EXPECT_EQ(sendToEntries(q(dir.path()), QString())[2].name, QStringLiteral("Editor"));

    const Shortcut link = readShortcut(q(dir / "a-sicherung.desktop"));
    EXPECT_EQ(link.kind, Shortcut::Link);
    EXPECT_EQ(link.target, q(dir / "target"));
    const Shortcut symlink = readShortcut(q(dir / "Ordner"));
    EXPECT_EQ(symlink.kind, Shortcut::Link);
    EXPECT_EQ(symlink.target, q(dir / "target"));
    EXPECT_EQ(readShortcut(q(dir / "b-editor.desktop")).kind, Shortcut::Application);
    EXPECT_EQ(readShortcut(q(dir / "Weg")).kind, Shortcut::Invalid);
    EXPECT_EQ(readShortcut(q(dir / "notes.txt")).kind, Shortcut::Invalid);
}

TEST(SendTo, LocalisedKeysMatchAsDesktopsDo)
{
    const QByteArray text = "[Desktop Entry]\nName=C\nName[de]=de\nName[de_AT]=de_AT\n"
                            "Name[sr@latin]=sr@latin\nName[sr_RS@latin]=sr_RS@latin\n";
    const struct
    {
        const char* locale;
        const char* name;
    } cases[] = {
        {"de", "de"},
        {"de_DE.UTF-8", "de"},
        {"de_AT", "de_AT"},
        {"de-AT", "de_AT"},
        {"sr_RS.UTF-8@latin", "sr_RS@latin"},
        {"sr_ME@latin", "sr@latin"},
        {"sr_RS", "C"},
        {"fr_FR", "C"},
        {"C", "C"},
        {"", "C"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(desktopEntryValue(text, QStringLiteral("Name"), QString::fromLatin1(c.locale)),
                  QString::fromLatin1(c.name))
            << c.locale;
}

TEST(SendTo, ExecFieldCodes)
{
    const QStringList two = {q("/tmp/a b.txt"), q("/tmp/\xe4.txt")};
    const struct
    {
        const char* exec;
        QStringList files;
        std::vector<QStringList> commands;
    } cases[] = {
        {"prog %F", two, {{"prog", two[0], two[1]}}},
        {"prog --files %U",
         two,
         {{"prog", "--files", "file:///tmp/a%20b.txt", "file:///tmp/%E4.txt"}}},
        // One file per run.
        {"prog %f", two, {{"prog", two[0]}, {"prog", two[1]}}},
        {"prog --open=%u", {two[0]}, {{"prog", "--open=file:///tmp/a%20b.txt"}}},
        // Codes other than the file codes go, and with them arguments that held nothing
        // else; %% is a percent sign.
        {"prog %i %c %k -n 100%% %F %d", {two[0]}, {{"prog", "-n", "100%", two[0]}}},
        // Quoted arguments with their escapes.
        {"\"/opt/my prog/run\" \"say \\\"hi\\\"\" 'x' %f",
         {two[0]},
         {{"/opt/my prog/run", "say \"hi\"", "'x'", two[0]}}},
        // No file code: once, without the files.
        {"prog --new-window", two, {{"prog", "--new-window"}}},
        {"prog %F", {}, {{"prog"}}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(execCommands(QString::fromUtf8(c.exec), c.files), c.commands) << c.exec;
}
