#include "explorer/lang/qvconsts.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

constexpr int KeyCount = static_cast<int>(TStrKey::Count);

TStrKey keyAt(int index)
{
    return static_cast<TStrKey>(index);
}

QList<TLanguage> concreteLanguages()
{
    QList<TLanguage> languages;
    for (int lang = lnEnglish; lang < LanguageCount; ++lang)
        languages.append(static_cast<TLanguage>(lang));
    return languages;
}

TEST(QvConstsResolveLanguage, MapsWindowsLanguageIds)
{
    const struct
    {
        quint16 langId;
        TLanguage expected;
    } cases[] = {
        {0x0804, lnChinese_Sim}, // China
        {0x0404, lnChinese_Tra}, // Taiwan
        {0x0C04, lnChinese_Tra}, // Hong Kong
        {0x1004, lnChinese_Tra}, // Singapore: only sublanguage 2 is Simplified
        {0x0004, lnChinese_Tra}, // neutral Chinese
        {0x0407, lnGerman},
        {0x0807, lnGerman},
        {0x0C07, lnGerman},
        {0x0409, lnEnglish},
        {0x0809, lnEnglish},
        {0x040A, lnSpanish},
        {0x0C0A, lnSpanish},
        {0x040C, lnFrench},
        {0x0C0C, lnFrench},
        {0x0410, lnItalian},
        {0x0411, lnJapanese},
        {0x0412, lnKorean},
        {0x0413, lnDutch},
        {0x0813, lnDutch},
        {0x0415, lnPolish},
        {0x0416, lnPortuguese},
        {0x0816, lnPortuguese},
        {0x041B, lnSlovak},
        {0x041D, lnSwedish},
        {0x081D, lnSwedish},
        {0x041F, lnTurkish},
        {0x0424, lnSlovenian},
        // Languages without a table of their own.
        {0x0419, lnEnglish}, // Russian
        {0x0405, lnEnglish}, // Czech
        {0x0000, lnEnglish},
        // The primary language is ten bits wide: 0x107 is not German.
        {0x0107, lnEnglish},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveLanguage(c.langId), c.expected) << std::hex << c.langId;
}

TEST(QvConstsStrings, EveryLanguageHasEveryKey)
{
    for (TLanguage lang : concreteLanguages()) {
        for (int k = 0; k < KeyCount; ++k)
            EXPECT_FALSE(ExplorerString(keyAt(k), lang).isEmpty())
                << "lang " << lang << " key " << k;
    }
    for (int k = 0; k < KeyCount; ++k)
        EXPECT_TRUE(ExplorerString(keyAt(k), lnSysDefault).isEmpty()) << k;
    EXPECT_TRUE(ExplorerString(TStrKey::Count, lnEnglish).isEmpty());
    EXPECT_TRUE(
        ExplorerString(TStrKey::StrColName, static_cast<TLanguage>(LanguageCount)).isEmpty());
}

TEST(QvConstsStrings, EnglishAndGermanTextsKeepTheirBlanksAndQuotes)
{
    const struct
    {
        TStrKey key;
        TLanguage lang;
        const char16_t* text;
    } cases[] = {
        {TStrKey::StrFolderQuote, lnEnglish, u"Folder \""},
        {TStrKey::StrFileWord, lnEnglish, u" file "},
        {TStrKey::StrFrom, lnEnglish, u"From  : "},
        {TStrKey::StrTo, lnEnglish, u"To     : "},
        {TStrKey::StrAlreadyExists, lnEnglish, u"already exists !"},
        {TStrKey::StrNotFound, lnEnglish, u"not found"},
        {TStrKey::StrAndSubFolders, lnEnglish, u"and all its Sub-Folders "},
        {TStrKey::StrListNewFolder, lnEnglish, u"&New Folder..."},
        {TStrKey::StrTreeDisconnectDrive, lnEnglish, u"Dis&Connect Network Drive"},
        {TStrKey::StrSendDesktopShortcut, lnEnglish, u"DeskTop as ShortCut"},
        {TStrKey::StrColName, lnGerman, u"Dateiname"},
        {TStrKey::StrColDiskSize, lnGerman, u"Gesamtgröße"},
        {TStrKey::StrListOpen, lnGerman, u"Ö&ffnen"},
        {TStrKey::StrSendAnyFolder, lnGerman, u"Ordne&r..."},
        {TStrKey::StrFolderQuote, lnGerman, u"Ordner \""},
        {TStrKey::StrFrom, lnGerman, u"Von  : "},
        {TStrKey::StrTo, lnGerman, u"Nach : "},
        {TStrKey::StrCancel, lnGerman, u"&Abbrechen"},
        {TStrKey::StrAlreadyExists, lnGerman, u" existiert bereits!"},
        {TStrKey::StrNotFound, lnGerman, u" nicht gefunden!"},
        {TStrKey::StrTreeSizeTitle, lnGerman, u"BAUMGRÖßE"},
        {TStrKey::StrAndSubFolders, lnGerman, u"und alle untergeordneten Ordner "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExplorerString(c.key, c.lang), QString::fromUtf16(c.text))
            << "lang " << c.lang << " key " << static_cast<int>(c.key);
    }
}

TEST(QvConstsStrings, FailedOperationMessageReadsInEnglishAndGerman)
{
    const auto message = [](TLanguage lang) -> QString {
        return ExplorerString(TStrKey::StrErrorCant, lang) + QStringLiteral("Open") +
               ExplorerString(TStrKey::StrFileWord, lang) + QStringLiteral("C:\\Data\\a.txt");
    };
    EXPECT_EQ(message(lnEnglish), QStringLiteral("ERROR - Can't Open file C:\\Data\\a.txt"));
    EXPECT_EQ(message(lnGerman),
              QStringLiteral("Fehler - Dateioperation \"Open\" ist fehlgeschlagen mit Datei "
                             "C:\\Data\\a.txt"));
}

// Texts that are glued to others must keep their shape in every language.
TEST(QvConstsStrings, ConcatenatedTextsKeepTheirShapeInEveryLanguage)
{
    const TStrKey endInBlank[] = {TStrKey::StrDrive,   TStrKey::StrErrorPrefix,
                                  TStrKey::StrFrom,    TStrKey::StrTo,
                                  TStrKey::StrFilesIn, TStrKey::StrAndSubFolders};
    for (TLanguage lang : concreteLanguages()) {
        for (TStrKey key : endInBlank) {
            EXPECT_TRUE(ExplorerString(key, lang).endsWith(QLatin1Char(' ')))
                << "lang " << lang << " key " << static_cast<int>(key);
        }
        // The folder name and a closing quote follow.
        EXPECT_TRUE(ExplorerString(TStrKey::StrFolderQuote, lang).endsWith(QLatin1Char('"')))
            << lang;
        // The verb stands between the two: either quoted on both sides or on neither.
        const QString cant = ExplorerString(TStrKey::StrErrorCant, lang);
        const QString fileWord = ExplorerString(TStrKey::StrFileWord, lang);
        EXPECT_EQ(cant.endsWith(QLatin1Char('"')), fileWord.startsWith(QLatin1Char('"'))) << lang;
        EXPECT_TRUE(cant.endsWith(QLatin1Char(' ')) || cant.endsWith(QLatin1Char('"'))) << lang;
        EXPECT_TRUE(fileWord.endsWith(QLatin1Char(' '))) << lang;
    }
}

// Each menu caption carries exactly one accelerator, and no two items of one menu share
// it. The English captions are kept as they have always been and do not meet this.
TEST(QvConstsStrings, MenuAcceleratorsAreSingleAndDistinct)
{
    const QList<QList<TStrKey>> menus = {
        {TStrKey::StrListOpen, TStrKey::StrListView, TStrKey::StrListSendTo, TStrKey::StrListCut,
         TStrKey::StrListCopy, TStrKey::StrListPaste, TStrKey::StrListRename,
         TStrKey::StrListDelete, TStrKey::StrListProperties, TStrKey::StrListNewFolder},
        {TStrKey::StrSendAnyFolder, TStrKey::StrSendClipContents, TStrKey::StrSendClipFileName,
         TStrKey::StrSendDesktopShortcut},
        {TStrKey::StrTreeNewFolder, TStrKey::StrTreeRenameFolder, TStrKey::StrTreeDeleteFolder,
         TStrKey::StrTreeCut, TStrKey::StrTreeCopy, TStrKey::StrTreePaste, TStrKey::StrTreeSize,
         TStrKey::StrTreeFolderContents, TStrKey::StrTreeMapDrive, TStrKey::StrTreeDisconnectDrive,
         TStrKey::StrTreeProperty},
    };
    for (TLanguage lang : concreteLanguages()) {
        if (lang == lnEnglish)
            continue;
        for (const QList<TStrKey>& menu : menus) {
            QSet<QChar> seen;
            for (TStrKey key : menu) {
                const QString caption = ExplorerString(key, lang);
                ASSERT_EQ(caption.count(QLatin1Char('&')), 1) << caption.toStdString();
                const qsizetype at = caption.indexOf(QLatin1Char('&'));
                ASSERT_LT(at + 1, caption.size()) << caption.toStdString();
                const QChar accelerator = caption.at(at + 1).toLower();
                EXPECT_FALSE(seen.contains(accelerator)) << caption.toStdString();
                seen.insert(accelerator);
            }
        }
    }
}

class QvConstsSharedTexts : public ::testing::Test
{
protected:
    void SetUp() override { ResetExplorerTexts(); }
    void TearDown() override { ResetExplorerTexts(); }
};

const QList<TStrKey> kTreeKeys = {
    TStrKey::StrDrive,         TStrKey::StrFolderQuote,   TStrKey::StrErrorPrefix,
    TStrKey::StrFileWord,      TStrKey::StrFrom,          TStrKey::StrTo,
    TStrKey::StrErrorCant,     TStrKey::StrSpecifyDir,    TStrKey::StrInvalidDrive,
    TStrKey::StrNoDisk,        TStrKey::StrAlreadyExists, TStrKey::StrInvalidDirName,
    TStrKey::StrConfirmRename, TStrKey::StrCantAddDrives, TStrKey::StrNewFolderName,
    TStrKey::StrInvalidChars,  TStrKey::StrNotFound,      TStrKey::StrFilesIn,
    TStrKey::StrFileOpFailed,  TStrKey::StrTreeSizeTitle, TStrKey::StrAndSubFolders,
};

const QList<TStrKey> kListKeys = {
    TStrKey::StrErrorPrefix,     TStrKey::StrFileWord,        TStrKey::StrCancel,
    TStrKey::StrBrowse,          TStrKey::StrErrorCant,       TStrKey::StrSpecifyDir,
    TStrKey::StrInvalidDrive,    TStrKey::StrNoDisk,          TStrKey::StrAlreadyExists,
    TStrKey::StrNewFolderName,   TStrKey::StrReadOnlyFile,    TStrKey::StrNoFileSelected,
    TStrKey::StrSendToAnyFolder, TStrKey::StrEnterSendToPath, TStrKey::StrShortcutFailed,
};

TEST_F(QvConstsSharedTexts, EachLoaderCopiesItsOwnKeys)
{
    for (int k = 0; k < KeyCount; ++k) {
        const TStrKey key = keyAt(k);
        EXPECT_EQ(LoadedByTree(key), kTreeKeys.contains(key)) << k;
        EXPECT_EQ(LoadedByList(key), kListKeys.contains(key)) << k;
        EXPECT_EQ(IsMessageKey(key), LoadedByTree(key) || LoadedByList(key)) << k;
    }
}

TEST_F(QvConstsSharedTexts, EmptyUntilLoadedAndSysDefaultLoadsNothing)
{
    LoadTreeTexts();
    LoadListTexts();
    for (int k = 0; k < KeyCount; ++k)
        EXPECT_TRUE(SharedText(keyAt(k)).isEmpty()) << k;

    CurrentTreeLanguage = lnFrench;
    LoadTreeTexts();
    CurrentTreeLanguage = lnSysDefault;
    LoadTreeTexts();
    EXPECT_EQ(SharedText(TStrKey::StrConfirmRename),
              ExplorerString(TStrKey::StrConfirmRename, lnFrench));
}

TEST_F(QvConstsSharedTexts, TreeGermanThenListEnglish)
{
    CurrentTreeLanguage = lnGerman;
    LoadTreeTexts();
    for (int k = 0; k < KeyCount; ++k) {
        const TStrKey key = keyAt(k);
        const QString expected =
            kTreeKeys.contains(key) ? ExplorerString(key, lnGerman) : QString();
        EXPECT_EQ(SharedText(key), expected) << k;
    }

    CurrentListLanguage = lnEnglish;
    LoadListTexts();
    for (int k = 0; k < KeyCount; ++k) {
        const TStrKey key = keyAt(k);
        QString expected;
        if (kListKeys.contains(key))
            expected = ExplorerString(key, lnEnglish);
        else if (kTreeKeys.contains(key))
            expected = ExplorerString(key, lnGerman);
        EXPECT_EQ(SharedText(key), expected) << k;
    }
    EXPECT_EQ(SharedText(TStrKey::StrErrorCant), QStringLiteral("ERROR - Can't "));
    EXPECT_EQ(SharedText(TStrKey::StrConfirmRename),
              QStringLiteral("Wollen Sie den markierten Ordner umbenennen"));
    EXPECT_TRUE(SharedText(TStrKey::StrColName).isEmpty());

    // A later tree load takes the common keys back.
    LoadTreeTexts();
    EXPECT_EQ(SharedText(TStrKey::StrErrorCant), QStringLiteral("Fehler - Dateioperation \""));
    EXPECT_EQ(SharedText(TStrKey::StrCancel), QStringLiteral("Cancel"));
}

TEST_F(QvConstsSharedTexts, ResetRestoresTheStartState)
{
    CurrentTreeLanguage = lnJapanese;
    CurrentListLanguage = lnKorean;
    LoadTreeTexts();
    LoadListTexts();
    ResetExplorerTexts();
    EXPECT_EQ(CurrentTreeLanguage, lnSysDefault);
    EXPECT_EQ(CurrentListLanguage, lnSysDefault);
    for (int k = 0; k < KeyCount; ++k)
        EXPECT_TRUE(SharedText(keyAt(k)).isEmpty()) << k;
}

} // namespace
