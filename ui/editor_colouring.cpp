#include "editor_colouring.h"

#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

#include "colors.h"

namespace ui {
namespace {

QTextCharFormat LookFormat(interlock::Colour colour, bool boldUnderline) {
    QTextCharFormat format;
    format.setForeground(ToQColor(colour));
    format.setFontWeight(boldUnderline ? QFont::Bold : QFont::Normal);
    format.setFontUnderline(boldUnderline);
    return format;
}

}  // namespace

void ApplyColouring(QTextEdit* editor, const std::vector<ColourRun>& runs) {
    QTextDocument* document = editor->document();
    const QTextCharFormat plain = LookFormat(interlock::colour::kBlack, false);

    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.mergeCharFormat(plain);

    // Runs come in text order, so the block of the previous run is the place to look from.
    QTextBlock block = document->firstBlock();
    int blockNumber = 0;
    for (const ColourRun& run : runs) {
        if (run.length <= 0 || run.line < 0) continue;
        if (run.line != blockNumber) {
            block = run.line == blockNumber + 1 ? block.next() : document->findBlockByNumber(run.line);
            blockNumber = run.line;
        }
        if (!block.isValid()) continue;
        const int lineLength = block.length() - 1;  // without the block separator
        if (run.column >= lineLength) continue;
        const int length = std::min(run.length, lineLength - run.column);
        cursor.setPosition(block.position() + run.column);
        cursor.setPosition(block.position() + run.column + length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(LookFormat(run.colour, run.boldUnderline));
    }
    cursor.endEditBlock();

    QTextCursor caret(document);
    caret.movePosition(QTextCursor::End);
    editor->setTextCursor(caret);
    editor->mergeCurrentCharFormat(plain);
}

void ClearHighlighting(QTextEdit* editor) { ApplyColouring(editor, {}); }

}  // namespace ui
