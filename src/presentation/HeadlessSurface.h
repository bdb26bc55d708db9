// A main surface without widgets: plain values, a real QTimer for Timer1 and the application's event
// loop as the pump. Messages and questions are recorded and answered from a queue that tests preset.
#pragma once

#include "presentation/MainSurface.h"

#include <QStringList>
#include <QTimer>

#include <deque>

namespace dorvane {

class HeadlessSurface : public MainSurface
{
public:
    HeadlessSurface();

    void setStatusText(int panel, const QString& text) override;
    QString statusText(int panel) const override;
    void setStatusToolTip(int panel, const QString& text) override;
    QString statusToolTip(int panel) const override;

    void setProgressMaximum(int maximum) override;
    int progressMaximum() const override { return m_progressMaximum; }
    void setProgressValue(int value) override;
    int progressValue() const override { return m_progressValue; }
    void setProgressVisible(bool visible) override { m_progressVisible = visible; }
    bool isProgressVisible() const override { return m_progressVisible; }

    void setOriginalView(const EditorValue& value) override { m_originalView = value; }
    EditorValue originalView() const override { return m_originalView; }
    void setReplacedView(const EditorValue& value) override;
    EditorValue replacedView() const override { return m_replacedView; }
    void setReplacedMaxLength(int length) override;
    int replacedMaxLength() const override { return m_replacedMaxLength; }
    void setReplacedDigitsOnly(bool digitsOnly) override { m_digitsOnly = digitsOnly; }
    bool replacedDigitsOnly() const override { return m_digitsOnly; }

    void setSearchValue(const EditorValue& value) override { m_search = value; }
    EditorValue searchValue() const override { return m_search; }
    void setReplaceValue(const EditorValue& value) override { m_replace = value; }
    EditorValue replaceValue() const override { return m_replace; }

    void setWholeField(bool on) override { m_wholeField = on; }
    bool wholeField() const override { return m_wholeField; }
    void setCaseSensitive(bool on) override { m_caseSensitive = on; }
    bool caseSensitive() const override { return m_caseSensitive; }
    void setWholeWord(bool on) override { m_wholeWord = on; }
    bool wholeWord() const override { return m_wholeWord; }
    void setRegEx(bool on) override;
    bool regEx() const override { return m_regEx; }
    void setReplaceAll(bool on) override { m_replaceAll = on; }
    bool replaceAll() const override { return m_replaceAll; }

    void setFindLabelCaption(const QString& caption) override { m_findLabel = caption; }
    QString findLabelCaption() const override { return m_findLabel; }

    void SetInterface(bool locked) override { m_locked = locked; }
    bool isInterfaceLocked() const override { return m_locked; }

    void setCaption(const QString& caption) override { m_caption = caption; }
    QString caption() const override { return m_caption; }

    void setWaitCursor(bool on) override { m_waitCursor = on; }
    bool isWaitCursor() const { return m_waitCursor; }

    void showMessage(const QString& text, const QString& title = QString()) override;
    bool askYesNo(const QString& text, const QString& title = QString()) override;

    void processEvents() override;

    void setTimer1Handler(std::function<void()> handler) override;
    void setTimer1Interval(int milliseconds) override { m_timer.setInterval(milliseconds); }
    int timer1Interval() const override { return m_timer.interval(); }
    void setTimer1Enabled(bool enabled) override;
    bool isTimer1Enabled() const override { return m_timer.isActive(); }

    // Whole-word and whole-field switches may be disabled by the RegEx switch, as on the window.
    bool isWholeWordEnabled() const { return m_wholeWordEnabled; }
    bool isFieldChoiceEnabled() const { return m_fieldChoiceEnabled; }

    // Use only for testing: what was shown, and the answers the next questions get (default: No).
    QStringList messages;
    QStringList questions;
    std::deque<bool> nextAnswers;
    int processEventsCalls = 0;

private:
    QString m_status[5];
    QString m_statusToolTips[5];
    int m_progressMaximum = 100;
    int m_progressValue = 0;
    bool m_progressVisible = false;
    EditorValue m_originalView;
    EditorValue m_replacedView;
    int m_replacedMaxLength = 0; // 0: no limit
    bool m_digitsOnly = false;
    EditorValue m_search;
    EditorValue m_replace;
    bool m_wholeField = false;
    bool m_caseSensitive = false;
    bool m_wholeWord = false;
    bool m_regEx = false;
    bool m_replaceAll = false;
    bool m_wholeWordEnabled = true;
    bool m_fieldChoiceEnabled = true;
    QString m_findLabel;
    bool m_locked = false;
    QString m_caption;
    bool m_waitCursor = false;
    QTimer m_timer;
    std::function<void()> m_timer1Handler;
};

} // namespace dorvane
