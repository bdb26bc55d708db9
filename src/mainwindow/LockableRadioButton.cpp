#include "mainwindow/LockableRadioButton.h"

namespace dorvane {

void LockableRadioButton::nextCheckState()
{
    if (!m_readOnly)
        QRadioButton::nextCheckState();
}

} // namespace dorvane
