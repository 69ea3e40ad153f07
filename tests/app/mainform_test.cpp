#include "privatesettings.h"
#include "app/tdateien.h"
#include "app/tmainform.h"
#include "core/collectionlist.h"
#include "env/settings.h"
#include "explorer/tree/qvdirtree21.h"
#include "explorer/list/qvfilelistview28.h"
#include "messagerecorder.h"
#include "platform/desktop.h"
#include "platform/namecodec.h"
#include "testenv.h"

#include <QAction>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QLibraryInfo>
#include <QListView>
#include <QTest>
#include <QTranslator>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString q(const QByteArray& b)
{
    return platform::decodeName(b);
}

// Makes dir the process's current directory for one scope.
class CurrentDir
{
public:
    explicit CurrentDir(const QByteArray& dir)
    {
        char buffer[4096];
        if (::getcwd(buffer, sizeof buffer))
            m_old = buffer;
        fixture::makeDir(dir);
        if (::chdir(dir.constData()) != 0)
            ADD_FAILURE() << "chdir " << dir.constData();
    }
    ~CurrentDir()
    {
        if (!m_old.isEmpty() && ::chdir(m_old.constData()) != 0)
            ADD_FAILURE() << "chdir back";
    }

private:
    QByteArray m_old;
};

// A program path of its own, so the settings of each test live in a fresh folder.
struct MainformFixture : ::testing::Test
{
    TempDir dir;
    ScopedRecorder rec;
    std::unique_ptr<Tmainform> form;

    void SetUp() override
    {
        usePrivateSettings(dir);
        fixture::makeDir(dir / "src");
        fixture::writeFile(dir / "src/a.txt", "aaaa");
        fixture::writeFile(dir / "src/b.txt", "bb");
        fixture::writeFile(dir / "src/c\xe4.doc", "c");
        fixture::makeDir(dir / "src/sub");
        fixture::writeFile(dir / "src/sub/d.txt", "ddd");
        fixture::makeDir(dir / "dst");
        form = std::make_unique<Tmainform>();
    }

    QAction* item(const char* name) const { return form->Item(QString::fromLatin1(name)); }

    // Shows dir in the source list and selects the rows whose captions are given.
    void selectInSource(const QByteArray& path, const QStringList& captions)
    {
        form->Quellbaum()->OpenPath(q(path));
        TQvFilelistView28* list = form->FileList();
        list->SetDirectory(form->Quellbaum()->SelectedPath());
        list->clearSelection();
        for (int row = 0; row < list->ItemCount(); ++row)
            if (captions.contains(list->ItemCaption(row)))
                list->selectionModel()->select(list->model()->index(row, 0),
                                               QItemSelectionModel::Select |
                                                   QItemSelectionModel::Rows);
    }

    void openTarget(const QByteArray& path)
    {
        form->Zielbaum()->OpenPath(q(path));
        form->Zieldateien()->SetDirectory(form->Zielbaum()->SelectedPath());
    }

    QStringList lines() const { return form->Collection()->lines(); }
};
} // namespace

TEST_F(MainformFixture, MenuOptionsAndCaptions)
{
    EXPECT_EQ(form->objectName(), QStringLiteral("Tmainform"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Tobrin"));
    EXPECT_EQ(form->Groupbox1()->title(), QStringLiteral("Quelle"));
    EXPECT_EQ(form->Groupbox2()->title(), QStringLiteral("Ziel"));
    EXPECT_EQ(item("Aktion")->text(), QStringLiteral("Dateien kopieren"));
    EXPECT_TRUE(item("Kopieren")->isChecked());
    for (const char* off :
         {"Verschieben", "Ueberschreiben", "Attribute", "Verzeichnisstrukturerhalten"})
        EXPECT_FALSE(item(off)->isChecked()) << off;

    item("Verschieben")->trigger();
    EXPECT_EQ(item("Aktion")->text(), QStringLiteral("Dateien verschieben"));
    EXPECT_FALSE(item("Kopieren")->isChecked());
    item("Verschieben")->trigger(); // choosing the checked one again changes nothing
    EXPECT_TRUE(item("Verschieben")->isChecked());
    item("Kopieren")->trigger();
    EXPECT_EQ(item("Aktion")->text(), QStringLiteral("Dateien kopieren"));
    EXPECT_FALSE(item("Verschieben")->isChecked());
    item("Ueberschreiben")->trigger();
    EXPECT_TRUE(item("Ueberschreiben")->isChecked());
    item("Ueberschreiben")->trigger();
    EXPECT_FALSE(item("Ueberschreiben")->isChecked());

    // Shortcut texts come from the toolkit's German translation.
    QTranslator german;
    ASSERT_TRUE(german.load(QStringLiteral("qtbase_de"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    QCoreApplication::installTranslator(&german);
    EXPECT_EQ(item("Hinzufuegen")->shortcut().toString(QKeySequence::NativeText),
              QStringLiteral("Strg+C"));
    EXPECT_EQ(item("Dateiensuchen1")->shortcut().toString(QKeySequence::NativeText),
              QStringLiteral("Strg+F"));
    QCoreApplication::removeTranslator(&german);
}

TEST_F(MainformFixture, SourcePaneTakesHalfTheOuterWidth)
{
    form->show();
    QCoreApplication::processEvents();
    // resize() sets the inner size; the outer one adds the frame.
    const int frame = form->frameGeometry().width() - form->width();
    form->resize(1001 - frame, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->Groupbox1()->width(), form->frameGeometry().width() / 2);
    EXPECT_EQ(form->frameGeometry().width(), 1001);
    EXPECT_EQ(form->Groupbox1()->width(), 500);
}

TEST_F(MainformFixture, AddMarkedFilesAndTotals)
{
    item("Hinzufuegen")->trigger();
    ASSERT_EQ(rec->shown.size(), 1);
    EXPECT_EQ(rec->shown[0].title, QStringLiteral("Fehler"));
    EXPECT_EQ(rec->shown[0].text,
              QStringLiteral("Es sind keine Dateien markiert!\rMarkieren sie in der linken "
                             "Dateienliste Dateien mit Shif / STRG+Mausklick"));
    EXPECT_TRUE(rec->shown[0].helpUrl.endsWith(QStringLiteral(".html#200")));

    selectInSource(dir / "src", {QStringLiteral("a.txt"), q("c\xe4.doc"), QStringLiteral("sub"),
                                 QStringLiteral(" Up one level")});
    form->Hinzufuegenclick();
    const QString src = q(dir / "src/");
    EXPECT_EQ(lines(), (QStringList{src + QStringLiteral("a.txt"), src + q("c\xe4.doc")}));
    EXPECT_TRUE(form->Dateien()->isVisible());
    EXPECT_EQ(form->StatusText(), QStringLiteral("2 Dateien mit 5 Bytes in der Liste"));

    // The same files again: two more lines, counted twice.
    form->Hinzufuegenclick();
    EXPECT_EQ(form->StatusText(), QStringLiteral("4 Dateien mit 10 Bytes in der Liste"));

    form->Information1Click();
    EXPECT_EQ(rec->shown.last().title, QStringLiteral("Informationen"));
    EXPECT_EQ(rec->shown.last().text,
              QStringLiteral("Selektiert: 4 Dateien\rmit einer Größe von 0 KB"));

    // Clearing leaves the status line standing.
    form->Dellisteclick();
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_TRUE(form->Auswahlliste().isEmpty());
    EXPECT_EQ(form->StatusText(), QStringLiteral("4 Dateien mit 10 Bytes in der Liste"));
}

TEST_F(MainformFixture, ListWindowKeys)
{
    QStringList five;
    for (int i = 0; i < 5; ++i)
        five.append(q(dir / "src/") + QString::number(i));
    form->Collection()->appendBatch(five);
    Tdateien* dateien = form->Dateien();
    EXPECT_EQ(dateien->windowTitle(), QStringLiteral("Dateiliste"));
    dateien->ShowList();
    QListView* liste = dateien->Liste();
    liste->setFocus();
    liste->setCurrentIndex(liste->model()->index(0, 0));
    QTest::keyClick(liste, Qt::Key_Down);
    EXPECT_EQ(dateien->windowTitle(), QStringLiteral("0 Dateien gelöscht, 5 Dateien verbleiben"));

    liste->clearSelection();
    for (int row : {0, 2, 4})
        liste->selectionModel()->select(liste->model()->index(row, 0), QItemSelectionModel::Select);
    QTest::keyClick(liste, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(dateien->windowTitle(), QStringLiteral("3 Dateien gelöscht, 2 Dateien verbleiben"));
    EXPECT_EQ(lines(), (QStringList{five[1], five[3]}));

    EXPECT_FALSE(form->Abbruch());
    QTest::keyClick(liste, Qt::Key_Escape);
    EXPECT_TRUE(form->Abbruch());
}

TEST_F(MainformFixture, SearchAndDisplayFilter)
{
    form->Dateiensuchen1Click();
    ASSERT_EQ(rec->texts(), QStringList{QStringLiteral(
                                "Zuerst im Linken Baum ein Laufwerk / Verzeichnis auswählen !")});

    selectInSource(dir / "src", {});
    rec->inputAnswers = {QStringLiteral("*.TXT")};
    form->Dateiensuchen1Click();
    EXPECT_EQ(rec->inputs.last(),
              QStringLiteral("Dateien suchen|Suche in Unterverzeichnissen von\r\n") +
                  q(dir / "src/"));
    EXPECT_EQ(form->Suchfilter(), QStringLiteral("*.TXT"));
    QStringList found = lines();
    EXPECT_EQ(found.size(), 3);
    EXPECT_EQ(found.last(), q(dir / "src/sub/d.txt")); // subfolders after the folder's files

    // Cancel keeps the mask; the display filter only touches the source list.
    form->Dateiensuchen1Click();
    EXPECT_EQ(form->Suchfilter(), QStringLiteral("*.TXT"));
    EXPECT_EQ(lines().size(), 3);

    rec->inputAnswers = {QStringLiteral("*.doc;*.txt")};
    form->Anzeigefilter1Click();
    EXPECT_EQ(rec->inputs.last(),
              QStringLiteral("Filter eingeben|Mehere Auswahlkriterien mit \";\" trennen"));
    EXPECT_EQ(form->FileList()->Mask(), QStringLiteral("*.doc;*.txt"));
    EXPECT_EQ(form->Zieldateien()->Mask(), QStringLiteral("*.*"));
    form->Anzeigefilter1Click(); // cancelled
    EXPECT_EQ(form->FileList()->Mask(), QStringLiteral("*.doc;*.txt"));
}

TEST_F(MainformFixture, TransferPreconditionsAndRun)
{
    form->Aktionclick();
    EXPECT_EQ(rec->texts().last(),
              QStringLiteral("Zuerst im Rechten Baum das Zielverzeichnis auswählen !"));

    // The root of the target tree names no directory.
    form->Zielbaum()->OpenPath(q(dir / "dst"));
    form->Zielbaum()->SetSelectedPath(QStringLiteral("My Computer"));
    form->Aktionclick();
    EXPECT_EQ(rec->shown.last().title, QStringLiteral("Fehler"));
    EXPECT_EQ(rec->texts().last(),
              QStringLiteral("Zuerst im Rechten Baum das Zielverzeichnis auswählen !"));

    openTarget(dir / "dst");
    form->Aktionclick();
    EXPECT_EQ(rec->shown.last().title, QStringLiteral("Informationen"));
    EXPECT_EQ(rec->texts().last(), QStringLiteral("Keine Dateien in der Liste"));

    const QString src = q(dir / "src/");
    form->Collection()->appendBatch({src + QStringLiteral("a.txt"), src + QStringLiteral("missing"),
                                     src + QStringLiteral("sub/d.txt")});
    item("Verschieben")->trigger();
    item("Verzeichnisstrukturerhalten")->trigger();
    form->Aktionclick();
    const QString status =
        QStringLiteral("2 Dateien in ") + q(dir / "dst/") + QStringLiteral(" verschoben");
    EXPECT_EQ(form->StatusText(), status);
    // The closing box adds why the line that stayed failed.
    EXPECT_EQ(rec->texts().last(),
              status + QStringLiteral("\r1 Datei nicht übertragen: Quelldatei nicht gefunden"));
    EXPECT_EQ(lines(), QStringList{src + QStringLiteral("missing")});
    EXPECT_EQ(fixture::readFile(dir / "dst" + dir.path() + "src/a.txt"), "aaaa");
    EXPECT_EQ(fixture::readFile(dir / "dst" + dir.path() + "src/sub/d.txt"), "ddd");
    EXPECT_FALSE(fixture::exists(dir / "src/a.txt"));
}

TEST_F(MainformFixture, EscapeAfterTheThirdOfFiveFiles)
{
    QStringList five;
    for (int i = 1; i <= 5; ++i) {
        const QByteArray name = "f" + QByteArray::number(i);
        fixture::writeFile(dir / "src/" + name, name);
        five.append(q(dir / "src/" + name));
    }
    form->Collection()->appendBatch(five);
    openTarget(dir / "dst");
    form->StatusAktualisieren();
    const QString statusBefore = form->StatusText();
    const int shownBefore = int(rec->shown.size());

    // Escape arrives in the list window while the third file is being done.
    int removed = 0;
    QObject::connect(form->Collection(), &QAbstractItemModel::rowsRemoved, [&] {
        // Delivered when the window lets its events run after that file.
        if (++removed == 3)
            QMetaObject::invokeMethod(
                form->Dateien(), [&] { QTest::keyClick(form->Dateien()->Liste(), Qt::Key_Escape); },
                Qt::QueuedConnection);
    });
    form->Aktionclick();

    EXPECT_EQ(lines(), (QStringList{five[3], five[4]}));
    EXPECT_EQ(form->Dateien()->windowTitle(),
              QStringLiteral("0 Dateien gelöscht, 2 Dateien verbleiben"));
    EXPECT_EQ(form->StatusText(), statusBefore);
    EXPECT_EQ(rec->shown.size(), shownBefore);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(fixture::names(dir / "dst"), (QList<QByteArray>{"f1", "f2", "f3"}));
}

TEST_F(MainformFixture, PanesAndSearchMaskSurviveARestart)
{
    form->Quellbaum()->OpenPath(q(dir / "src/sub"));
    form->Zielbaum()->OpenPath(q(dir / "dst"));
    rec->inputAnswers = {QStringLiteral("*.jpg")};
    form->Dateiensuchen1Click();
    form.reset(); // closing saves

    const QByteArray ini = fixture::readFile(dir / "settings/tobrin.ini");
    EXPECT_TRUE(ini.contains("[MainForm]")) << ini.constData();
    EXPECT_TRUE(ini.contains("Filter=*.jpg")) << ini.constData();

    form = std::make_unique<Tmainform>();
    EXPECT_EQ(form->Quellbaum()->SelectedPath(), q(dir / "src/sub/"));
    EXPECT_EQ(form->FileList()->Directory(), q(dir / "src/sub/"));
    EXPECT_EQ(form->Zieldateien()->Directory(), q(dir / "dst/"));
    EXPECT_EQ(form->Suchfilter(), QStringLiteral("*.jpg"));

    // Edited by hand, in other letter case: read all the same.
    form.reset();
    fixture::writeFile(dir / "settings/tobrin.ini",
                       "[mainform]\nquellbaum=" + dir / "dst" + "\nFILTER=*.png\n");
    form = std::make_unique<Tmainform>();
    EXPECT_EQ(form->Quellbaum()->SelectedPath(), q(dir / "dst/"));
    EXPECT_EQ(form->Zielbaum()->SelectedPath(), QString());
    EXPECT_EQ(form->Zieldateien()->Directory(), QStringLiteral("My Computer"));
    EXPECT_EQ(form->Suchfilter(), QStringLiteral("*.png"));

    // "/" is a folder like any other: opened, and saved again at the close.
    form.reset();
    fixture::writeFile(dir / "settings/tobrin.ini", "[MainForm]\nQuellbaum=/\n");
    form = std::make_unique<Tmainform>();
    EXPECT_EQ(form->Quellbaum()->SelectedPath(), QStringLiteral("/"));
    EXPECT_EQ(form->FileList()->Directory(), QStringLiteral("/"));
    form.reset();
    EXPECT_TRUE(fixture::readFile(dir / "settings/tobrin.ini").contains("Quellbaum=/\n"));
}

// The root of the source tree, "My Computer", is no folder: the search finds
// nothing there and adding takes no volume, although "My Computer" and the volume
// rows' texts would name files in the current directory.
TEST_F(MainformFixture, MyComputerIsNoFolderToSearchOrAddFrom)
{
    const CurrentDir cwd(dir / "cwd");
    fixture::makeDir(dir / "cwd/My Computer");
    fixture::writeFile(dir / "cwd/My Computer/found.txt", "x");
    form->Quellbaum()->SetSelectedPath(QStringLiteral("My Computer"));
    form->FileList()->SetDirectory(QStringLiteral("My Computer"));
    ASSERT_GE(form->FileList()->ItemCount(), 1);
    // The first row is "/": " (/)  label", so that path runs through a folder.
    const QByteArray volumePath =
        platform::encodeName(QStringLiteral("My Computer") + form->FileList()->ItemCaption(0));
    QByteArray made = dir / "cwd";
    const QList<QByteArray> parts = volumePath.split('/');
    for (qsizetype i = 0; i + 1 < parts.size(); ++i)
        fixture::makeDir(made += "/" + parts[i]);
    fixture::writeFile(made + "/" + parts.last(), "x");

    rec->inputAnswers = {QStringLiteral("*.*")};
    form->Dateiensuchen1Click();
    EXPECT_EQ(rec->inputs.last(), QStringLiteral("Dateien suchen|Suche in Unterverzeichnissen "
                                                 "von\r\nMy Computer"));
    EXPECT_EQ(lines(), QStringList());

    form->FileList()->selectionModel()->select(form->FileList()->model()->index(0, 0),
                                               QItemSelectionModel::Select |
                                                   QItemSelectionModel::Rows);
    form->Hinzufuegenclick();
    EXPECT_EQ(lines(), QStringList());
    EXPECT_TRUE(rec->shown.isEmpty()) << rec->texts().join(QLatin1Char('|')).toStdString();
}

// The help page lies beside the program; when it is missing the browser is not
// asked to show an error page of its own.
TEST_F(MainformFixture, MissingHelpPageIsReported)
{
    const QString page = platform::programPath() + QStringLiteral(".html");
    ASSERT_FALSE(fixture::exists(platform::encodeName(page)));
    const QByteArray opened = dir / "opened";
    fixture::makeDir(dir / "path");
    fixture::writeFile(dir / "path/xdg-open", "#!/bin/sh\necho \"$1\" >> " + opened + "\n");
    ::chmod((dir / "path/xdg-open").constData(), 0755);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", dir / "path");

    form->Hilfe2Click();
    qputenv("PATH", oldPath);
    EXPECT_EQ(rec->texts(), QStringList{QStringLiteral("Die Hilfedatei ") + page +
                                        QStringLiteral(" wurde nicht gefunden.")});
    EXPECT_EQ(rec->shown.value(0).title, QStringLiteral("Fehler"));
    EXPECT_FALSE(fixture::exists(opened));
}

TEST_F(MainformFixture, UnwritableSettingsAreReportedAndTheWindowCloses)
{
    fixture::writeFile(dir / "bin/usethis.ini", "[Settingsdir]\nDir=" + dir / "nowhere" + "\n");
    InitEnvironment(q(dir / "bin/tobrin"));
    form->show();
    form->close();
    EXPECT_FALSE(form->isVisible());
    ASSERT_FALSE(rec->shown.isEmpty());
    EXPECT_EQ(rec->texts().last(), QStringLiteral("In ") + q(dir / "nowhere/tobrin.ini") +
                                       QStringLiteral(" kann nicht geschrieben werden"));
}
