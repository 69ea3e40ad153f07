#pragma once

#include <QMainWindow>
#include <QStringList>
#include <memory>

class CollectionList;
class QAction;
class QGroupBox;
class QLabel;
class QSplitter;
class Tdateien;
class TQvDirTree21;
class TQvFilelistView28;

// The main window: the source pane ("Quelle") on the left and the target pane
// ("Ziel") on the right, each a directory tree coupled to a file list; the menu
// with every command; the option switches of the transfer; the status line.
class Tmainform : public QMainWindow
{
    Q_OBJECT
public:
    explicit Tmainform(QWidget* parent = nullptr);
    ~Tmainform() override;

    TQvDirTree21* Quellbaum() const { return m_quellbaum; }
    TQvFilelistView28* FileList() const { return m_fileList; }
    TQvDirTree21* Zielbaum() const { return m_zielbaum; }
    TQvFilelistView28* Zieldateien() const { return m_zieldateien; }
    QGroupBox* Groupbox1() const { return m_groupbox1; }
    QGroupBox* Groupbox2() const { return m_groupbox2; }
    Tdateien* Dateien() const { return m_dateien.get(); }
    CollectionList* Collection() const { return m_collection; }

    // Menu items by their names (Aktion, Kopieren, Verschieben, ...).
    QAction* Item(const QString& name) const;

    const QStringList& Auswahlliste() const { return m_auswahlliste; }
    QString Suchfilter() const { return m_suchfilter; }
    bool Abbruch() const { return m_abbruch; }
    void SetAbbruch(bool abort) { m_abbruch = abort; }
    QString StatusText() const;

    // The commands.
    void Aktionclick();
    void Uebertragen(bool kopierend);
    void Information1Click();
    void Beenden1Click();
    void Hinzufuegenclick();
    void Dateiensuchen1Click();
    void Anzeigefilter1Click();
    void Dellisteclick();
    void Listeanzeigen1Click();
    void Kopierenclick();
    void Verschiebenclick();
    void Hilfe2Click();
    void Verknuepfenclick();
    void Info1Click();
    void StatusAktualisieren();

    // The help page beside the program, opened at a topic.
    static QString HelpUrl(int topic);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate();
    void Formclose();
    void Formkeypress(QChar key);
    // The source pane always takes half of the window's outer width.
    void Formcanresize(int outerWidth);
    QGroupBox* createPane(const QString& caption, const QString& name, TQvDirTree21*& tree,
                          QSplitter*& splitter, TQvFilelistView28*& list);
    void createMenu();
    QAction* addItem(QMenu* menu, const QString& name, const QString& caption,
                     void (Tmainform::*handler)(), const QKeySequence& shortcut = {});
    void appendBatchAndShow();

    QGroupBox* m_groupbox1 = nullptr;
    QGroupBox* m_groupbox2 = nullptr;
    TQvDirTree21* m_quellbaum = nullptr;
    TQvDirTree21* m_zielbaum = nullptr;
    QSplitter* m_splitter1 = nullptr;
    QSplitter* m_splitter2 = nullptr;
    TQvFilelistView28* m_fileList = nullptr;
    TQvFilelistView28* m_zieldateien = nullptr;

    CollectionList* m_collection = nullptr;
    std::unique_ptr<Tdateien> m_dateien;
    QLabel* m_status = nullptr;
    QStringList m_auswahlliste;
    QString m_suchfilter = QStringLiteral("*.*");
    bool m_abbruch = false;
    bool m_closed = false;
};
