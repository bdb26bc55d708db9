#include "mainwindow/LockableCheckBox.h"

namespace dorvane {

void LockableCheckBox::nextCheckState()
{
    if (!m_readOnly)
        QCheckBox::nextCheckState();
}

} // namespace dorvane
