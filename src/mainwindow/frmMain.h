// The main window: the find/replace panel, the two views, the progress bar and the status line in a
// splitter, the toolbars and menus of the tool catalogue. It implements the MainSurface for the logic
// and the captions that LoadLanguage sets. Commands are not handled here: the window announces tool
// clicks and table choices through its signals, and the command dispatcher acts on them through
// tools(), the MainSurface and texts(). UI thread only.
#pragma once

#include "presentation/MainSurface.h"
#include "presentation/MainWindowCaptions.h"
#include "presentation/MainWindowLanguage.h"
#include "presentation/ToolCatalogue.h"

#include <QMainWindow>
#include <QMap>

#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QProgressBar;
class QSplitter;
class QTimer;

namespace dorvane {

class LockableCheckBox;
class LockableRadioButton;
class MemoEdit;
class ToolBarView;

class frmMain : public QMainWindow, public MainSurface, public MainWindowCaptions
{
    Q_OBJECT

public:
    // The window's design size in twips; the window comes up at this size.
    static constexpr int DesignWidth = 11100;
    static constexpr int DesignHeight = 7800;
    // The minimum-size rule holds the window at least this large (twips, outer size).
    static constexpr int MinimumWidth = 7000;
    static constexpr int MinimumHeight = 5500;

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The window's tool catalogue: the logic switches tools only here.
    ToolCatalogue& tools() { return m_tools; }
    // The texts of section frmMain that the logic composes later; germanDefaults() while GermanOnly.
    const MainWindowTexts& texts() const { return m_language.texts(); }
    MainWindowLanguage& language() { return m_language; }

    // Applies the current language file to the window (sections frmMain and All).
    void LoadLanguage() { m_language.LoadLanguage(); }
    // Applies the INI option Win/TBText to the run tools.
    void SetTB();

    // The layout routine: places the splitter and the panel's elements for the current size. Does
    // nothing while it runs already or while the window is minimised.
    void layoutPanel();
    // The minimum-size rule (MinimumWidth × MinimumHeight), then the layout routine.
    void applyMinimumSize();

    QAction* toolAction(const QString& id) const;
    QComboBox* tablesBox() const;
    double twipsPerPixelX() const;
    double twipsPerPixelY() const;

    // MainSurface
    void setStatusText(int panel, const QString& text) override;
    QString statusText(int panel) const override;
    void setStatusToolTip(int panel, const QString& text) override;
    QString statusToolTip(int panel) const override;
    void setProgressMaximum(int maximum) override;
    int progressMaximum() const override { return m_progressMaximum; }
    void setProgressValue(int value) override;
    int progressValue() const override { return m_progressValue; }
    void setProgressVisible(bool visible) override;
    bool isProgressVisible() const override;
    void setOriginalView(const EditorValue& value) override;
    EditorValue originalView() const override;
    void setReplacedView(const EditorValue& value) override;
    EditorValue replacedView() const override;
    void setReplacedMaxLength(int length) override;
    int replacedMaxLength() const override;
    void setReplacedDigitsOnly(bool digitsOnly) override;
    bool replacedDigitsOnly() const override;
    void setSearchValue(const EditorValue& value) override;
    EditorValue searchValue() const override;
    void setReplaceValue(const EditorValue& value) override;
    EditorValue replaceValue() const override;
    void setWholeField(bool on) override;
    bool wholeField() const override;
    void setCaseSensitive(bool on) override;
    bool caseSensitive() const override;
    void setWholeWord(bool on) override;
    bool wholeWord() const override;
    void setRegEx(bool on) override;
    bool regEx() const override;
    void setReplaceAll(bool on) override;
    bool replaceAll() const override;
    void setFindLabelCaption(const QString& caption) override;
    QString findLabelCaption() const override;
    void SetInterface(bool locked) override;
    bool isInterfaceLocked() const override { return m_locked; }
    void setCaption(const QString& caption) override;
    QString caption() const override;
    void setWaitCursor(bool on) override;
    void showMessage(const QString& text, const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;
    void processEvents() override;
    void setTimer1Handler(std::function<void()> handler) override;
    void setTimer1Interval(int milliseconds) override;
    int timer1Interval() const override;
    void setTimer1Enabled(bool enabled) override;
    bool isTimer1Enabled() const override;

    // MainWindowCaptions
    void setElementCaption(CaptionElement element, const QString& caption) override;
    QString elementCaption(CaptionElement element) const override;
    void setEditorCommandText(EditorCommand command, const QString& text) override;
    QString editorCommandText(EditorCommand command) const override;

signals:
    // A tool was clicked (a two-state tool still shows its old state in tools()).
    void toolClicked(const QString& id);
    // Sent after each click, once a two-state tool's state has flipped: re-check ID_Start.
    void toolClickFinished(const QString& id);
    // The user chose or typed an entry of ID_Tables; tools().tableText() is that text.
    void tableChosen(const QString& text);
    // The window has just been minimised (the tray handling takes over).
    void windowMinimized();
    // The window is being closed (by the close box or close()); it never refuses.
    void unloading();
    // F1 while the window is active: the application's help file is asked for.
    void helpKeyPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildPanel();
    void buildStatusBar();
    void onRegExChanged(bool ticked);
    QWidget* captionWidget(CaptionElement element) const;

    ToolCatalogue m_tools;
    MainWindowLanguage m_language {*this, m_tools, *this};
    ToolBarView* m_toolBars = nullptr;

    QWidget* m_central = nullptr;
    QSplitter* m_splitter = nullptr; // SSSplitter1
    QGroupBox* m_fraMain = nullptr;
    QGroupBox* m_fraOriginal = nullptr;
    QGroupBox* m_fraReplaced = nullptr;
    QLabel* m_lblFind = nullptr;
    QLabel* m_lblReplace = nullptr;
    MemoEdit* m_dxMemo = nullptr;
    MemoEdit* m_dxMemoReplace = nullptr;
    MemoEdit* m_dxOriginalView = nullptr;
    MemoEdit* m_dxReplacedView = nullptr;
    LockableRadioButton* m_optField[2] = {nullptr, nullptr};
    LockableCheckBox* m_chkCase = nullptr;
    LockableCheckBox* m_chkWholeWord = nullptr;
    LockableCheckBox* m_chkRegEx = nullptr;
    LockableCheckBox* m_chkReplaceAll = nullptr;
    QProgressBar* m_dxProgressBar1 = nullptr;
    QLabel* m_panels[5] = {};
    QTimer* m_timer1 = nullptr;
    std::function<void()> m_timer1Handler;
    QMap<EditorCommand, QString> m_commandTexts;

    int m_progressMaximum = 100;
    int m_progressValue = 0;
    bool m_locked = false;
    bool m_resizing = false; // the layout routine is running
    int m_waitCursors = 0;
};

} // namespace dorvane
