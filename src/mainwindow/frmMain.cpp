#include "mainwindow/frmMain.h"

#include "appicon/ApplicationIcon.h"
#include "core/ProductInfo.h"
#include "mainwindow/LockableCheckBox.h"
#include "mainwindow/LockableRadioButton.h"
#include "mainwindow/MemoEdit.h"
#include "mainwindow/PanelLayout.h"
#include "mainwindow/ToolBarView.h"
#include "mainwindow/Twips.h"
#include "presentation/ToolBarOptions.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace dorvane {

namespace {

bool validPanel(int panel)
{
    return panel >= 1 && panel <= 5;
}

// The find/replace panel needs this much height: the progress bar ends at 2205 twips.
constexpr double PanelHeight = 2340;

} // namespace

frmMain::frmMain(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(ProductName);
    // Its own icon rather than the application's, which in a host is the host's; dialogs opened over
    // the window show it too.
    setWindowIcon(applicationIcon());
    for (EditorCommand command : AllEditorCommands)
        m_commandTexts.insert(command, MainWindowCaptions::defaultCommandText(command));

    m_toolBars = new ToolBarView(m_tools, *this);
    connect(m_toolBars, &ToolBarView::toolClicked, this, &frmMain::toolClicked);
    connect(m_toolBars, &ToolBarView::toolClickFinished, this, &frmMain::toolClickFinished);
    connect(m_toolBars, &ToolBarView::tableChosen, this, &frmMain::tableChosen);

    buildPanel();
    buildStatusBar();

    // The window's own F1, not the application's: a host program keeps F1 for its windows.
    auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
    helpKey->setObjectName(QStringLiteral("helpKey"));
    connect(helpKey, &QShortcut::activated, this, &frmMain::helpKeyPressed);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(50);
    connect(m_timer1, &QTimer::timeout, this, [this] {
        if (m_timer1Handler)
            m_timer1Handler();
    });

    resize(twipsToPixels(DesignWidth, logicalDpiX()), twipsToPixels(DesignHeight, logicalDpiY()));
}

frmMain::~frmMain()
{
    // The tool bars talk to m_tools; they go before it does.
    delete m_toolBars;
}

void frmMain::buildPanel()
{
    m_central = new QWidget(this);
    m_central->setObjectName(QStringLiteral("centralWidget"));
    m_central->installEventFilter(this);
    setCentralWidget(m_central);

    m_splitter = new QSplitter(Qt::Vertical, m_central);
    m_splitter->setObjectName(QStringLiteral("SSSplitter1"));
    m_splitter->setChildrenCollapsible(false);

    m_fraMain = new QGroupBox(m_splitter);
    m_fraMain->setObjectName(QStringLiteral("fraMain"));
    m_fraMain->setMinimumHeight(twipsToPixels(PanelHeight, logicalDpiY()));
    m_fraOriginal = new QGroupBox(MainWindowCaptions::designCaption(CaptionElement::fraOriginal), m_splitter);
    m_fraOriginal->setObjectName(QStringLiteral("fraOriginal"));
    m_fraReplaced = new QGroupBox(MainWindowCaptions::designCaption(CaptionElement::fraReplaced), m_splitter);
    m_fraReplaced->setObjectName(QStringLiteral("fraReplaced"));
    for (QGroupBox* frame : {m_fraOriginal, m_fraReplaced})
        frame->setMinimumHeight(twipsToPixels(900, logicalDpiY()));
    m_splitter->addWidget(m_fraMain);
    m_splitter->addWidget(m_fraOriginal);
    m_splitter->addWidget(m_fraReplaced);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setStretchFactor(2, 1);
    connect(m_splitter, &QSplitter::splitterMoved, this, &frmMain::applyMinimumSize);

    m_lblFind = new QLabel(MainWindowCaptions::findLabelDesignCaption(), m_fraMain);
    m_lblFind->setObjectName(QStringLiteral("lblFind"));
    m_lblReplace = new QLabel(MainWindowCaptions::designCaption(CaptionElement::lblReplace), m_fraMain);
    m_lblReplace->setObjectName(QStringLiteral("lblReplace"));

    auto memo = [this](QWidget* parent, const char* name) {
        auto* editor = new MemoEdit(parent);
        editor->setObjectName(QLatin1String(name));
        return editor;
    };
    m_dxMemo = memo(m_fraMain, "dxMemo");
    m_dxMemoReplace = memo(m_fraMain, "dxMemoReplace");
    m_dxOriginalView = memo(m_fraOriginal, "dxOriginalView");
    m_dxOriginalView->setReadOnly(true);
    m_dxReplacedView = memo(m_fraReplaced, "dxReplacedView");

    for (int i = 0; i < 2; ++i) {
        m_optField[i] = new LockableRadioButton(
            MainWindowCaptions::designCaption(i == 0 ? CaptionElement::optField0 : CaptionElement::optField1),
            m_fraMain);
        m_optField[i]->setObjectName(QStringLiteral("optField(%1)").arg(i));
    }
    m_optField[0]->setChecked(true);

    auto check = [this](CaptionElement element, const char* name) {
        auto* box = new LockableCheckBox(MainWindowCaptions::designCaption(element), m_fraMain);
        box->setObjectName(QLatin1String(name));
        return box;
    };
    m_chkCase = check(CaptionElement::chkCase, "chkCase");
    m_chkWholeWord = check(CaptionElement::chkWholeWord, "chkWholeWord");
    m_chkRegEx = check(CaptionElement::chkRegEx, "chkRegEx");
    m_chkReplaceAll = check(CaptionElement::chkReplaceAll, "chkReplaceAll");
    connect(m_chkRegEx, &QCheckBox::toggled, this, &frmMain::onRegExChanged);

    m_dxProgressBar1 = new QProgressBar(m_fraMain);
    m_dxProgressBar1->setObjectName(QStringLiteral("dxProgressBar1"));
    m_dxProgressBar1->setTextVisible(false);
    m_dxProgressBar1->setRange(0, m_progressMaximum);
    m_dxProgressBar1->setValue(0);
    m_dxProgressBar1->hide();

    const int panelHeight = twipsToPixels(PanelHeight, logicalDpiY());
    m_splitter->setSizes({panelHeight, panelHeight, panelHeight});
}

void frmMain::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    // Panel 1 names the source or table and gets most of the room; 4 and 5 hold short values.
    const int stretch[5] = {4, 2, 2, 1, 1};
    for (int i = 0; i < 5; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        panel->setMinimumWidth(twipsToPixels(i < 3 ? 600 : 1200, logicalDpiX()));
        panel->setTextFormat(Qt::PlainText);
        bar->addWidget(panel, stretch[i]);
        m_panels[i] = panel;
    }
}

void frmMain::SetTB()
{
    dorvane::SetTB(m_tools);
}

QAction* frmMain::toolAction(const QString& id) const
{
    return m_toolBars->action(id);
}

QComboBox* frmMain::tablesBox() const
{
    return m_toolBars->tablesBox();
}

double frmMain::twipsPerPixelX() const
{
    return TwipsPerInch / logicalDpiX();
}

double frmMain::twipsPerPixelY() const
{
    return TwipsPerInch / logicalDpiY();
}

void frmMain::layoutPanel()
{
    if (m_resizing || isMinimized())
        return;
    m_resizing = true;
    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    auto toPixels = [&](const TwipsRect& r) {
        return QRect(twipsToPixels(r.left, dpiX), twipsToPixels(r.top, dpiY), std::max(0, twipsToPixels(r.width, dpiX)),
                     std::max(0, twipsToPixels(r.height, dpiY)));
    };

    // The inner area is the central widget with the status line below it.
    const int statusHeight = statusBar()->isHidden() ? 0 : statusBar()->height();
    const TwipsRect splitter = PanelLayout::splitter(pixelsToTwips(m_central->width(), dpiX),
                                                     pixelsToTwips(m_central->height() + statusHeight, dpiY),
                                                     pixelsToTwips(statusHeight, dpiY));
    m_splitter->setGeometry(toPixels(splitter));
    m_splitter->refresh();

    FrameSizes frames;
    frames.fraMainWidth = pixelsToTwips(m_fraMain->width(), dpiX);
    frames.fraOriginalWidth = pixelsToTwips(m_fraOriginal->width(), dpiX);
    frames.fraOriginalHeight = pixelsToTwips(m_fraOriginal->height(), dpiY);
    frames.fraReplacedWidth = pixelsToTwips(m_fraReplaced->width(), dpiX);
    frames.fraReplacedHeight = pixelsToTwips(m_fraReplaced->height(), dpiY);
    for (const PanelPlacement& placement : PanelLayout::elements(frames)) {
        if (auto* widget = findChild<QWidget*>(placement.element))
            widget->setGeometry(toPixels(placement.rect));
    }
    m_resizing = false;
}

void frmMain::applyMinimumSize()
{
    // The rule is about the outer size; the frame adds the same to both before and after.
    const QSize decoration = frameGeometry().size() - size();
    const int minWidth = twipsToPixels(MinimumWidth, logicalDpiX()) - decoration.width();
    const int minHeight = twipsToPixels(MinimumHeight, logicalDpiY()) - decoration.height();
    if (!isMinimized() && !isMaximized() && !isFullScreen()) {
        if (height() < minHeight)
            resize(width(), minHeight);
        if (width() < minWidth)
            resize(minWidth, height());
    }
    layoutPanel();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_central && event->type() == QEvent::Resize)
        applyMinimumSize();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        emit windowMinimized();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    emit unloading();
    event->accept();
}

void frmMain::onRegExChanged(bool ticked)
{
    // A regular expression always matches part of the field and carries its own word boundaries.
    if (ticked) {
        m_chkWholeWord->setChecked(false);
        m_chkWholeWord->setEnabled(false);
        m_optField[0]->setChecked(true);
        m_optField[0]->setEnabled(false);
        m_optField[1]->setEnabled(false);
    } else {
        m_chkWholeWord->setEnabled(true);
        m_optField[0]->setEnabled(true);
        m_optField[1]->setEnabled(true);
    }
}

// MainSurface ---------------------------------------------------------------------------------------

void frmMain::setStatusText(int panel, const QString& text)
{
    if (validPanel(panel))
        m_panels[panel - 1]->setText(text);
}

QString frmMain::statusText(int panel) const
{
    return validPanel(panel) ? m_panels[panel - 1]->text() : QString();
}

void frmMain::setStatusToolTip(int panel, const QString& text)
{
    if (validPanel(panel))
        m_panels[panel - 1]->setToolTip(text);
}

QString frmMain::statusToolTip(int panel) const
{
    return validPanel(panel) ? m_panels[panel - 1]->toolTip() : QString();
}

void frmMain::setProgressMaximum(int maximum)
{
    m_progressMaximum = std::max(0, maximum);
    m_progressValue = std::min(m_progressValue, m_progressMaximum);
    // A range of 0..0 would turn the bar into a busy indicator; an empty bar is what 0 means here.
    m_dxProgressBar1->setRange(0, std::max(1, m_progressMaximum));
    m_dxProgressBar1->setValue(m_progressValue);
}

void frmMain::setProgressValue(int value)
{
    m_progressValue = std::clamp(value, 0, m_progressMaximum);
    m_dxProgressBar1->setValue(m_progressValue);
}

void frmMain::setProgressVisible(bool visible)
{
    m_dxProgressBar1->setVisible(visible);
}

bool frmMain::isProgressVisible() const
{
    return !m_dxProgressBar1->isHidden();
}

void frmMain::setOriginalView(const EditorValue& value)
{
    m_dxOriginalView->setValue(value);
}

EditorValue frmMain::originalView() const
{
    return m_dxOriginalView->value();
}

void frmMain::setReplacedView(const EditorValue& value)
{
    m_dxReplacedView->setValue(value);
}

EditorValue frmMain::replacedView() const
{
    return m_dxReplacedView->value();
}

void frmMain::setReplacedMaxLength(int length)
{
    m_dxReplacedView->setMaxLength(length);
}

int frmMain::replacedMaxLength() const
{
    return m_dxReplacedView->maxLength();
}

void frmMain::setReplacedDigitsOnly(bool digitsOnly)
{
    m_dxReplacedView->setDigitsOnly(digitsOnly);
}

bool frmMain::replacedDigitsOnly() const
{
    return m_dxReplacedView->digitsOnly();
}

void frmMain::setSearchValue(const EditorValue& value)
{
    m_dxMemo->setValue(value);
}

EditorValue frmMain::searchValue() const
{
    return m_dxMemo->value();
}

void frmMain::setReplaceValue(const EditorValue& value)
{
    m_dxMemoReplace->setValue(value);
}

EditorValue frmMain::replaceValue() const
{
    return m_dxMemoReplace->value();
}

void frmMain::setWholeField(bool on)
{
    // Of two exclusive choices only the one to select can be set.
    m_optField[on ? 1 : 0]->setChecked(true);
}

bool frmMain::wholeField() const
{
    return m_optField[1]->isChecked();
}

void frmMain::setCaseSensitive(bool on)
{
    m_chkCase->setChecked(on);
}

bool frmMain::caseSensitive() const
{
    return m_chkCase->isChecked();
}

void frmMain::setWholeWord(bool on)
{
    m_chkWholeWord->setChecked(on);
}

bool frmMain::wholeWord() const
{
    return m_chkWholeWord->isChecked();
}

void frmMain::setRegEx(bool on)
{
    m_chkRegEx->setChecked(on);
}

bool frmMain::regEx() const
{
    return m_chkRegEx->isChecked();
}

void frmMain::setReplaceAll(bool on)
{
    m_chkReplaceAll->setChecked(on);
}

bool frmMain::replaceAll() const
{
    return m_chkReplaceAll->isChecked();
}

void frmMain::setFindLabelCaption(const QString& caption)
{
    m_lblFind->setText(caption);
}

QString frmMain::findLabelCaption() const
{
    return m_lblFind->text();
}

void frmMain::SetInterface(bool locked)
{
    // Only the read-only flags: the enabled state belongs to the RegEx switch, and the original view
    // is read-only at all times.
    m_locked = locked;
    for (MemoEdit* editor : {m_dxMemo, m_dxMemoReplace, m_dxReplacedView})
        editor->setReadOnly(locked);
    for (LockableRadioButton* choice : m_optField)
        choice->setReadOnly(locked);
    for (LockableCheckBox* box : {m_chkCase, m_chkRegEx, m_chkReplaceAll, m_chkWholeWord})
        box->setReadOnly(locked);
}

void frmMain::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

QString frmMain::caption() const
{
    return windowTitle();
}

void frmMain::setWaitCursor(bool on)
{
    // Balanced, so that a failed open that clears the pointer twice leaves no stale override.
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++m_waitCursors;
    } else if (m_waitCursors > 0) {
        QApplication::restoreOverrideCursor();
        --m_waitCursors;
    }
}

void frmMain::showMessage(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title.isEmpty() ? ProductName : title, text, QMessageBox::Ok, this);
    box.exec();
}

bool frmMain::askYesNo(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::Question, title.isEmpty() ? ProductName : title, text,
                    QMessageBox::Yes | QMessageBox::No, this);
    return box.exec() == QMessageBox::Yes;
}

void frmMain::processEvents()
{
    QCoreApplication::processEvents();
}

void frmMain::setTimer1Handler(std::function<void()> handler)
{
    m_timer1Handler = std::move(handler);
}

void frmMain::setTimer1Interval(int milliseconds)
{
    m_timer1->setInterval(milliseconds);
}

int frmMain::timer1Interval() const
{
    return m_timer1->interval();
}

void frmMain::setTimer1Enabled(bool enabled)
{
    if (enabled)
        m_timer1->start();
    else
        m_timer1->stop();
}

bool frmMain::isTimer1Enabled() const
{
    return m_timer1->isActive();
}

// MainWindowCaptions --------------------------------------------------------------------------------

QWidget* frmMain::captionWidget(CaptionElement element) const
{
    switch (element) {
    case CaptionElement::lblReplace:
        return m_lblReplace;
    case CaptionElement::chkCase:
        return m_chkCase;
    case CaptionElement::chkRegEx:
        return m_chkRegEx;
    case CaptionElement::chkWholeWord:
        return m_chkWholeWord;
    case CaptionElement::fraOriginal:
        return m_fraOriginal;
    case CaptionElement::fraReplaced:
        return m_fraReplaced;
    case CaptionElement::optField0:
        return m_optField[0];
    case CaptionElement::optField1:
        return m_optField[1];
    case CaptionElement::chkReplaceAll:
        return m_chkReplaceAll;
    }
    return nullptr;
}

void frmMain::setElementCaption(CaptionElement element, const QString& caption)
{
    QWidget* widget = captionWidget(element);
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(caption);
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(caption);
    else if (auto* frame = qobject_cast<QGroupBox*>(widget))
        frame->setTitle(caption);
}

QString frmMain::elementCaption(CaptionElement element) const
{
    QWidget* widget = captionWidget(element);
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return button->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget))
        return frame->title();
    return {};
}

void frmMain::setEditorCommandText(EditorCommand command, const QString& text)
{
    m_commandTexts.insert(command, text);
    for (MemoEdit* editor : {m_dxMemo, m_dxMemoReplace, m_dxOriginalView, m_dxReplacedView})
        editor->setCommandText(command, text);
}

QString frmMain::editorCommandText(EditorCommand command) const
{
    return m_commandTexts.value(command);
}

} // namespace dorvane
