// A choice with a read-only flag: while read-only neither a click nor the arrow keys select it, while
// the program still can. See LockableCheckBox.
#pragma once

#include <QRadioButton>

namespace dorvane {

class LockableRadioButton : public QRadioButton
{
    Q_OBJECT

public:
    using QRadioButton::QRadioButton;

    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool isReadOnly() const { return m_readOnly; }

protected:
    void nextCheckState() override;

private:
    bool m_readOnly = false;
};

} // namespace dorvane
