// The multi-line editor of the main window (dxMemo, dxMemoReplace and the two views). Its value is a
// text or no value at all: an editor holds no value until the user first types into it or a value is
// set, and setting no value empties it again. A value that was set comes back exactly as it was set
// until the user edits it, line breaks included; after an edit the text keeps the line-break style of
// the value that was set (CR LF, CR or LF), so that saving a view writes back what the field held
// apart from the user's changes.
#pragma once

#include "presentation/MainSurface.h"
#include "presentation/MainWindowCaptions.h"

#include <QMap>
#include <QPlainTextEdit>

class QMenu;

namespace dorvane {

class MemoEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit MemoEdit(QWidget* parent = nullptr);

    EditorValue value() const;
    void setValue(const EditorValue& value);

    // At most this many characters can be typed, pasted or set; 0 means no limit.
    void setMaxLength(int length);
    int maxLength() const { return m_maxLength; }

    // Only the digits 0 to 9 can be typed or pasted (what is set is not filtered).
    void setDigitsOnly(bool digitsOnly) { m_digitsOnly = digitsOnly; }
    bool digitsOnly() const { return m_digitsOnly; }

    void setCommandText(EditorCommand command, const QString& text);
    QString commandText(EditorCommand command) const;

    // The context menu as the user gets it; the caller owns it.
    QMenu* createContextMenu();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void onContentsChanged();
    QString allowedInsertion(const QString& text) const;
    int selectionLength() const;

    QString m_value;
    bool m_hasValue = false;
    bool m_edited = false; // the user changed the text since the value was set
    bool m_settingValue = false;
    QString m_lineBreak = QStringLiteral("\n");
    int m_maxLength = 0;
    bool m_digitsOnly = false;
    QMap<EditorCommand, QString> m_commandTexts;
};

} // namespace dorvane
