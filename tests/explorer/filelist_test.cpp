#include "explorer/lang/qvconsts.h"
#include "explorer/list/filelistmodel.h"
#include "explorer/list/qvfilelistview28.h"
#include "explorer/shell/iconlist.h"
#include "explorer/shell/shellhelpers.h"
#include "explorer/tree/qvdirtree21.h"
#include "platform/namecodec.h"
#include "platform/volumes.h"
#include "testenv.h"

#include <QApplication>
#include <QCollator>
#include <QDateTime>
#include <QHeaderView>
#include <QImage>
#include <QLocale>
#include <QMimeDatabase>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QTest>
#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <numeric>
#include <ostream>
#include <sys/stat.h>

namespace {

QString q(const QByteArray& bytes)
{
    return platform::decodeName(bytes);
}

void setYear(const QByteArray& path, int year)
{
    const qint64 secs = QDateTime(QDate(year, 6, 1), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
    timespec times[2] = {{secs, 0}, {secs, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.constData(), times, 0), 0) << path.constData();
}

QStringList names(const TQvFilelistView28& view)
{
    QStringList out;
    for (const TFileInfo& e : view.ListModel()->Entries())
        out.append(e.Name);
    return out;
}

// The file names only, sorted, so that listings can be compared as multisets.
QStringList fileNames(const TQvFilelistView28& view)
{
    QStringList out;
    for (const TFileInfo& e : view.ListModel()->Entries())
        if (e.Kind == FileListModel::KindFile)
            out.append(e.Name);
    std::sort(out.begin(), out.end());
    return out;
}

QStringList folderNames(const TQvFilelistView28& view)
{
    QStringList out;
    for (const TFileInfo& e : view.ListModel()->Entries())
        if (e.Kind == FileListModel::KindDir)
            out.append(e.Name);
    std::sort(out.begin(), out.end());
    return out;
}

int rowOf(const TQvFilelistView28& view, const QString& name)
{
    const auto& entries = view.ListModel()->Entries();
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].Name == name)
            return int(i);
    return -1;
}

void selectRows(TQvFilelistView28& view, std::initializer_list<int> rows)
{
    for (int row : rows)
        view.selectionModel()->select(view.ListModel()->index(row, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// Checks the order of the rows against groups written as "a|b,c|d": the groups in
// this order, the names within a group in any order (they compare equal).
void expectOrder(const TQvFilelistView28& view, const QString& groups)
{
    const QStringList actual = names(view);
    qsizetype at = 0;
    for (const QString& group : groups.split(QLatin1Char('|'))) {
        QStringList want = group.split(QLatin1Char(','));
        QStringList got = actual.mid(at, want.size());
        at += want.size();
        std::sort(want.begin(), want.end());
        std::sort(got.begin(), got.end());
        ASSERT_EQ(got, want) << "order " << actual.join(QLatin1Char(' ')).toStdString()
                             << " against " << groups.toStdString();
    }
    EXPECT_EQ(at, actual.size()) << actual.join(QLatin1Char(' ')).toStdString();
}

std::unique_ptr<TQvFilelistView28> listOf(const QByteArray& dir)
{
    auto view = std::make_unique<TQvFilelistView28>();
    view->SetDirectory(q(dir));
    return view;
}

enum class Arrow
{
    None,
    Up,
    Down
};

std::ostream& operator<<(std::ostream& os, Arrow a)
{
    return os << (a == Arrow::Up ? "up" : a == Arrow::Down ? "down" : "none");
}

// Which way the sort arrow in the header points, read from its pixels: in the place
// the style gives the arrow, every pixel that differs from the section's background
// (taken right of that place, in the same row) is ink, and an arrow pointing down is
// wider in its upper rows.
Arrow sortArrow(QHeaderView& header)
{
    if (!header.isSortIndicatorShown())
        return Arrow::None;
    // Wide enough for every column, and laid out.
    QWidget* view = header.parentWidget();
    view->resize(1000, 200);
    view->show();
    if (!QTest::qWaitForWindowExposed(view))
        return Arrow::None;
    const QImage image = header.grab().toImage();
    const int section = header.sortIndicatorSection();
    QStyleOptionHeader option;
    option.initFrom(&header);
    option.state |= QStyle::State_Horizontal;
    option.orientation = Qt::Horizontal;
    option.section = section;
    option.sortIndicator = QStyleOptionHeader::SortDown;
    option.rect = QRect(header.sectionViewportPosition(section), 0, header.sectionSize(section),
                        header.height());
    const QRect place = header.style()->subElementRect(QStyle::SE_HeaderArrow, &option, &header);
    const int margin = header.style()->pixelMetric(QStyle::PM_HeaderMargin, &option, &header);
    std::vector<int> widths;
    for (int y = place.top(); y <= place.bottom(); ++y) {
        const QRgb background = image.pixel(place.right() + margin, y);
        int left = -1;
        int right = -1;
        for (int x = place.left() - 1; x <= place.right() + 1; ++x) {
            const QRgb c = image.pixel(x, y);
            if (std::max({std::abs(qRed(c) - qRed(background)),
                          std::abs(qGreen(c) - qGreen(background)),
                          std::abs(qBlue(c) - qBlue(background))}) > 12) {
                if (left < 0)
                    left = x;
                right = x;
            }
        }
        if (left >= 0)
            widths.push_back(right - left + 1);
    }
    const auto half = std::ptrdiff_t(widths.size() / 2);
    const int upper = std::accumulate(widths.begin(), widths.begin() + half, 0);
    const int lower = std::accumulate(widths.end() - half, widths.end(), 0);
    return upper > lower ? Arrow::Down : upper < lower ? Arrow::Up : Arrow::None;
}

// Sets the application's style for one scope.
struct StyleGuard
{
    explicit StyleGuard(const char* name) : m_old(QApplication::style()->name())
    {
        QApplication::setStyle(QString::fromLatin1(name));
    }
    ~StyleGuard() { QApplication::setStyle(m_old); }
    QString m_old;
};

// --- Helpers of the listing --------------------------------------------------------

TEST(FileListTexts, FileTimeKeyIsGeneralFormatWith15Digits)
{
    constexpr qint64 epoch = 116444736000000000LL;
    const struct
    {
        qint64 ticks; // 100-ns units since 1601
        const char* key;
    } cases[] = {
        {133500000000000000LL, "1.335E17"},    {133497123456789012LL, "1.33497123456789E17"},
        {94354848000000000LL, "9.4354848E16"}, {epoch, "1.16444736E17"},
        {epoch + 1, "1.16444736E17"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileTimeKey((c.ticks - epoch) * 100), QLatin1String(c.key)) << c.key;

    // Against the C library's %.15g over the whole range of file times, rounding
    // carries (9.99...E16 -> 1E17) included.
    auto reference = [](qint64 ns) {
        const double ticks = double(ns / 100 - (ns % 100 < 0) + epoch);
        QString text = QString::asprintf("%.15G", ticks);
        text.replace(QLatin1String("E+"), QLatin1String("E"));
        return text;
    };
    quint64 state = 42;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const qint64 ns = qint64(state);
        ASSERT_EQ(FileTimeKey(ns), reference(ns)) << ns;
    }
    const qint64 nearCarry = (99999999999999950LL - epoch) * 100;
    EXPECT_EQ(FileTimeKey(nearCarry), QStringLiteral("1E17"));
    EXPECT_EQ(FileTimeKey(nearCarry), reference(nearCarry));
}

TEST(FileListTexts, MbTextRoundsWithTheLocaleSeparator)
{
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    EXPECT_EQ(MbText(476937LL * 1024), QStringLiteral("476.937 Mb"));
    EXPECT_EQ(MbText(0), QStringLiteral("0 Mb"));
    EXPECT_EQ(MbText(1535), QStringLiteral("1 Mb"));
    EXPECT_EQ(MbText(1536), QStringLiteral("2 Mb"));
    QLocale::setDefault(QLocale::system());
}

// --- What is listed --------------------------------------------------------------

class FileListTest : public ::testing::Test
{
protected:
    TempDir tmp;
};

TEST_F(FileListTest, MasksSeparatedBySemicolons)
{
    const QByteArray dir = tmp / "m/";
    fixture::makeDir(dir);
    fixture::makeDir(dir + "sub.doc");
    for (const char* name : {"a.txt", "b.TXT", "c.doc", " d.doc", "noext"})
        fixture::writeFile(dir + name, "x");

    const struct
    {
        const char* mask;
        QStringList files;
    } cases[] = {
        {"*.*", {" d.doc", "a.txt", "b.TXT", "c.doc", "noext"}},
        {"", {" d.doc", "a.txt", "b.TXT", "c.doc", "noext"}},
        {"   ", {" d.doc", "a.txt", "b.TXT", "c.doc", "noext"}},
        {" *.txt ", {"a.txt", "b.TXT"}},
        {"*.txt;*.TXT", {"a.txt", "a.txt", "b.TXT", "b.TXT"}},
        {"*.txt;;*.doc", {" d.doc", "a.txt", "b.TXT", "c.doc"}},
        // Blanks around each mask of the list are not part of it.
        {"*.txt; *.doc", {" d.doc", "a.txt", "b.TXT", "c.doc"}},
        {"*.doc ;\t*.TXT", {" d.doc", "a.txt", "b.TXT", "c.doc"}},
        {"*.txt;", {"a.txt", "b.TXT"}},
        {";", {}},
        {"x*", {}},
        {"?oext", {"noext"}},
    };
    auto view = listOf(dir);
    for (const auto& c : cases) {
        view->SetMask(QString::fromUtf8(c.mask));
        QStringList want = c.files;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(fileNames(*view), want) << "mask '" << c.mask << "'";
        // Folders are listed whatever the mask.
        EXPECT_EQ(folderNames(*view), (QStringList{"..", "sub.doc"})) << c.mask;
    }
}

TEST_F(FileListTest, FileTypeDecidesWhichAttributesAreAdmitted)
{
    const QByteArray dir = tmp / "t/";
    fixture::makeDir(dir);
    fixture::makeDir(dir + "sub");
    fixture::makeDir(dir + ".hdir");
    fixture::writeFile(dir + ".hidden", "x");
    fixture::writeFile(dir + "plain.txt", "x");
    fixture::writeFile(dir + "ro.txt", "x");
    ::chmod((dir + "ro.txt").constData(), 0444);
    ASSERT_EQ(::mkfifo((dir + "pipe").constData(), 0644), 0);

    const QStringList all{"..", ".hdir", ".hidden", "pipe", "plain.txt", "ro.txt", "sub"};
    const struct
    {
        TFileType type;
        bool showFolders;
        QStringList listed;
    } cases[] = {
        {DefaultFileType, true, all},
        {DefaultFileType | ftArchive | ftDirectory | ftNormal, true, all},
        {DefaultFileType & ~TFileType(ftHidden),
         true,
         {"..", "pipe", "plain.txt", "ro.txt", "sub"}},
        {DefaultFileType & ~TFileType(ftReadOnly),
         true,
         {"..", ".hdir", ".hidden", "pipe", "plain.txt", "sub"}},
        {DefaultFileType & ~TFileType(ftSystem),
         true,
         {"..", ".hdir", ".hidden", "plain.txt", "ro.txt", "sub"}},
        {TFileType(), true, {"..", "plain.txt", "sub"}},
        // ftVolumeID turns the file passes into folder passes.
        {DefaultFileType | ftVolumeID, false, {"..", ".hdir", "sub"}},
        {DefaultFileType | ftVolumeID, true, {"..", "..", ".hdir", ".hdir", "sub", "sub"}},
    };
    auto view = listOf(dir);
    for (const auto& c : cases) {
        view->SetShowFolders(c.showFolders);
        view->SetFileType(c.type);
        QStringList got = names(*view);
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, c.listed) << "file type " << int(c.type);
    }
    EXPECT_EQ(TQvFilelistView28::AdmissionMask(DefaultFileType), 0x87u);
    view->SetFileType(DefaultFileType);
    const TFileInfo& ro = view->ListModel()->Entry(rowOf(*view, QStringLiteral("ro.txt")));
    EXPECT_EQ(ro.AttrText, QStringLiteral("R"));
    EXPECT_EQ(ro.Kind, QStringLiteral("file"));
    EXPECT_EQ(view->ListModel()->Entry(rowOf(*view, QStringLiteral("pipe"))).AttrText,
              QStringLiteral("S"));
}

TEST_F(FileListTest, ParentItemAndFolders)
{
    const QByteArray dir = tmp / "p/";
    fixture::makeDir(dir);
    fixture::makeDir(dir + "sub");
    fixture::writeFile(dir + "f", "x");

    const struct
    {
        bool showFolders;
        bool parentDir;
        QStringList listed;
    } cases[] = {
        {true, true, {"..", "f", "sub"}},
        {true, false, {"f", "sub"}},
        {false, true, {"f"}},
        {false, false, {"f"}},
    };
    auto view = listOf(dir);
    for (const auto& c : cases) {
        view->SetParentDirEnabled(c.parentDir);
        view->SetShowFolders(c.showFolders);
        view->UpdateFileList();
        QStringList got = names(*view);
        std::sort(got.begin(), got.end());
        EXPECT_EQ(got, c.listed) << c.showFolders << c.parentDir;
    }
    view->SetParentDirEnabled(true);
    view->SetShowFolders(true);
    const TFileInfo& up = view->ListModel()->Entry(rowOf(*view, QStringLiteral("..")));
    EXPECT_EQ(up.Path, q(dir) + QStringLiteral(".."));
    EXPECT_EQ(up.Kind, QStringLiteral("dir"));
    EXPECT_EQ(view->ItemCaption(rowOf(*view, QStringLiteral(".."))),
              QStringLiteral(" Up one level"));

    // The file system root has no parent item.
    view->SetDirectory(QStringLiteral("/"));
    EXPECT_EQ(rowOf(*view, QStringLiteral("..")), -1);
    EXPECT_GT(view->ItemCount(), 0);
}

TEST_F(FileListTest, EntryFieldsAndNamesThatAreNotUtf8)
{
    const QByteArray dir = tmp / "e/";
    fixture::makeDir(dir);
    fixture::writeFile(dir + "caf\xe9.txt", "12345");
    setYear(dir + "caf\xe9.txt", 2010);
    auto view = listOf(dir);
    const QString name = q("caf\xe9.txt");
    const int row = rowOf(*view, name);
    ASSERT_GE(row, 0);
    const TFileInfo& e = view->ListModel()->DatedEntry(row);
    EXPECT_EQ(e.Path, q(dir) + name);
    EXPECT_EQ(platform::encodeName(e.Path), dir + "caf\xe9.txt");
    EXPECT_EQ(e.Size, 5);
    EXPECT_EQ(e.AttrText, QString());
    EXPECT_EQ(e.DateText, FileTimeToText(e.MTimeNs, view->DatePattern(), view->TimePattern()));
    EXPECT_EQ(e.DateKey, FileTimeKey(e.MTimeNs));
    EXPECT_TRUE(e.DateKey.endsWith(QLatin1String("E17")));
    EXPECT_EQ(view->ItemSubItem(row, 4), e.Path);
    EXPECT_EQ(view->ItemSubItem(row, 5), QStringLiteral("file"));
    EXPECT_EQ(view->ItemSubItem(row, 6), e.DateKey);
}

// --- Directory and loading ------------------------------------------------------

TEST_F(FileListTest, DirectorySetterRebuildsOnlyOnChange)
{
    const QByteArray dir = tmp / "d";
    fixture::makeDir(dir);
    TQvFilelistView28 view;
    QSignalSpy rebuilt(&view, &TQvFilelistView28::Rebuilt);
    EXPECT_EQ(view.Directory(), QStringLiteral("My Computer"));

    const struct
    {
        QString value;
        QString stored;
        int rebuilds; // after this step, in total
    } steps[] = {
        {QStringLiteral("MY COMPUTER"), QStringLiteral("My Computer"), 0},
        {q(dir), q(dir) + QLatin1Char('/'), 1},
        {q(dir) + QLatin1Char('/'), q(dir) + QLatin1Char('/'), 1},
        {q(dir), q(dir) + QLatin1Char('/'), 2}, // differs from the stored text by the "/"
        {q(dir + "/missing"), q(dir) + QLatin1Char('/'), 2},
        {QStringLiteral("relative/dir"), q(dir) + QLatin1Char('/'), 2},
        {QString(), q(dir) + QLatin1Char('/'), 2},
        {QStringLiteral("my computer"), QStringLiteral("My Computer"), 3},
        {QStringLiteral("My Computer"), QStringLiteral("My Computer"), 3},
    };
    for (const auto& s : steps) {
        view.SetDirectory(s.value);
        EXPECT_EQ(view.Directory(), s.stored) << s.value.toStdString();
        EXPECT_EQ(rebuilt.count(), s.rebuilds) << s.value.toStdString();
    }
    view.UpdateFileList();
    EXPECT_EQ(rebuilt.count(), 4);

    // The same for the other setters: a change rebuilds, the same value does not.
    view.SetDirectory(q(dir));
    rebuilt.clear();
    view.SetMask(QStringLiteral("*.*"));
    view.SetFileType(DefaultFileType);
    view.SetShowFolders(true);
    view.SetParentDirEnabled(false);
    EXPECT_EQ(rebuilt.count(), 0);
    view.SetMask(QStringLiteral("*.txt"));
    view.SetFileType(DefaultFileType | ftVolumeID);
    view.SetShowFolders(false);
    EXPECT_EQ(rebuilt.count(), 3);
}

TEST_F(FileListTest, LoadingDefersTheRebuildToEndLoad)
{
    fixture::makeDir(tmp / "l");
    fixture::writeFile(tmp / "l/a.txt", "x");
    TQvFilelistView28 view;
    QSignalSpy rebuilt(&view, &TQvFilelistView28::Rebuilt);
    view.BeginLoad();
    view.SetDirectory(q(tmp / "l"));
    view.SetMask(QStringLiteral("*.txt"));
    view.SetFileType(DefaultFileType & ~TFileType(ftHidden));
    EXPECT_EQ(rebuilt.count(), 0);
    EXPECT_EQ(view.ItemCount(), 0);
    view.EndLoad();
    EXPECT_EQ(rebuilt.count(), 1);
    EXPECT_EQ(names(view), (QStringList{"..", "a.txt"}));
}

TEST_F(FileListTest, VanishedDirectoryLeavesAUsableEmptyList)
{
    const QByteArray dir = tmp / "v/";
    fixture::makeDir(dir);
    fixture::makeDir(dir + "sub");
    fixture::writeFile(dir + "a.txt", "x");
    auto view = listOf(dir);
    view->resize(400, 300);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    fixture::removeTree(dir.chopped(1));

    // Rows read before the next rebuild still answer.
    for (int row = 0; row < view->ItemCount(); ++row)
        EXPECT_FALSE(view->ItemSubItem(row, 4).isEmpty());
    view->SortColumnClick(2);
    view->UpdateFileList();
    EXPECT_EQ(view->ItemCount(), 0);
    EXPECT_EQ(view->SelectedNumber(), 0);
    EXPECT_EQ(view->DriveFreeSpace(), 0);
    view->Click();
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(view->SelectedItem(), QString());
}

// --- Display ----------------------------------------------------------------------

class FileListSortTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = tmp / "list/";
        fixture::makeDir(dir);
        fixture::makeDir(dir + "alpha");
        fixture::makeDir(dir + "Beta");
        const struct
        {
            const char* name;
            int size;
            int year;
        } files[] = {{"a.txt", 10, 2010},  {"B.doc", 3000, 2005}, {"c", 0, 2020},
                     {"d.TXT", 500, 2015}, {"old.txt", 1, 1900},  {".h", 20, 2012}};
        for (const auto& f : files) {
            fixture::writeFile(dir + f.name, QByteArray(f.size, 'x'));
            setYear(dir + f.name, f.year);
        }
        ::chmod((dir + "a.txt").constData(), 0444);
        setYear(dir + "alpha", 2001);
        setYear(dir + "Beta", 2003);
        setYear(tmp.path(), 2002); // the parent item's time
    }

    TempDir tmp;
    QByteArray dir;
};

TEST_F(FileListSortTest, EveryColumnInBothDirections)
{
    const struct
    {
        QList<int> clicks; // after a rebuild, which sorts by name ascending
        const char* order;
    } cases[] = {
        {{}, "..|alpha|Beta|.h|a.txt|B.doc|c|d.TXT|old.txt"},
        {{0}, "..|old.txt|d.TXT|c|B.doc|a.txt|.h|Beta|alpha"},
        // A new column sorts descending first: files before folders, the parent on top.
        {{1}, "..|B.doc|d.TXT|.h|a.txt|old.txt|c|alpha,Beta"},
        {{1, 1}, "..,alpha,Beta|c|old.txt|a.txt|.h|d.TXT|B.doc"},
        // Dates on both sides of 1918, where the key text gets a shorter exponent.
        {{3}, "..|c|d.TXT|.h|a.txt|B.doc|old.txt|Beta|alpha"},
        {{3, 3}, "alpha|..|Beta|old.txt|B.doc|a.txt|.h|d.TXT|c"},
        {{4}, "..|a.txt|.h|B.doc,c,d.TXT,old.txt|alpha,Beta"},
        {{4, 4}, "..,alpha,Beta|B.doc,c,d.TXT,old.txt|.h|a.txt"},
        {{1, 0}, "..|old.txt|d.TXT|c|B.doc|a.txt|.h|Beta|alpha"},
    };
    for (const auto& c : cases) {
        auto view = listOf(dir);
        for (int column : c.clicks)
            view->SortColumnClick(column);
        SCOPED_TRACE(c.order);
        expectOrder(*view, QString::fromLatin1(c.order));
        EXPECT_TRUE(view->header()->isSortIndicatorShown());
        EXPECT_EQ(view->header()->sortIndicatorSection(), c.clicks.isEmpty() ? 0 : c.clicks.last());
        EXPECT_EQ(sortArrow(*view->header()), view->SortDescending() ? Arrow::Down : Arrow::Up);
    }
}

// A folder long enough for the sort to share its work between two threads: every
// pair of neighbours is in order, by name (the collator, letter case aside) and by
// size, folders before files ascending and after them descending.
TEST_F(FileListSortTest, LongListsSortLikeShortOnes)
{
    const QByteArray big = tmp / "big/";
    fixture::makeDir(big);
    for (int i = 0; i < 30000; ++i) {
        // Names in no particular order, letter case mixed.
        const QByteArray name = (i % 2 ? "File" : "file") + QByteArray::number((i * 7919) % 30011);
        const int fd = ::open((big + name).constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, (i * 4099LL) % 5003), 0);
        ::close(fd);
    }
    for (const char* folder : {"zeta", "Alpha", "mid"})
        fixture::makeDir(big + folder);

    auto view = listOf(big);
    const FileListModel& model = *view->ListModel();
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    auto checkPairs = [&](const char* what, auto inOrder) {
        int wrong = 0;
        for (int row = 2; row < model.EntryCount(); ++row) // row 0 is the parent item
            wrong += !inOrder(row - 1, row);
        EXPECT_EQ(wrong, 0) << what;
    };
    ASSERT_EQ(model.EntryCount(), 30004);
    checkPairs("by name", [&](int a, int b) {
        if (model.IsFolder(a) != model.IsFolder(b))
            return model.IsFolder(a);
        return collator.compare(model.Name(a), model.Name(b)) <= 0;
    });
    view->SortColumnClick(1); // size, descending first
    EXPECT_TRUE(model.IsParent(0));
    checkPairs("by size", [&](int a, int b) {
        if (model.IsFolder(a) != model.IsFolder(b))
            return model.IsFolder(b);
        return model.Record(a).Size >= model.Record(b).Size;
    });
}

// Descending order shows the arrow pointing down, ascending the one pointing up.
// QHeaderView draws Qt::AscendingOrder with the style's "sort down" arrow, which
// Fusion on Linux points down and the Windows style up.
TEST_F(FileListSortTest, SortArrowPointsDownForDescendingInEveryStyle)
{
    for (const char* style : {"fusion", "windows"}) {
        SCOPED_TRACE(style);
        const StyleGuard guard(style);
        auto view = listOf(dir); // name, ascending
        EXPECT_EQ(sortArrow(*view->header()), Arrow::Up);
        view->SortColumnClick(0);
        EXPECT_EQ(sortArrow(*view->header()), Arrow::Down);
        view->SortColumnClick(3); // another column starts descending
        EXPECT_EQ(sortArrow(*view->header()), Arrow::Down);
        if (QLatin1String(style) == QLatin1String("fusion")) {
            EXPECT_EQ(view->header()->sortIndicatorOrder(), Qt::AscendingOrder)
                << "Fusion draws Qt::AscendingOrder as the down arrow";
        }
        view->SortColumnClick(3);
        EXPECT_EQ(sortArrow(*view->header()), Arrow::Up);
    }

    // The style changing under a shown list: the arrow keeps its direction.
    const StyleGuard fusion("fusion");
    auto view = listOf(dir);
    view->SortColumnClick(0);
    QApplication::setStyle(QStringLiteral("windows"));
    EXPECT_EQ(sortArrow(*view->header()), Arrow::Down);
}

TEST_F(FileListSortTest, TypeColumnSortsEveryRowNotOnlyTheShownOnes)
{
    auto view = listOf(dir);
    view->SortColumnClick(2);
    view->SortColumnClick(2); // ascending
    const auto& entries = view->ListModel()->Entries();
    QCollator collator;
    for (std::size_t i = 1; i < entries.size(); ++i) {
        const TFileInfo& a = entries[i - 1];
        const TFileInfo& b = entries[i];
        if (a.Kind != b.Kind) {
            EXPECT_EQ(a.Kind, QStringLiteral("dir"));
            continue;
        }
        ASSERT_FALSE(b.TypeName.isEmpty()) << b.Name.toStdString();
        EXPECT_LE(collator.compare(a.TypeName.toLower(), b.TypeName.toLower()), 0)
            << a.Name.toStdString() << " before " << b.Name.toStdString();
    }
    // Looking up the type for sorting is not showing the row (the view measures its
    // first row for the row height).
    EXPECT_LE(std::count_if(entries.begin(), entries.end(),
                            [](const TFileInfo& e) { return e.InfoLoaded; }),
              1);
}

// A rebuild of the directory shown keeps its sort order; listing a directory anew sorts
// by name again: ascending after the name column, descending after another column.
TEST_F(FileListSortTest, RebuildKeepsTheSortListingAnewSortsByName)
{
    auto view = listOf(dir);
    EXPECT_FALSE(view->SortDescending());
    view->UpdateFileList();
    EXPECT_FALSE(view->SortDescending()) << "a second rebuild keeps ascending order";
    view->SortColumnClick(1);
    view->UpdateFileList();
    EXPECT_EQ(view->SortColumn(), 1);
    EXPECT_TRUE(view->SortDescending());
    view->SetDirectory(TQvFilelistView28::MyComputer);
    view->SetDirectory(q(dir));
    EXPECT_EQ(view->SortColumn(), 0);
    EXPECT_TRUE(view->SortDescending()) << "after another column, name descending";
    expectOrder(*view, QStringLiteral("..|old.txt|d.TXT|c|B.doc|a.txt|.h|Beta|alpha"));
}

TEST_F(FileListSortTest, SelectionFollowsItsEntriesThroughASort)
{
    auto view = listOf(dir);
    selectRows(*view, {rowOf(*view, QStringLiteral("B.doc")), rowOf(*view, QStringLiteral("c"))});
    view->SortColumnClick(1);
    QStringList selected;
    for (int row : view->SelectedRows())
        selected.append(view->ListModel()->Entry(row).Name);
    EXPECT_EQ(selected, (QStringList{"B.doc", "c"}));
}

TEST_F(FileListTest, CaptionsWithHiddenExtensions)
{
    const QByteArray dir = tmp / "x/";
    fixture::makeDir(dir);
    for (const char* name : {"a.b.c", "noext", ".profile", "x.txt"})
        fixture::writeFile(dir + name, "x");
    auto view = listOf(dir);
    view->SetParentDirCaption(QStringLiteral("  Hoch  "));
    view->SetHideFileExt(true);
    const struct
    {
        const char* name;
        const char* caption;
    } cases[] = {
        {"a.b.c", "a.b"}, {"noext", "noext"}, {".profile", ""}, {"x.txt", "x"}, {"..", " Hoch"}};
    for (const auto& c : cases) {
        const int row = rowOf(*view, QString::fromLatin1(c.name));
        EXPECT_EQ(view->ItemCaption(row), QString::fromLatin1(c.caption)) << c.name;
        EXPECT_EQ(view->ListModel()->data(view->ListModel()->index(row, 0)).toString(),
                  QString::fromLatin1(c.caption));
    }
    view->SetHideFileExt(false);
    EXPECT_EQ(view->ItemCaption(rowOf(*view, QStringLiteral("a.b.c"))), QStringLiteral("a.b.c"));

    // The caption changes only when its trimmed text does, case ignored.
    view->SetParentDirCaption(QStringLiteral("HOCH "));
    EXPECT_EQ(view->ParentDirCaption(), QStringLiteral(" Hoch"));
    view->SetParentDirCaption(QStringLiteral("Up"));
    EXPECT_EQ(view->ParentDirCaption(), QStringLiteral(" Up"));
}

TEST_F(FileListTest, SizeTextsInKilobytesAndBytes)
{
    const QByteArray dir = tmp / "s/";
    fixture::makeDir(dir);
    fixture::makeDir(dir + "sub");
    for (int size : {0, 1, 1023, 1024, 2047, 2048})
        fixture::writeFile(dir + "f" + QByteArray::number(size), QByteArray(size, 'x'));
    fixture::makeSparse(dir + "big", 5LL << 30);
    const struct
    {
        const char* name;
        const char* kb;
        const char* bytes;
    } cases[] = {
        {"f0", "0 KB", "0"},
        {"f1", "1 KB", "1"},
        {"f1023", "1 KB", "1023"},
        {"f1024", "1 KB", "1024"},
        {"f2047", "1 KB", "2047"},
        {"f2048", "2 KB", "2048"},
        {"big", "5242880 KB", "5368709120"},
        {"sub", " ", " "},
        {"..", " ", " "},
    };
    auto view = listOf(dir);
    for (TFileSize mode : {fsKB, fsByte}) {
        view->SetFileSize(mode);
        for (const auto& c : cases) {
            const int row = rowOf(*view, QString::fromLatin1(c.name));
            EXPECT_EQ(view->ItemSubItem(row, 0), QString::fromLatin1(mode == fsKB ? c.kb : c.bytes))
                << c.name;
        }
    }
    EXPECT_EQ(view->ListModel()->Entry(rowOf(*view, QStringLiteral("big"))).Size, 5368709120LL);
    // The parent item shows blanks besides its size.
    const int up = rowOf(*view, QStringLiteral(".."));
    for (int sub = 1; sub <= 3; ++sub)
        EXPECT_EQ(view->ItemSubItem(up, sub), QStringLiteral(" "));
}

TEST_F(FileListTest, TypeNamesAreTheTypeDatabaseAnswerForEachName)
{
    // Names without an ending share one lookup unless a whole-name pattern may match
    // them; either way each row shows what the database says for its own name.
    const QByteArray dir = tmp / "types/";
    fixture::makeDir(dir);
    const char* names[] = {"Makefile", "makefile", "README", "core",     "plain",  "Datei 7",
                           "notes~",   "a.txt",    "x.TXT",  "b.tar.gz", ".bashrc"};
    for (const char* name : names)
        fixture::writeFile(dir + name, "");
    fixture::makeDir(dir + "sub");
    auto view = listOf(dir);
    view->SortColumnClick(2); // every type looked up, in name order

    const QMimeDatabase db;
    int checked = 0;
    for (int row = 0; row < view->ItemCount(); ++row) {
        const TFileInfo e = view->ListModel()->Entry(row);
        if (e.isParent())
            continue;
        const QMimeType type = e.Kind == FileListModel::KindDir
                                   ? db.mimeTypeForName(QStringLiteral("inode/directory"))
                                   : db.mimeTypeForFile(e.Name, QMimeDatabase::MatchExtension);
        EXPECT_EQ(view->ItemSubItem(row, 1), TypeNameOf(type).left(80)) << e.Name.toStdString();
        ++checked;
    }
    EXPECT_EQ(checked, int(std::size(names)) + 1);
}

TEST_F(FileListTest, IconAndTypeAreLoadedOnlyForRowsAskedFor)
{
    const QByteArray dir = tmp / "lazy/";
    fixture::makeDir(dir);
    for (int i = 0; i < 2000; ++i)
        fixture::writeFile(dir + "f" + QByteArray::number(i) + ".txt", "");
    auto view = listOf(dir);
    auto loaded = [&] {
        const auto& e = view->ListModel()->Entries();
        return std::count_if(e.begin(), e.end(), [](const TFileInfo& f) { return f.InfoLoaded; });
    };
    const auto before = loaded();
    EXPECT_LE(before, 1) << "nothing is looked up while listing";

    const int row = 1500;
    ASSERT_FALSE(view->ListModel()->Entry(row).InfoLoaded);
    const QVariant icon =
        view->ListModel()->data(view->ListModel()->index(row, 0), Qt::DecorationRole);
    EXPECT_TRUE(view->ListModel()->Entry(row).InfoLoaded);
    EXPECT_FALSE(view->ListModel()->Entry(row).TypeName.isEmpty());
    EXPECT_FALSE(icon.value<QIcon>().isNull());
    EXPECT_EQ(loaded(), before + 1);

    // A shown list looks up what is on screen, not the whole directory.
    view->resize(500, 300);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    QCoreApplication::processEvents();
    EXPECT_GT(loaded(), before + 1);
    EXPECT_LT(loaded(), 200);
}

// --- Selection --------------------------------------------------------------------

TEST_F(FileListTest, SelectedNumberAndSizeOverLargeFiles)
{
    const QByteArray dir = tmp / "big/";
    fixture::makeDir(dir);
    fixture::makeSparse(dir + "three", 3LL << 30);
    fixture::makeSparse(dir + "five", 5LL << 30);
    fixture::writeFile(dir + "small", "abc");
    auto view = listOf(dir);
    ASSERT_EQ(view->ItemCount(), 4); // with the parent item
    EXPECT_EQ(view->SelectedNumber(), 4);
    EXPECT_EQ(view->SelectedSize(), 0);
    selectRows(*view,
               {rowOf(*view, QStringLiteral("three")), rowOf(*view, QStringLiteral("five"))});
    EXPECT_EQ(view->SelectedNumber(), 2);
    EXPECT_EQ(view->SelectedSize(), 8LL << 30);
    selectRows(*view, {rowOf(*view, QStringLiteral("small")), rowOf(*view, QStringLiteral(".."))});
    EXPECT_EQ(view->SelectedNumber(), 4);
    EXPECT_EQ(view->SelectedSize(), (8LL << 30) + 3);
    EXPECT_GT(view->DriveFreeSpace(), 0);
    EXPECT_EQ(view->DriveFreeSpace(), DiskFreeKB(q(dir)));
}

TEST_F(FileListTest, ClickAndArrowKeysReportTheSelectedItem)
{
    const QByteArray dir = tmp / "k/";
    fixture::makeDir(dir);
    for (int i = 0; i < 60; ++i)
        fixture::writeFile(dir + QByteArray("f") + QByteArray::number(100 + i), "x");
    auto view = listOf(dir);
    view->resize(400, 300);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    view->setFocus();
    QSignalSpy changes(view.get(), &TQvFilelistView28::OnItemChange);
    auto path = [&](int row) { return view->ListModel()->Entry(row).Path; };

    // Nothing selected: the first row has the focus mark only, and a click reports nothing.
    EXPECT_EQ(view->currentIndex().row(), 0);
    EXPECT_TRUE(view->SelectedRows().isEmpty());
    view->Click();
    EXPECT_EQ(changes.count(), 0);

    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->ListModel()->index(3, 0)).center());
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(view->SelectedItem(), path(3));
    EXPECT_EQ(changes.at(0).at(0).value<QObject*>(), view.get());
    EXPECT_EQ(changes.at(0).at(1).toString(), path(3));

    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(view->SelectedItem(), path(4));

    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_End, Qt::Key_Home})
        QTest::keyClick(view.get(), key);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(view->SelectedItem(), path(4));
    EXPECT_EQ(view->SelectedRows(), QList<int>{0});

    QTest::keyRelease(view.get(), Qt::Key_Up);
    EXPECT_EQ(changes.count(), 3);
    EXPECT_EQ(view->SelectedItem(), path(0));

    // The first selected row in display order is reported.
    view->clearSelection();
    selectRows(*view, {7, 5});
    view->Click();
    EXPECT_EQ(view->SelectedItem(), path(5));
}

// --- Drive view and language ------------------------------------------------------

TEST_F(FileListTest, DriveViewListsTheVolumes)
{
    auto view = listOf(tmp / "");
    view->SortColumnClick(1);
    const int indicatorSection = view->header()->sortIndicatorSection();
    const Qt::SortOrder indicatorOrder = view->header()->sortIndicatorOrder();

    view->SetDirectory(QStringLiteral("MY COMPUTER"));
    EXPECT_EQ(view->Directory(), QStringLiteral("My Computer"));
    EXPECT_FALSE(view->FileColumnsShown());
    EXPECT_FALSE(view->SortEnabled());
    EXPECT_EQ(view->DriveFreeSpace(), 0);
    const std::vector<platform::Volume> volumes = platform::listVolumes();
    ASSERT_EQ(view->ItemCount(), int(volumes.size()));

    const int root = 0;
    const TFileInfo& e = view->ListModel()->Entry(root);
    EXPECT_EQ(e.Path, QStringLiteral("/"));
    EXPECT_EQ(e.Kind, QStringLiteral("drv"));
    EXPECT_TRUE(e.InfoLoaded);
    EXPECT_EQ(e.Name, platform::volumeNodeText(volumes.front()));
    EXPECT_TRUE(e.Name.startsWith(QLatin1String(" (/)  ")));
    EXPECT_EQ(e.TypeName, TQvFilelistView28::DriveTypeName(volumes.front().type));
    EXPECT_FALSE(e.TypeName.isEmpty());
    EXPECT_EQ(e.Size, DiskSizeKB(QStringLiteral("/")));
    EXPECT_GT(e.Size, 0);
    EXPECT_EQ(view->ItemCaption(root), e.Name);
    EXPECT_EQ(view->ItemSubItem(root, 0), e.TypeName);
    EXPECT_EQ(view->ItemSubItem(root, 1), MbText(e.Size));
    EXPECT_EQ(view->ItemSubItem(root, 2), MbText(e.FreeSpace));
    EXPECT_EQ(view->ItemSubItem(root, 3), QStringLiteral(" "));
    EXPECT_TRUE(view->ItemSubItem(root, 1).endsWith(QLatin1String(" Mb")));

    const QStringList captions{"Name", "Type", "Disk Size", "Free Space", "Attr"};
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(view->ListModel()->headerData(column, Qt::Horizontal).toString(),
                  captions[column]);
    EXPECT_EQ(view->header()->sectionSize(0), 160);

    // Header clicks neither sort nor move the indicator.
    const QStringList before = names(*view);
    view->resize(600, 300);
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    QTest::mouseClick(view->header()->viewport(), Qt::LeftButton, {},
                      QPoint(view->header()->sectionViewportPosition(2) + 10, 5));
    EXPECT_EQ(names(*view), before);
    EXPECT_EQ(view->header()->sortIndicatorSection(), indicatorSection);
    EXPECT_EQ(view->header()->sortIndicatorOrder(), indicatorOrder);
    EXPECT_FALSE(view->header()->isSortIndicatorShown());

    // Back in a directory the file columns return with their widths.
    view->SetColWidth_Mod(200);
    EXPECT_EQ(view->header()->sectionSize(3), 90);
    view->SetDirectory(q(tmp / ""));
    EXPECT_TRUE(view->FileColumnsShown());
    EXPECT_EQ(view->header()->sectionSize(3), 200);
    EXPECT_EQ(view->header()->sectionSize(0), 165);
    EXPECT_EQ(view->ListModel()->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
              int(Qt::AlignRight | Qt::AlignVCenter));

    // Here a header click sorts: a new column descending first.
    QTest::mouseClick(view->header()->viewport(), Qt::LeftButton, {},
                      QPoint(view->header()->sectionViewportPosition(1) + 10, 5));
    EXPECT_EQ(view->SortColumn(), 1);
    EXPECT_TRUE(view->SortDescending());
    EXPECT_EQ(view->header()->sortIndicatorSection(), 1);
    EXPECT_EQ(sortArrow(*view->header()), Arrow::Down);
}

TEST_F(FileListTest, LanguageChangesCaptionsAndListTexts)
{
    TQvFilelistView28 view;
    EXPECT_EQ(view.Language(), lnEnglish);
    EXPECT_EQ(CurrentListLanguage, lnEnglish);
    view.SetLanguage(lnGerman);
    EXPECT_EQ(view.Language(), lnGerman);
    EXPECT_EQ(CurrentListLanguage, lnGerman);
    EXPECT_EQ(SharedText(TStrKey::StrNoFileSelected), QStringLiteral("Keine Datei(en) markiert!"));
    const QStringList files{"Dateiname", "Größe", "Typ", "Geändert am", "Attribute"};
    for (int column = 0; column < 5; ++column)
        EXPECT_EQ(view.ListModel()->headerData(column, Qt::Horizontal).toString(), files[column]);

    view.UpdateFileList(); // the drive view
    EXPECT_EQ(view.ListModel()->headerData(2, Qt::Horizontal).toString(),
              QStringLiteral("Gesamtgröße"));
    EXPECT_EQ(TQvFilelistView28::DriveTypeName(platform::DriveType::Fixed),
              QStringLiteral("Lokales Laufwerk"));

    // The system default resolves to a concrete language.
    view.SetLanguage(lnSysDefault);
    EXPECT_NE(view.Language(), lnSysDefault);
    view.SetLanguage(lnEnglish);
}

// --- Coupling with a tree -------------------------------------------------------

TEST_F(FileListTest, DirTreeCoupling)
{
    TQvFilelistView28 view;
    auto first = std::make_unique<TQvDirTree21>();
    auto second = std::make_unique<TQvDirTree21>();
    view.SetDirTree(first.get());
    EXPECT_EQ(view.DirTree(), first.get());
    EXPECT_EQ(first->FileList(), &view);

    view.SetDirTree(second.get());
    EXPECT_EQ(first->FileList(), nullptr);
    EXPECT_EQ(second->FileList(), &view);

    second.reset();
    EXPECT_EQ(view.DirTree(), nullptr);
    view.SetDirTree(nullptr);
    view.SetDirTree(first.get());
    EXPECT_EQ(first->FileList(), &view);
}

} // namespace
