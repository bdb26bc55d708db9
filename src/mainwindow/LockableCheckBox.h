// A check box with a read-only flag: while read-only the user cannot change it (its look stays that of
// an enabled box), while the program still can. The panel lock needs this, because it must not touch
// the enabled state that the RegEx switch controls.
#pragma once

#include <QCheckBox>

namespace dorvane {

class LockableCheckBox : public QCheckBox
{
    Q_OBJECT

public:
    using QCheckBox::QCheckBox;

    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }

protected:
    void nextCheckState() override;

private:
    bool m_readOnly = false;
};

} // namespace dorvane
