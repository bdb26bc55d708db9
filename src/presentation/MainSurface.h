// The working surface of the main window as the logic sees it: the status line, the progress bar,
// the two views, the search and replacement editors, the option switches, the panel lock, the
// caption, messages and questions, the event pump and Timer1. The main window implements it with
// widgets; HeadlessSurface keeps plain values for tests and non-GUI front ends. UI thread only.
#pragma once

#include "engine/MatchOptions.h"

#include <QString>

#include <functional>
#include <optional>

namespace dorvane {

// An editor's value: a text, or no value at all (which differs from the empty text).
using EditorValue = OptionalText;

class MainSurface
{
public:
    virtual ~MainSurface() = default;

    // Status line panels, numbered 1 to 5.
    virtual void setStatusText(int panel, const QString& text) = 0;
    virtual QString statusText(int panel) const = 0;
    virtual void setStatusToolTip(int panel, const QString& text) = 0;
    virtual QString statusToolTip(int panel) const = 0;

    // Progress bar; the position is kept within 0..maximum.
    virtual void setProgressMaximum(int maximum) = 0;
    virtual int progressMaximum() const = 0;
    virtual void setProgressValue(int value) = 0;
    virtual int progressValue() const = 0;
    virtual void setProgressVisible(bool visible) = 0;
    virtual bool isProgressVisible() const = 0;

    // dxOriginalView (always read-only) and dxReplacedView.
    virtual void setOriginalView(const EditorValue& value) = 0;
    virtual EditorValue originalView() const = 0;
    virtual void setReplacedView(const EditorValue& value) = 0;
    virtual EditorValue replacedView() const = 0;
    virtual void setReplacedMaxLength(int length) = 0;
    virtual int replacedMaxLength() const = 0;
    // Input filter "0-9" of the replaced view: only digits can be typed.
    virtual void setReplacedDigitsOnly(bool digitsOnly) = 0;
    virtual bool replacedDigitsOnly() const = 0;

    // dxMemo and dxMemoReplace.
    virtual void setSearchValue(const EditorValue& value) = 0;
    virtual EditorValue searchValue() const = 0;
    virtual void setReplaceValue(const EditorValue& value) = 0;
    virtual EditorValue replaceValue() const = 0;

    // Option switches: optField(1) whole field (optField(0) is its opposite), chkCase, chkWholeWord,
    // chkRegEx, chkReplaceAll.
    virtual void setWholeField(bool on) = 0;
    virtual bool wholeField() const = 0;
    virtual void setCaseSensitive(bool on) = 0;
    virtual bool caseSensitive() const = 0;
    virtual void setWholeWord(bool on) = 0;
    virtual bool wholeWord() const = 0;
    virtual void setRegEx(bool on) = 0;
    virtual bool regEx() const = 0;
    virtual void setReplaceAll(bool on) = 0;
    virtual bool replaceAll() const = 0;

    // Caption of lblFind (the run commands add a note while the search text is empty).
    virtual void setFindLabelCaption(const QString& caption) = 0;
    virtual QString findLabelCaption() const = 0;

    // The panel lock: read-only flag of the editors (not the original view) and the switches.
    virtual void SetInterface(bool locked) = 0;
    virtual bool isInterfaceLocked() const = 0;

    virtual void setCaption(const QString& caption) = 0;
    virtual QString caption() const = 0;

    // Hourglass pointer while a connection opens.
    virtual void setWaitCursor(bool on) = 0;

    // Modal message with an OK button and the application's title (or the given one).
    virtual void showMessage(const QString& text, const QString& title = QString()) = 0;
    // Yes/No question with the question icon; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& title = QString()) = 0;

    // Lets the window process pending events (input, timers); commands may run re-entrantly.
    virtual void processEvents() = 0;

    // Timer1: a single-shot style timer that the engine arms for the automatic save. The handler
    // runs in its own event.
    virtual void setTimer1Handler(std::function<void()> handler) = 0;
    virtual void setTimer1Interval(int milliseconds) = 0;
    virtual int timer1Interval() const = 0;
    virtual void setTimer1Enabled(bool enabled) = 0;
    virtual bool isTimer1Enabled() const = 0;

    // Run once when the window loads: with a non-empty search text the replaced view becomes the
    // original view with every occurrence of the search text replaced by the replacement text (plain
    // text, case-sensitive; an editor without a value counts as ""). An empty search text changes
    // nothing.
    void refreshReplacedView();

    // The search and replacement editors and the switches as a run takes them.
    MatchOptions matchOptions() const;
};

} // namespace dorvane
