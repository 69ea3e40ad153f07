#include "explorer/lang/qvconsts.h"

#include <array>

TLanguage CurrentTreeLanguage = lnSysDefault;
TLanguage CurrentListLanguage = lnSysDefault;

namespace {

constexpr int KeyCount = static_cast<int>(TStrKey::Count);
using Table = std::array<const char16_t*, KeyCount>;

// One table per language, in the order of TStrKey. Leading and trailing blanks and
// quotes matter: many texts are glued to a path, a verb or another text, for example
// StrErrorCant + verb + StrFileWord + file name, or StrFolderQuote + name + '"'.
// Menu captions and buttons carry one '&' before their accelerator.

constexpr Table kEnglish = {
    // Column captions and drive types
    u"Name",
    u"Size",
    u"Type",
    u"Modified",
    u"Attr",
    u"Disk Size",
    u"Free Space",
    u"Unknown",
    u"Not exist",
    u"Removable Disk",
    u"Fixed Disk",
    u"Network Disk",
    u"CD-ROM Disk",
    u"RAM Disk",
    // File list menu and its Send To submenu
    u"&Open",
    u"&View",
    u"Se&nd To",
    u"Cu&t",
    u"&Copy",
    u"&Paste",
    u"&Rename",
    u"&Delete",
    u"&Properties",
    u"&New Folder...",
    u"Any Folder ...",
    u"Clipboard as Contents",
    u"Clipboard as FileName",
    u"DeskTop as ShortCut",
    // Directory tree menu
    u"&New Folder",
    u"&Rename Folder",
    u"&Delete Folder",
    u"Cu&t",
    u"&Copy",
    u"&Paste",
    u"Tree &Size",
    u"&Folder Contents",
    u"&Map Network Drive ...",
    u"Dis&Connect Network Drive",
    u"&Property",
    // Message texts
    u"Drive ",
    u"Folder \"",
    u"ERROR - ",
    u" file ",
    u"From  : ",
    u"To     : ",
    u"Cancel",
    u"Browse",
    u"ERROR - Can't ",
    u"Please specify a directory",
    u"Not a valid Drive ID",
    u"There is no disk in Drive or Drive is not ready",
    u"already exists !",
    u"Error - Invalid Directory Name",
    u"Do you want to rename the selected folder",
    u"Can't add drives",
    u"New Folder",
    u"Folder Name contains invalid characters",
    u"not found",
    u"Files in ",
    u"File operation failed",
    u"It's ReadOnly",
    u"No file(s) selected",
    u"Send to any folder",
    u"Please enter the send_to path",
    u"Error - PersistFile.Save failed",
    u"TREE SIZE",
    u"and all its Sub-Folders ",
};

constexpr Table kChineseTraditional = {
    // Column captions and drive types
    u"名稱",
    u"大小",
    u"類型",
    u"修改日期",
    u"屬性",
    u"總大小",
    u"可用空間",
    u"未知",
    u"不存在",
    u"卸除式磁碟",
    u"本機磁碟",
    u"網路磁碟機",
    u"CD-ROM 光碟機",
    u"RAM 磁碟",
    // File list menu and its Send To submenu
    u"開啟(&O)",
    u"檢視(&V)",
    u"傳送到(&N)",
    u"剪下(&T)",
    u"複製(&C)",
    u"貼上(&P)",
    u"重新命名(&M)",
    u"刪除(&D)",
    u"內容(&R)",
    u"新增資料夾(&W)...",
    u"任意資料夾(&F)...",
    u"檔案內容到剪貼簿(&C)",
    u"檔案名稱到剪貼簿(&N)",
    u"桌面捷徑(&S)",
    // Directory tree menu
    u"新增資料夾(&N)",
    u"重新命名資料夾(&M)",
    u"刪除資料夾(&D)",
    u"剪下(&T)",
    u"複製(&C)",
    u"貼上(&P)",
    u"資料夾大小(&S)",
    u"資料夾中的檔案(&F)",
    u"連線網路磁碟機(&A)...",
    u"中斷網路磁碟機(&I)",
    u"內容(&R)",
    // Message texts
    u"磁碟機 ",
    u"資料夾 \"",
    u"錯誤 - ",
    u"\" 失敗，檔案: ",
    u"原名稱: ",
    u"新名稱: ",
    u"取消(&C)",
    u"瀏覽(&B)",
    u"錯誤 - 操作 \"",
    u"請選擇一個資料夾：",
    u"無效的磁碟機代號！",
    u"磁碟機中沒有磁片或磁碟機尚未就緒！",
    u"已經存在！",
    u"錯誤 - 無效的資料夾名稱：",
    u"是否要重新命名選取的資料夾？",
    u"無法新增磁碟機！",
    u"新增資料夾",
    u"資料夾名稱包含無效的字元！",
    u" 不存在！",
    u"檔案清單: ",
    u"檔案操作失敗！",
    u"此檔案為唯讀！",
    u"未選取任何檔案！",
    u"傳送到資料夾...",
    u"請輸入目的地路徑：",
    u"無法建立捷徑！",
    u"樹狀結構大小",
    u"及其所有子資料夾 ",
};

constexpr Table kChineseSimplified = {
    // Column captions and drive types
    u"名称",
    u"大小",
    u"类型",
    u"修改日期",
    u"属性",
    u"总大小",
    u"可用空间",
    u"未知",
    u"不存在",
    u"可移动磁盘",
    u"本地磁盘",
    u"网络驱动器",
    u"CD-ROM 驱动器",
    u"RAM 磁盘",
    // File list menu and its Send To submenu
    u"打开(&O)",
    u"查看(&V)",
    u"发送到(&N)",
    u"剪切(&T)",
    u"复制(&C)",
    u"粘贴(&P)",
    u"重命名(&M)",
    u"删除(&D)",
    u"属性(&R)",
    u"新建文件夹(&W)...",
    u"任意文件夹(&F)...",
    u"文件内容到剪贴板(&C)",
    u"文件名到剪贴板(&N)",
    u"桌面快捷方式(&S)",
    // Directory tree menu
    u"新建文件夹(&N)",
    u"重命名文件夹(&M)",
    u"删除文件夹(&D)",
    u"剪切(&T)",
    u"复制(&C)",
    u"粘贴(&P)",
    u"文件夹大小(&S)",
    u"文件夹内容(&F)",
    u"映射网络驱动器(&A)...",
    u"断开网络驱动器(&I)",
    u"属性(&R)",
    // Message texts
    u"驱动器 ",
    u"文件夹 \"",
    u"错误 - ",
    u"\" 失败，文件: ",
    u"原名称: ",
    u"新名称: ",
    u"取消(&C)",
    u"浏览(&B)",
    u"错误 - 操作 \"",
    u"请选择一个文件夹：",
    u"无效的驱动器号！",
    u"驱动器中没有磁盘或驱动器未就绪！",
    u"已存在！",
    u"错误 - 无效的文件夹名称：",
    u"是否要重命名所选文件夹？",
    u"无法添加驱动器！",
    u"新建文件夹",
    u"文件夹名称包含无效字符！",
    u" 未找到！",
    u"文件列表: ",
    u"文件操作失败！",
    u"该文件为只读文件！",
    u"未选择任何文件！",
    u"发送到文件夹...",
    u"请输入目标路径：",
    u"无法创建快捷方式！",
    u"目录树大小",
    u"及其所有子文件夹 ",
};

constexpr Table kDutch = {
    // Column captions and drive types
    u"Naam",
    u"Grootte",
    u"Type",
    u"Gewijzigd op",
    u"Kenmerken",
    u"Totale grootte",
    u"Vrije ruimte",
    u"Onbekend",
    u"Bestaat niet",
    u"Verwisselbare schijf",
    u"Lokaal station",
    u"Netwerkstation",
    u"Cd-romstation",
    u"RAM-schijf",
    // File list menu and its Send To submenu
    u"&Openen",
    u"&Weergeven",
    u"Verzen&den naar",
    u"Kn&ippen",
    u"&Kopiëren",
    u"&Plakken",
    u"&Naam wijzigen",
    u"&Verwijderen",
    u"&Eigenschappen",
    u"Nieuwe &map...",
    u"Willekeurige &map...",
    u"&Bestand(en) naar klembord",
    u"Bestands&namen naar klembord",
    u"&Snelkoppeling op bureaublad",
    // Directory tree menu
    u"&Nieuwe map",
    u"Map naam &wijzigen",
    u"Map &verwijderen",
    u"Kn&ippen",
    u"&Kopiëren",
    u"&Plakken",
    u"Map&grootte",
    u"Mapinh&oud",
    u"Netwerkverbinding &maken...",
    u"Netwerkverbinding ver&breken",
    u"&Eigenschappen",
    // Message texts
    u"Station ",
    u"Map \"",
    u"FOUT - ",
    u"\" is mislukt voor bestand ",
    u"Van  : ",
    u"Naar : ",
    u"&Annuleren",
    u"&Bladeren",
    u"FOUT - Bewerking \"",
    u"Kies een map:",
    u"Geen geldige stationsaanduiding!",
    u"Geen schijf in het station of het station is niet gereed!",
    u"bestaat al!",
    u"Fout - Ongeldige mapnaam:",
    u"Wilt u de geselecteerde map een andere naam geven?",
    u"Kan geen stations toevoegen!",
    u"Nieuwe map",
    u"De mapnaam bevat ongeldige tekens!",
    u" niet gevonden!",
    u"Bestanden in ",
    u"Bestandsbewerking is mislukt!",
    u"Het bestand is alleen-lezen!",
    u"Geen bestand(en) geselecteerd!",
    u"Naar een map verzenden...",
    u"Voer het doelpad in:",
    u"Snelkoppeling kon niet worden gemaakt!",
    u"MAPGROOTTE",
    u"en al zijn submappen ",
};

constexpr Table kFrench = {
    // Column captions and drive types
    u"Nom",
    u"Taille",
    u"Type",
    u"Modifié le",
    u"Attributs",
    u"Taille totale",
    u"Espace libre",
    u"Inconnu",
    u"Inexistant",
    u"Disque amovible",
    u"Disque local",
    u"Lecteur réseau",
    u"Lecteur de CD-ROM",
    u"Disque RAM",
    // File list menu and its Send To submenu
    u"&Ouvrir",
    u"&Afficher",
    u"&Envoyer vers",
    u"Co&uper",
    u"&Copier",
    u"Co&ller",
    u"&Renommer",
    u"&Supprimer",
    u"&Propriétés",
    u"&Nouveau dossier...",
    u"Un &dossier...",
    u"&Fichier(s) vers le Presse-papiers",
    u"&Nom(s) de fichier vers le Presse-papiers",
    u"&Raccourci sur le Bureau",
    // Directory tree menu
    u"&Nouveau dossier",
    u"&Renommer le dossier",
    u"&Supprimer le dossier",
    u"Co&uper",
    u"&Copier",
    u"Co&ller",
    u"&Taille du dossier",
    u"Contenu du d&ossier",
    u"Conn&ecter un lecteur réseau...",
    u"&Déconnecter un lecteur réseau",
    u"&Propriétés",
    // Message texts
    u"Lecteur ",
    u"Dossier \"",
    u"ERREUR - ",
    u"\" sur le fichier ",
    u"De   : ",
    u"Vers : ",
    u"&Annuler",
    u"&Parcourir",
    u"ERREUR - Impossible d'exécuter \"",
    u"Veuillez choisir un dossier :",
    u"Lettre de lecteur non valide !",
    u"Aucun disque dans le lecteur ou lecteur non prêt !",
    u"existe déjà !",
    u"Erreur - Nom de dossier non valide :",
    u"Voulez-vous renommer le dossier sélectionné ?",
    u"Impossible d'ajouter des lecteurs !",
    u"Nouveau dossier",
    u"Le nom du dossier contient des caractères non valides !",
    u" introuvable !",
    u"Fichiers dans ",
    u"L'opération sur le fichier a échoué !",
    u"Le fichier est en lecture seule !",
    u"Aucun fichier sélectionné !",
    u"Envoyer vers un dossier...",
    u"Veuillez saisir le chemin de destination :",
    u"Impossible de créer le raccourci !",
    u"TAILLE DE L'ARBORESCENCE",
    u"et tous ses sous-dossiers ",
};

constexpr Table kGerman = {
    // Column captions and drive types
    u"Dateiname",
    u"Größe",
    u"Typ",
    u"Geändert am",
    u"Attribute",
    u"Gesamtgröße",
    u"Freier Speicher",
    u"Unbekannt",
    u"Nicht existent",
    u"Disketten-Laufwerk",
    u"Lokales Laufwerk",
    u"Netz-Laufwerk",
    u"CD-ROM-Laufwerk",
    u"RAM-Laufwerk",
    // File list menu and its Send To submenu
    u"Ö&ffnen",
    u"An&zeigen",
    u"Se&nden an",
    u"&Ausschneiden",
    u"&Kopieren",
    u"&Einfügen",
    u"&Umbenennen",
    u"&Löschen",
    u"Eigen&schaften",
    u"Neuer &Ordner",
    u"Ordne&r...",
    u"&Datei(en) an Zwischenablage",
    u"Dateiname(n) an Z&wischenablage",
    u"&Verknüpfung auf den Desktop",
    // Directory tree menu
    u"&Neuer Ordner",
    u"&Ordner umbenennen",
    u"Ordner &löschen",
    u"&Ausschneiden",
    u"&Kopieren",
    u"&Einfügen",
    u"Ordner&größe",
    u"Ordner&inhalt",
    u"Netzlaufwerk &verbinden...",
    u"Netzlaufwerk &trennen...",
    u"Eigen&schaften",
    // Message texts
    u"Laufwerk ",
    u"Ordner \"",
    u"Fehler - ",
    u"\" ist fehlgeschlagen mit Datei ",
    u"Von  : ",
    u"Nach : ",
    u"&Abbrechen",
    u"Ordner &wählen",
    u"Fehler - Dateioperation \"",
    u"Bitte wählen Sie ein Verzeichnis:",
    u"Keine gültige Laufwerksbezeichnung!",
    u"Kein Datenträger im Laufwerk oder Laufwerk nicht bereit!",
    u" existiert bereits!",
    u"Fehler - Ungültiger Verzeichnisname:",
    u"Wollen Sie den markierten Ordner umbenennen",
    u"Hinzufügen von Laufwerken nicht möglich!",
    u"Neuer Ordner",
    u"Ordnername enthält ungültige Zeichen!",
    u" nicht gefunden!",
    u"Dateien in ",
    u"Dateioperation ist fehlgeschlagen!",
    u"Die Datei ist schreibgeschützt!",
    u"Keine Datei(en) markiert!",
    u"An Ordner senden...",
    u"Bitte geben Sie den Zielpfad ein:",
    u"Verknüpfung konnte nicht erstellt werden!",
    u"BAUMGRÖßE",
    u"und alle untergeordneten Ordner ",
};

constexpr Table kItalian = {
    // Column captions and drive types
    u"Nome",
    u"Dimensione",
    u"Tipo",
    u"Ultima modifica",
    u"Attributi",
    u"Dimensione totale",
    u"Spazio disponibile",
    u"Sconosciuto",
    u"Inesistente",
    u"Disco rimovibile",
    u"Disco locale",
    u"Unità di rete",
    u"Unità CD-ROM",
    u"Disco RAM",
    // File list menu and its Send To submenu
    u"&Apri",
    u"&Visualizza",
    u"&Invia a",
    u"&Taglia",
    u"&Copia",
    u"I&ncolla",
    u"&Rinomina",
    u"&Elimina",
    u"&Proprietà",
    u"Nuova cartel&la...",
    u"Una &cartella...",
    u"&File negli Appunti",
    u"&Nomi file negli Appunti",
    u"C&ollegamento sul desktop",
    // Directory tree menu
    u"&Nuova cartella",
    u"&Rinomina cartella",
    u"&Elimina cartella",
    u"&Taglia",
    u"&Copia",
    u"&Incolla",
    u"&Dimensione cartella",
    u"C&ontenuto cartella",
    u"Connetti &unità di rete...",
    u"Di&sconnetti unità di rete",
    u"&Proprietà",
    // Message texts
    u"Unità ",
    u"Cartella \"",
    u"ERRORE - ",
    u"\" non riuscita sul file ",
    u"Da  : ",
    u"A   : ",
    u"&Annulla",
    u"&Sfoglia",
    u"ERRORE - Operazione \"",
    u"Selezionare una cartella:",
    u"Lettera di unità non valida!",
    u"Nessun disco nell'unità o unità non pronta!",
    u"esiste già!",
    u"Errore - Nome di cartella non valido:",
    u"Rinominare la cartella selezionata?",
    u"Impossibile aggiungere unità!",
    u"Nuova cartella",
    u"Il nome della cartella contiene caratteri non validi!",
    u" non trovato!",
    u"File in ",
    u"Operazione sul file non riuscita!",
    u"Il file è di sola lettura!",
    u"Nessun file selezionato!",
    u"Invia a una cartella...",
    u"Immettere il percorso di destinazione:",
    u"Impossibile creare il collegamento!",
    u"DIMENSIONE CARTELLA",
    u"e tutte le sue sottocartelle ",
};

constexpr Table kJapanese = {
    // Column captions and drive types
    u"名前",
    u"サイズ",
    u"種類",
    u"更新日時",
    u"属性",
    u"合計サイズ",
    u"空き領域",
    u"不明",
    u"存在しません",
    u"リムーバブル ディスク",
    u"ローカル ディスク",
    u"ネットワーク ドライブ",
    u"CD-ROM ドライブ",
    u"RAM ディスク",
    // File list menu and its Send To submenu
    u"開く(&O)",
    u"表示(&V)",
    u"送る(&N)",
    u"切り取り(&T)",
    u"コピー(&C)",
    u"貼り付け(&P)",
    u"名前の変更(&M)",
    u"削除(&D)",
    u"プロパティ(&R)",
    u"新しいフォルダー(&W)...",
    u"フォルダーを指定(&F)...",
    u"ファイルをクリップボードへ(&C)",
    u"ファイル名をクリップボードへ(&N)",
    u"デスクトップにショートカットを作成(&S)",
    // Directory tree menu
    u"新しいフォルダー(&N)",
    u"フォルダー名の変更(&M)",
    u"フォルダーの削除(&D)",
    u"切り取り(&T)",
    u"コピー(&C)",
    u"貼り付け(&P)",
    u"フォルダーのサイズ(&S)",
    u"フォルダーの内容(&F)",
    u"ネットワーク ドライブの割り当て(&A)...",
    u"ネットワーク ドライブの切断(&I)",
    u"プロパティ(&R)",
    // Message texts
    u"ドライブ ",
    u"フォルダー \"",
    u"エラー - ",
    u"\" が失敗しました。ファイル: ",
    u"変更前 : ",
    u"変更後 : ",
    u"キャンセル(&C)",
    u"参照(&B)",
    u"エラー - 操作 \"",
    u"フォルダーを選択してください：",
    u"有効なドライブ名ではありません。",
    u"ドライブにディスクがないか、ドライブの準備ができていません。",
    u"は既に存在します。",
    u"エラー - フォルダー名が無効です：",
    u"選択したフォルダーの名前を変更しますか？",
    u"ドライブを追加できません。",
    u"新しいフォルダー",
    u"フォルダー名に無効な文字が含まれています。",
    u" が見つかりません。",
    u"ファイル一覧: ",
    u"ファイル操作に失敗しました。",
    u"このファイルは読み取り専用です。",
    u"ファイルが選択されていません。",
    u"フォルダーへ送る...",
    u"送り先のパスを入力してください：",
    u"ショートカットを作成できませんでした。",
    u"ツリー サイズ",
    u"とそのすべてのサブフォルダー ",
};

constexpr Table kPolish = {
    // Column captions and drive types
    u"Nazwa",
    u"Rozmiar",
    u"Typ",
    u"Data modyfikacji",
    u"Atrybuty",
    u"Rozmiar całkowity",
    u"Wolne miejsce",
    u"Nieznany",
    u"Nie istnieje",
    u"Dysk wymienny",
    u"Dysk lokalny",
    u"Dysk sieciowy",
    u"Stacja CD-ROM",
    u"RAM-dysk",
    // File list menu and its Send To submenu
    u"&Otwórz",
    u"&Podgląd",
    u"&Wyślij do",
    u"Wy&tnij",
    u"&Kopiuj",
    u"Wkl&ej",
    u"Zmień &nazwę",
    u"&Usuń",
    u"Wł&aściwości",
    u"Nowy &folder...",
    u"&Dowolny folder...",
    u"&Plik(i) do schowka",
    u"&Nazwy plików do schowka",
    u"&Skrót na pulpicie",
    // Directory tree menu
    u"&Nowy folder",
    u"&Zmień nazwę folderu",
    u"&Usuń folder",
    u"Wy&tnij",
    u"&Kopiuj",
    u"Wkl&ej",
    u"&Rozmiar folderu",
    u"Za&wartość folderu",
    u"&Mapuj dysk sieciowy...",
    u"&Odłącz dysk sieciowy",
    u"Wł&aściwości",
    // Message texts
    u"Dysk ",
    u"Folder \"",
    u"BŁĄD - ",
    u"\" nie powiodła się dla pliku ",
    u"Z   : ",
    u"Do : ",
    u"&Anuluj",
    u"&Przeglądaj",
    u"BŁĄD - Operacja \"",
    u"Wybierz folder:",
    u"Nieprawidłowa litera dysku!",
    u"Brak nośnika w stacji lub stacja nie jest gotowa!",
    u"już istnieje!",
    u"Błąd - Nieprawidłowa nazwa folderu:",
    u"Czy chcesz zmienić nazwę zaznaczonego folderu?",
    u"Nie można dodać dysków!",
    u"Nowy folder",
    u"Nazwa folderu zawiera nieprawidłowe znaki!",
    u" nie istnieje!",
    u"Pliki w ",
    u"Operacja na pliku nie powiodła się!",
    u"Plik jest tylko do odczytu!",
    u"Nie zaznaczono żadnych plików!",
    u"Wyślij do folderu...",
    u"Podaj ścieżkę docelową:",
    u"Nie można utworzyć skrótu!",
    u"ROZMIAR DRZEWA",
    u"i wszystkie jego podfoldery ",
};

constexpr Table kPortuguese = {
    // Column captions and drive types
    u"Nome",
    u"Tamanho",
    u"Tipo",
    u"Modificado em",
    u"Atributos",
    u"Tamanho total",
    u"Espaço livre",
    u"Desconhecido",
    u"Inexistente",
    u"Disco removível",
    u"Disco local",
    u"Unidade de rede",
    u"Unidade de CD-ROM",
    u"Disco RAM",
    // File list menu and its Send To submenu
    u"&Abrir",
    u"&Visualizar",
    u"E&nviar para",
    u"Recor&tar",
    u"&Copiar",
    u"C&olar",
    u"&Renomear",
    u"E&xcluir",
    u"&Propriedades",
    u"Nova pa&sta...",
    u"Qualquer &pasta...",
    u"&Arquivo(s) para a Área de Transferência",
    u"&Nome(s) de arquivo para a Área de Transferência",
    u"Atal&ho na área de trabalho",
    // Directory tree menu
    u"&Nova pasta",
    u"&Renomear pasta",
    u"E&xcluir pasta",
    u"Recor&tar",
    u"&Copiar",
    u"C&olar",
    u"Tamanho da pa&sta",
    u"Conteúdo da past&a",
    u"&Mapear unidade de rede...",
    u"&Desconectar unidade de rede",
    u"&Propriedades",
    // Message texts
    u"Unidade ",
    u"Pasta \"",
    u"ERRO - ",
    u"\" falhou com o arquivo ",
    u"De   : ",
    u"Para : ",
    u"&Cancelar",
    u"&Procurar",
    u"ERRO - A operação \"",
    u"Selecione uma pasta:",
    u"Letra de unidade inválida!",
    u"Não há disco na unidade ou a unidade não está pronta!",
    u"já existe!",
    u"Erro - Nome de pasta inválido:",
    u"Deseja renomear a pasta selecionada?",
    u"Não é possível adicionar unidades!",
    u"Nova pasta",
    u"O nome da pasta contém caracteres inválidos!",
    u" não encontrado!",
    u"Arquivos em ",
    u"A operação de arquivo falhou!",
    u"O arquivo é somente leitura!",
    u"Nenhum arquivo selecionado!",
    u"Enviar para uma pasta...",
    u"Digite o caminho de destino:",
    u"Não foi possível criar o atalho!",
    u"TAMANHO DA ÁRVORE",
    u"e todas as suas subpastas ",
};

constexpr Table kSlovenian = {
    // Column captions and drive types
    u"Ime",
    u"Velikost",
    u"Vrsta",
    u"Spremenjeno",
    u"Atributi",
    u"Skupna velikost",
    u"Prosti prostor",
    u"Neznano",
    u"Ne obstaja",
    u"Izmenljivi disk",
    u"Lokalni disk",
    u"Omrežni pogon",
    u"Pogon CD-ROM",
    u"RAM-disk",
    // File list menu and its Send To submenu
    u"&Odpri",
    u"&Prikaži",
    u"Pošlji &v",
    u"&Izreži",
    u"&Kopiraj",
    u"Pri&lepi",
    u"P&reimenuj",
    u"I&zbriši",
    u"Las&tnosti",
    u"&Nova mapa...",
    u"Poljubna &mapa...",
    u"&Datoteke v odložišče",
    u"&Imena datotek v odložišče",
    u"&Bližnjica na namizju",
    // Directory tree menu
    u"&Nova mapa",
    u"P&reimenuj mapo",
    u"I&zbriši mapo",
    u"&Izreži",
    u"&Kopiraj",
    u"Pri&lepi",
    u"&Velikost mape",
    u"V&sebina mape",
    u"&Poveži omrežni pogon...",
    u"Prekini p&ovezavo z omrežnim pogonom",
    u"Las&tnosti",
    // Message texts
    u"Pogon ",
    u"Mapa \"",
    u"NAPAKA - ",
    u"\" ni uspela za datoteko ",
    u"Iz : ",
    u"V  : ",
    u"&Prekliči",
    u"P&rebrskaj",
    u"NAPAKA - Operacija \"",
    u"Izberite mapo:",
    u"Neveljavna oznaka pogona!",
    u"V pogonu ni diska ali pogon ni pripravljen!",
    u"že obstaja!",
    u"Napaka - Neveljavno ime mape:",
    u"Ali želite preimenovati izbrano mapo?",
    u"Pogonov ni mogoče dodati!",
    u"Nova mapa",
    u"Ime mape vsebuje neveljavne znake!",
    u" ne obstaja!",
    u"Datoteke v ",
    u"Operacija z datoteko ni uspela!",
    u"Datoteka je samo za branje!",
    u"Nobena datoteka ni izbrana!",
    u"Pošlji v poljubno mapo...",
    u"Vnesite ciljno pot:",
    u"Bližnjice ni bilo mogoče ustvariti!",
    u"VELIKOST DREVESA",
    u"in vse podmape ",
};

constexpr Table kSlovak = {
    // Column captions and drive types
    u"Názov",
    u"Veľkosť",
    u"Typ",
    u"Zmenené",
    u"Atribúty",
    u"Celková veľkosť",
    u"Voľné miesto",
    u"Neznámy",
    u"Neexistuje",
    u"Vymeniteľný disk",
    u"Lokálny disk",
    u"Sieťová jednotka",
    u"Jednotka CD-ROM",
    u"RAM disk",
    // File list menu and its Send To submenu
    u"&Otvoriť",
    u"&Zobraziť",
    u"Odosl&ať",
    u"&Vystrihnúť",
    u"&Kopírovať",
    u"V&ložiť",
    u"Pre&menovať",
    u"O&dstrániť",
    u"Vlas&tnosti",
    u"&Nový priečinok...",
    u"Ľubovoľný &priečinok...",
    u"&Súbor(y) do schránky",
    u"&Názvy súborov do schránky",
    u"&Odkaz na pracovnej ploche",
    // Directory tree menu
    u"&Nový priečinok",
    u"Pre&menovať priečinok",
    u"O&dstrániť priečinok",
    u"&Vystrihnúť",
    u"&Kopírovať",
    u"V&ložiť",
    u"V&eľkosť priečinka",
    u"&Obsah priečinka",
    u"&Pripojiť sieťovú jednotku...",
    u"Odpo&jiť sieťovú jednotku",
    u"Vlas&tnosti",
    // Message texts
    u"Jednotka ",
    u"Priečinok \"",
    u"CHYBA - ",
    u"\" zlyhala pre súbor ",
    u"Z  : ",
    u"Do : ",
    u"&Zrušiť",
    u"&Prehľadávať",
    u"CHYBA - Operácia \"",
    u"Vyberte priečinok:",
    u"Neplatné označenie jednotky!",
    u"V jednotke nie je disk alebo jednotka nie je pripravená!",
    u"už existuje!",
    u"Chyba - Neplatný názov priečinka:",
    u"Chcete premenovať označený priečinok?",
    u"Jednotky nie je možné pridať!",
    u"Nový priečinok",
    u"Názov priečinka obsahuje neplatné znaky!",
    u" neexistuje!",
    u"Súbory v ",
    u"Operácia so súborom zlyhala!",
    u"Súbor je iba na čítanie!",
    u"Nie sú označené žiadne súbory!",
    u"Odoslať do priečinka...",
    u"Zadajte cieľovú cestu:",
    u"Odkaz sa nepodarilo vytvoriť!",
    u"VEĽKOSŤ STROMU",
    u"a všetky jeho podpriečinky ",
};

constexpr Table kSpanish = {
    // Column captions and drive types
    u"Nombre",
    u"Tamaño",
    u"Tipo",
    u"Modificado",
    u"Atributos",
    u"Tamaño total",
    u"Espacio libre",
    u"Desconocido",
    u"No existe",
    u"Disco extraíble",
    u"Disco local",
    u"Unidad de red",
    u"Unidad de CD-ROM",
    u"Disco RAM",
    // File list menu and its Send To submenu
    u"&Abrir",
    u"&Ver",
    u"E&nviar a",
    u"Cor&tar",
    u"&Copiar",
    u"&Pegar",
    u"Ca&mbiar nombre",
    u"&Eliminar",
    u"Propie&dades",
    u"Nueva ca&rpeta...",
    u"Cualquier ca&rpeta...",
    u"&Archivo(s) al Portapapeles",
    u"&Nombre(s) de archivo al Portapapeles",
    u"Acceso &directo en el escritorio",
    // Directory tree menu
    u"&Nueva carpeta",
    u"Ca&mbiar nombre de carpeta",
    u"&Eliminar carpeta",
    u"Cor&tar",
    u"&Copiar",
    u"&Pegar",
    u"Tamaño de ca&rpeta",
    u"Conten&ido de la carpeta",
    u"Conectar &unidad de red...",
    u"&Desconectar unidad de red",
    u"Propiedade&s",
    // Message texts
    u"Unidad ",
    u"Carpeta \"",
    u"ERROR - ",
    u"\" falló con el archivo ",
    u"De : ",
    u"A  : ",
    u"&Cancelar",
    u"&Examinar",
    u"ERROR - La operación \"",
    u"Seleccione una carpeta:",
    u"Letra de unidad no válida.",
    u"No hay ningún disco en la unidad o la unidad no está preparada.",
    u"ya existe.",
    u"Error - Nombre de carpeta no válido:",
    u"¿Desea cambiar el nombre de la carpeta seleccionada?",
    u"No se pueden agregar unidades.",
    u"Nueva carpeta",
    u"El nombre de la carpeta contiene caracteres no válidos.",
    u" no encontrado.",
    u"Archivos en ",
    u"La operación de archivo falló.",
    u"El archivo es de solo lectura.",
    u"No hay archivos seleccionados.",
    u"Enviar a una carpeta...",
    u"Escriba la ruta de destino:",
    u"No se pudo crear el acceso directo.",
    u"TAMAÑO DEL ÁRBOL",
    u"y todas sus subcarpetas ",
};

constexpr Table kSwedish = {
    // Column captions and drive types
    u"Namn",
    u"Storlek",
    u"Typ",
    u"Ändrad",
    u"Attribut",
    u"Total storlek",
    u"Ledigt utrymme",
    u"Okänd",
    u"Finns inte",
    u"Flyttbar disk",
    u"Lokal disk",
    u"Nätverksenhet",
    u"Cd-romenhet",
    u"RAM-disk",
    // File list menu and its Send To submenu
    u"&Öppna",
    u"&Visa",
    u"Skicka &till",
    u"&Klipp ut",
    u"K&opiera",
    u"Klistra &in",
    u"&Byt namn",
    u"T&a bort",
    u"&Egenskaper",
    u"&Ny mapp...",
    u"Valfri &mapp...",
    u"&Fil(er) till Urklipp",
    u"Fil&namn till Urklipp",
    u"&Genväg på skrivbordet",
    // Directory tree menu
    u"&Ny mapp",
    u"&Byt namn på mapp",
    u"T&a bort mapp",
    u"&Klipp ut",
    u"K&opiera",
    u"Klistra &in",
    u"Mapp&storlek",
    u"Mappinne&håll",
    u"Ans&lut nätverksenhet...",
    u"Koppla &från nätverksenhet",
    u"&Egenskaper",
    // Message texts
    u"Enhet ",
    u"Mappen \"",
    u"FEL - ",
    u"\" misslyckades för filen ",
    u"Från : ",
    u"Till  : ",
    u"&Avbryt",
    u"&Bläddra",
    u"FEL - Åtgärden \"",
    u"Välj en mapp:",
    u"Ogiltig enhetsbeteckning!",
    u"Ingen disk i enheten eller enheten är inte klar!",
    u"finns redan!",
    u"Fel - Ogiltigt mappnamn:",
    u"Vill du byta namn på den markerade mappen?",
    u"Det går inte att lägga till enheter!",
    u"Ny mapp",
    u"Mappnamnet innehåller ogiltiga tecken!",
    u" hittades inte!",
    u"Filer i ",
    u"Filåtgärden misslyckades!",
    u"Filen är skrivskyddad!",
    u"Inga filer markerade!",
    u"Skicka till valfri mapp...",
    u"Ange målsökvägen:",
    u"Genvägen kunde inte skapas!",
    u"TRÄDSTORLEK",
    u"och alla dess undermappar ",
};

constexpr Table kKorean = {
    // Column captions and drive types
    u"이름",
    u"크기",
    u"유형",
    u"수정한 날짜",
    u"특성",
    u"전체 크기",
    u"사용 가능한 공간",
    u"알 수 없음",
    u"존재하지 않음",
    u"이동식 디스크",
    u"로컬 디스크",
    u"네트워크 드라이브",
    u"CD-ROM 드라이브",
    u"RAM 디스크",
    // File list menu and its Send To submenu
    u"열기(&O)",
    u"보기(&V)",
    u"보내기(&N)",
    u"잘라내기(&T)",
    u"복사(&C)",
    u"붙여넣기(&P)",
    u"이름 바꾸기(&M)",
    u"삭제(&D)",
    u"속성(&R)",
    u"새 폴더(&W)...",
    u"폴더 지정(&F)...",
    u"파일을 클립보드로(&C)",
    u"파일 이름을 클립보드로(&N)",
    u"바탕 화면에 바로 가기 만들기(&S)",
    // Directory tree menu
    u"새 폴더(&N)",
    u"폴더 이름 바꾸기(&M)",
    u"폴더 삭제(&D)",
    u"잘라내기(&T)",
    u"복사(&C)",
    u"붙여넣기(&P)",
    u"폴더 크기(&S)",
    u"폴더 내용(&F)",
    u"네트워크 드라이브 연결(&A)...",
    u"네트워크 드라이브 연결 끊기(&I)",
    u"속성(&R)",
    // Message texts
    u"드라이브 ",
    u"폴더 \"",
    u"오류 - ",
    u"\" 작업에 실패했습니다. 파일: ",
    u"원래 이름 : ",
    u"새 이름   : ",
    u"취소(&C)",
    u"찾아보기(&B)",
    u"오류 - \"",
    u"폴더를 선택하십시오:",
    u"올바른 드라이브 문자가 아닙니다.",
    u"드라이브에 디스크가 없거나 드라이브가 준비되지 않았습니다.",
    u"이(가) 이미 있습니다.",
    u"오류 - 잘못된 폴더 이름:",
    u"선택한 폴더의 이름을 바꾸시겠습니까?",
    u"드라이브를 추가할 수 없습니다.",
    u"새 폴더",
    u"폴더 이름에 잘못된 문자가 있습니다.",
    u"을(를) 찾을 수 없습니다.",
    u"파일 목록: ",
    u"파일 작업에 실패했습니다.",
    u"읽기 전용 파일입니다.",
    u"선택한 파일이 없습니다.",
    u"폴더로 보내기...",
    u"보낼 경로를 입력하십시오:",
    u"바로 가기를 만들 수 없습니다.",
    u"트리 크기",
    u"및 모든 하위 폴더 ",
};

constexpr Table kTurkish = {
    // Column captions and drive types
    u"Ad",
    u"Boyut",
    u"Tür",
    u"Değiştirilme",
    u"Öznitelikler",
    u"Toplam boyut",
    u"Boş alan",
    u"Bilinmiyor",
    u"Mevcut değil",
    u"Çıkarılabilir disk",
    u"Yerel disk",
    u"Ağ sürücüsü",
    u"CD-ROM sürücüsü",
    u"RAM diski",
    // File list menu and its Send To submenu
    u"&Aç",
    u"&Görüntüle",
    u"Gönd&er",
    u"&Kes",
    u"K&opyala",
    u"&Yapıştır",
    u"Yeniden a&dlandır",
    u"&Sil",
    u"Özell&ikler",
    u"Yeni k&lasör...",
    u"Herhangi bir &klasör...",
    u"&Dosya(lar) panoya",
    u"Dosya &adları panoya",
    u"&Masaüstüne kısayol",
    // Directory tree menu
    u"&Yeni klasör",
    u"Klasörü yeniden a&dlandır",
    u"Klasörü &sil",
    u"&Kes",
    u"K&opyala",
    u"Ya&pıştır",
    u"Klasör boy&utu",
    u"Klasör i&çeriği",
    u"&Ağ sürücüsüne bağlan...",
    u"Ağ sürücüsü &bağlantısını kes",
    u"Özell&ikler",
    // Message texts
    u"Sürücü ",
    u"Klasör \"",
    u"HATA - ",
    u"\" işlemi şu dosyada başarısız oldu: ",
    u"Kaynak : ",
    u"Hedef  : ",
    u"İ&ptal",
    u"&Gözat",
    u"HATA - \"",
    u"Lütfen bir klasör seçin:",
    u"Geçerli bir sürücü harfi değil!",
    u"Sürücüde disk yok veya sürücü hazır değil!",
    u"zaten var!",
    u"Hata - Geçersiz klasör adı:",
    u"Seçili klasörü yeniden adlandırmak istiyor musunuz?",
    u"Sürücü eklenemiyor!",
    u"Yeni klasör",
    u"Klasör adı geçersiz karakterler içeriyor!",
    u" bulunamadı!",
    u"Dosyalar: ",
    u"Dosya işlemi başarısız oldu!",
    u"Dosya salt okunur!",
    u"Hiç dosya seçilmedi!",
    u"Herhangi bir klasöre gönder...",
    u"Lütfen hedef yolu girin:",
    u"Kısayol oluşturulamadı!",
    u"AĞAÇ BOYUTU",
    u"ve tüm alt klasörleri ",
};

// A table written short would be padded with null pointers; refuse that at build time.
constexpr bool isComplete(const Table& table)
{
    for (const char16_t* text : table) {
        if (text == nullptr || *text == u'\0')
            return false;
    }
    return true;
}

static_assert(isComplete(kEnglish) && isComplete(kChineseTraditional) &&
              isComplete(kChineseSimplified) && isComplete(kDutch) && isComplete(kFrench) &&
              isComplete(kGerman) && isComplete(kItalian) && isComplete(kJapanese) &&
              isComplete(kPolish) && isComplete(kPortuguese) && isComplete(kSlovenian) &&
              isComplete(kSlovak) && isComplete(kSpanish) && isComplete(kSwedish) &&
              isComplete(kKorean) && isComplete(kTurkish));

// Indexed by TLanguage; lnSysDefault has no table.
constexpr std::array<const Table*, LanguageCount> kTables = {
    nullptr,
    &kEnglish,
    &kChineseTraditional,
    &kChineseSimplified,
    &kDutch,
    &kFrench,
    &kGerman,
    &kItalian,
    &kJapanese,
    &kPolish,
    &kPortuguese,
    &kSlovenian,
    &kSlovak,
    &kSpanish,
    &kSwedish,
    &kKorean,
    &kTurkish,
};

struct MessageKey
{
    TStrKey key;
    bool tree; // copied by LoadTreeTexts
    bool list; // copied by LoadListTexts
};

constexpr MessageKey kMessageKeys[] = {
    {TStrKey::StrDrive, true, false},
    {TStrKey::StrFolderQuote, true, false},
    {TStrKey::StrErrorPrefix, true, true},
    {TStrKey::StrFileWord, true, true},
    {TStrKey::StrFrom, true, false},
    {TStrKey::StrTo, true, false},
    {TStrKey::StrCancel, false, true},
    {TStrKey::StrBrowse, false, true},
    {TStrKey::StrErrorCant, true, true},
    {TStrKey::StrSpecifyDir, true, true},
    {TStrKey::StrInvalidDrive, true, true},
    {TStrKey::StrNoDisk, true, true},
    {TStrKey::StrAlreadyExists, true, true},
    {TStrKey::StrInvalidDirName, true, false},
    {TStrKey::StrConfirmRename, true, false},
    {TStrKey::StrCantAddDrives, true, false},
    {TStrKey::StrNewFolderName, true, true},
    {TStrKey::StrInvalidChars, true, false},
    {TStrKey::StrNotFound, true, false},
    {TStrKey::StrFilesIn, true, false},
    {TStrKey::StrFileOpFailed, true, false},
    {TStrKey::StrReadOnlyFile, false, true},
    {TStrKey::StrNoFileSelected, false, true},
    {TStrKey::StrSendToAnyFolder, false, true},
    {TStrKey::StrEnterSendToPath, false, true},
    {TStrKey::StrShortcutFailed, false, true},
    {TStrKey::StrTreeSizeTitle, true, false},
    {TStrKey::StrAndSubFolders, true, false},
};

const MessageKey* findMessageKey(TStrKey key)
{
    for (const MessageKey& entry : kMessageKeys) {
        if (entry.key == key)
            return &entry;
    }
    return nullptr;
}

const Table* tableOf(TLanguage lang)
{
    const int index = static_cast<int>(lang);
    if (index < 0 || index >= LanguageCount)
        return nullptr;
    return kTables[static_cast<std::size_t>(index)];
}

std::array<QString, KeyCount>& sharedTexts()
{
    static std::array<QString, KeyCount> texts;
    return texts;
}

void loadTexts(TLanguage lang, bool MessageKey::*loadedBy)
{
    const Table* table = tableOf(lang);
    if (table == nullptr)
        return;
    for (const MessageKey& entry : kMessageKeys) {
        if (entry.*loadedBy) {
            const auto index = static_cast<std::size_t>(entry.key);
            sharedTexts()[index] = QString::fromUtf16((*table)[index]);
        }
    }
}

} // namespace

QString ExplorerString(TStrKey key, TLanguage lang)
{
    const Table* table = tableOf(lang);
    const int index = static_cast<int>(key);
    if (table == nullptr || index < 0 || index >= KeyCount)
        return {};
    return QString::fromUtf16((*table)[static_cast<std::size_t>(index)]);
}

TLanguage ResolveLanguage(quint16 langId)
{
    const int primary = langId & 0x3FF;
    const int sublanguage = (langId >> 10) & 0x3F;
    switch (primary) {
    case 0x04:
        return sublanguage == 0x02 ? lnChinese_Sim : lnChinese_Tra;
    case 0x07:
        return lnGerman;
    case 0x09:
        return lnEnglish;
    case 0x0A:
        return lnSpanish;
    case 0x0C:
        return lnFrench;
    case 0x10:
        return lnItalian;
    case 0x11:
        return lnJapanese;
    case 0x12:
        return lnKorean;
    case 0x13:
        return lnDutch;
    case 0x15:
        return lnPolish;
    case 0x16:
        return lnPortuguese;
    case 0x1B:
        return lnSlovak;
    case 0x1D:
        return lnSwedish;
    case 0x1F:
        return lnTurkish;
    case 0x24:
        return lnSlovenian;
    default:
        return lnEnglish;
    }
}

bool IsMessageKey(TStrKey key)
{
    return findMessageKey(key) != nullptr;
}

bool LoadedByTree(TStrKey key)
{
    const MessageKey* entry = findMessageKey(key);
    return entry != nullptr && entry->tree;
}

bool LoadedByList(TStrKey key)
{
    const MessageKey* entry = findMessageKey(key);
    return entry != nullptr && entry->list;
}

QString SharedText(TStrKey key)
{
    const int index = static_cast<int>(key);
    if (index < 0 || index >= KeyCount)
        return {};
    return sharedTexts()[static_cast<std::size_t>(index)];
}

void LoadTreeTexts()
{
    loadTexts(CurrentTreeLanguage, &MessageKey::tree);
}

void LoadListTexts()
{
    loadTexts(CurrentListLanguage, &MessageKey::list);
}

void ResetExplorerTexts()
{
    CurrentTreeLanguage = lnSysDefault;
    CurrentListLanguage = lnSysDefault;
    for (QString& text : sharedTexts())
        text.clear();
}
