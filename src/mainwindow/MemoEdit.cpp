#include "mainwindow/MemoEdit.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

namespace dorvane {

namespace {

QString lineBreakOf(const QString& text)
{
    if (text.contains(QStringLiteral("\r\n")))
        return QStringLiteral("\r\n");
    if (text.contains(QLatin1Char('\r')))
        return QStringLiteral("\r");
    return QStringLiteral("\n");
}

bool isDigitsOnly(const QString& text)
{
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

// Text a key press would insert: printable characters and line breaks; editing keys insert nothing.
QString typedText(const QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return QStringLiteral("\n");
    if (event->key() == Qt::Key_Tab && !(event->modifiers() & Qt::ControlModifier))
        return QStringLiteral("\t");
    const QString text = event->text();
    if (text.isEmpty() || (event->modifiers() & Qt::ControlModifier))
        return {};
    for (QChar c : text) {
        if (!c.isPrint())
            return {};
    }
    return text;
}

} // namespace

MemoEdit::MemoEdit(QWidget* parent) : QPlainTextEdit(parent)
{
    for (EditorCommand command : AllEditorCommands)
        m_commandTexts.insert(command, MainWindowCaptions::defaultCommandText(command));
    connect(document(), &QTextDocument::contentsChanged, this, &MemoEdit::onContentsChanged);
}

EditorValue MemoEdit::value() const
{
    if (!m_hasValue)
        return std::nullopt;
    if (!m_edited)
        return m_value;
    // Raw text keeps non-breaking spaces; blocks are separated by U+2029.
    QString text = document()->toRawText();
    text.replace(QChar::ParagraphSeparator, m_lineBreak);
    return text;
}

void MemoEdit::setValue(const EditorValue& value)
{
    m_settingValue = true;
    m_hasValue = value.has_value();
    m_edited = false;
    // The maximum length limits what the user types, never a value the program sets: cutting a stored
    // text longer than the limit would write the shortened text back at the next save.
    m_value = value.value_or(QString());
    m_lineBreak = lineBreakOf(m_value);
    setPlainText(m_value);
    m_settingValue = false;
}

void MemoEdit::setMaxLength(int length)
{
    m_maxLength = std::max(0, length);
}

void MemoEdit::setCommandText(EditorCommand command, const QString& text)
{
    m_commandTexts.insert(command, text);
}

QString MemoEdit::commandText(EditorCommand command) const
{
    return m_commandTexts.value(command);
}

void MemoEdit::onContentsChanged()
{
    if (m_settingValue)
        return;
    m_hasValue = true;
    m_edited = true;
}

int MemoEdit::selectionLength() const
{
    const QString selected = textCursor().selectedText();
    return int(selected.size() + selected.count(QChar::ParagraphSeparator) * (m_lineBreak.size() - 1));
}

QString MemoEdit::allowedInsertion(const QString& text) const
{
    QString result = text;
    if (m_digitsOnly && !isDigitsOnly(result))
        return {};
    if (m_maxLength > 0) {
        // Counted as the value will hold it: a line break takes the length of the value's break.
        const qsizetype current = value().value_or(QString()).size();
        qsizetype room = m_maxLength - (current - selectionLength());
        qsizetype fits = 0;
        for (; fits < result.size(); ++fits) {
            room -= result.at(fits) == QLatin1Char('\n') ? m_lineBreak.size() : 1;
            if (room < 0)
                break;
        }
        result.truncate(fits);
    }
    return result;
}

void MemoEdit::keyPressEvent(QKeyEvent* event)
{
    const QString text = typedText(event);
    if (!isReadOnly() && !text.isEmpty() && allowedInsertion(text) != text) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText())
        return;
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString allowed = allowedInsertion(text);
    if (!allowed.isEmpty())
        textCursor().insertText(allowed);
}

QMenu* MemoEdit::createContextMenu()
{
    auto* menu = new QMenu(this);
    const bool editable = !isReadOnly();
    const bool hasSelection = textCursor().hasSelection();
    auto add = [&](EditorCommand command, bool enabled, auto slot) {
        QAction* action = menu->addAction(commandText(command));
        action->setObjectName(QStringLiteral("editorCommand%1").arg(static_cast<int>(command)));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
    };
    add(EditorCommand::Undo, editable && document()->isUndoAvailable(), &QPlainTextEdit::undo);
    add(EditorCommand::Redo, editable && document()->isRedoAvailable(), &QPlainTextEdit::redo);
    menu->addSeparator();
    add(EditorCommand::Cut, editable && hasSelection, &QPlainTextEdit::cut);
    add(EditorCommand::Copy, hasSelection, &QPlainTextEdit::copy);
    add(EditorCommand::Paste, editable && canPaste(), &QPlainTextEdit::paste);
    add(EditorCommand::Delete, editable && hasSelection, [this] { textCursor().removeSelectedText(); });
    menu->addSeparator();
    add(EditorCommand::SelectAll, !document()->isEmpty(), &QPlainTextEdit::selectAll);
    return menu;
}

void MemoEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

} // namespace dorvane
