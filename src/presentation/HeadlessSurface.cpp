#include "presentation/HeadlessSurface.h"

#include "presentation/MainWindowCaptions.h"

#include <QCoreApplication>

#include <algorithm>

namespace dorvane {

namespace {

bool validPanel(int panel)
{
    return panel >= 1 && panel <= 5;
}

} // namespace

HeadlessSurface::HeadlessSurface() : m_findLabel(MainWindowCaptions::findLabelDesignCaption())
{
    m_timer.setSingleShot(false);
    m_timer.setInterval(50);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        if (m_timer1Handler)
            m_timer1Handler();
    });
}

void HeadlessSurface::setStatusText(int panel, const QString& text)
{
    if (validPanel(panel))
        m_status[panel - 1] = text;
}

QString HeadlessSurface::statusText(int panel) const
{
    return validPanel(panel) ? m_status[panel - 1] : QString();
}

void HeadlessSurface::setStatusToolTip(int panel, const QString& text)
{
    if (validPanel(panel))
        m_statusToolTips[panel - 1] = text;
}

QString HeadlessSurface::statusToolTip(int panel) const
{
    return validPanel(panel) ? m_statusToolTips[panel - 1] : QString();
}

void HeadlessSurface::setProgressMaximum(int maximum)
{
    m_progressMaximum = std::max(0, maximum);
    m_progressValue = std::min(m_progressValue, m_progressMaximum);
}

void HeadlessSurface::setProgressValue(int value)
{
    m_progressValue = std::clamp(value, 0, m_progressMaximum);
}

void HeadlessSurface::setReplacedView(const EditorValue& value)
{
    // As on the window, the maximum length limits typing only; a value set by the program stays whole.
    m_replacedView = value;
}

void HeadlessSurface::setReplacedMaxLength(int length)
{
    m_replacedMaxLength = std::max(0, length);
}

void HeadlessSurface::setRegEx(bool on)
{
    m_regEx = on;
    // The RegEx switch works as on the window: a regular expression is always matched against part
    // of the field and never wrapped as a whole word.
    if (on) {
        m_wholeWord = false;
        m_wholeField = false;
        m_wholeWordEnabled = false;
        m_fieldChoiceEnabled = false;
    } else {
        m_wholeWordEnabled = true;
        m_fieldChoiceEnabled = true;
    }
}

void HeadlessSurface::showMessage(const QString& text, const QString&)
{
    messages.append(text);
}

bool HeadlessSurface::askYesNo(const QString& text, const QString&)
{
    questions.append(text);
    if (nextAnswers.empty())
        return false;
    const bool answer = nextAnswers.front();
    nextAnswers.pop_front();
    return answer;
}

void HeadlessSurface::processEvents()
{
    ++processEventsCalls;
    QCoreApplication::processEvents();
}

void HeadlessSurface::setTimer1Handler(std::function<void()> handler)
{
    m_timer1Handler = std::move(handler);
}

void HeadlessSurface::setTimer1Enabled(bool enabled)
{
    if (enabled)
        m_timer.start();
    else
        m_timer.stop();
}

} // namespace dorvane
