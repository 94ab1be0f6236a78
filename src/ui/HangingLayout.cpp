#include "ui/HangingLayout.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <cmath>

namespace zorl::ui {

void CHangingLayout::SetIndent(qreal indent) {
    if (indent == indent_) return;
    indent_ = indent;
    // Every block is laid out again when it is next needed.
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        block.clearLayout();
    requestUpdate();
    emit documentSizeChanged(documentSize());
}

bool CHangingLayout::LaidOutPlain(const QTextBlock& block) const {
    const QTextLayout* layout = block.layout();
    if (indent_ == 0 || layout->lineCount() < 2) return false;
    const qreal margin = document()->documentMargin();
    return std::abs(layout->lineAt(1).x() - (margin + indent_)) > 0.5;
}

// As the plain layout does it, but every line after the first starts at
// the indent and is as much narrower.
void CHangingLayout::LayOut(const QTextBlock& block) const {
    QTextLayout* layout = block.layout();
    layout->setTextOption(document()->defaultTextOption());
    const qreal margin = document()->documentMargin();
    qreal width = viewport_->width();
    if (width <= 0) width = qreal(INT_MAX);
    width -= 2 * margin;
    layout->beginLayout();
    qreal height = 0;
    for (int n = 0;; ++n) {
        QTextLine line = layout->createLine();
        if (!line.isValid()) break;
        // A pane too narrow for the columns still shows some text per line.
        const qreal x = n == 0 ? 0 : std::min(indent_, width * 0.6);
        line.setLeadingIncluded(true);
        line.setLineWidth(width - x);
        line.setPosition(QPointF(margin + x, height));
        height += line.height();
    }
    layout->endLayout();
    QTextBlock changed = block;
    const int before = changed.lineCount();
    changed.setLineCount(block.isVisible() ? layout->lineCount() : 0);
    // The pane's scroll range counts lines.
    if (changed.lineCount() != before) {
        auto* self = const_cast<CHangingLayout*>(this);
        emit self->documentSizeChanged(documentSize());
    }
}

QRectF CHangingLayout::blockBoundingRect(const QTextBlock& block) const {
    if (indent_ != 0 && block.isValid() &&
        (block.layout()->lineCount() == 0 || LaidOutPlain(block)))
        LayOut(block);
    return QPlainTextDocumentLayout::blockBoundingRect(block);
}

// The plain layout lays out a block changed in place at once; such a block
// is laid out again with the indent.
void CHangingLayout::documentChanged(int from, int charsRemoved, int charsAdded) {
    QPlainTextDocumentLayout::documentChanged(from, charsRemoved, charsAdded);
    if (indent_ == 0) return;
    const QTextBlock first = document()->findBlock(from);
    const QTextBlock last = document()->findBlock(from + charsAdded);
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        if (LaidOutPlain(block)) {
            LayOut(block);
            emit updateBlock(block);
        }
        if (block == last) break;
    }
}

}  // namespace zorl::ui
