// The output pane's text layout: QPlainTextEdit's own, with the wrapped
// lines of each block indented by a hanging indent, which the plain layout
// cannot do (it ignores block margins). With no indent it lays out exactly
// as the plain layout.
#pragma once

#include <QPlainTextDocumentLayout>

namespace zorl::ui {

class CHangingLayout : public QPlainTextDocumentLayout {
    Q_OBJECT
public:
    // `viewport`: the widget whose width the lines fill, as the pane's.
    CHangingLayout(QTextDocument* document, const QWidget* viewport)
        : QPlainTextDocumentLayout(document), viewport_(viewport) {}

    // Where wrapped lines start, from the pane's text margin; 0: no indent.
    // The whole document is laid out again when it changes.
    void SetIndent(qreal indent);
    qreal Indent() const { return indent_; }

    QRectF blockBoundingRect(const QTextBlock& block) const override;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    // True when the plain layout laid `block` out, without the indent.
    bool LaidOutPlain(const QTextBlock& block) const;
    void LayOut(const QTextBlock& block) const;

    const QWidget* viewport_;
    qreal indent_ = 0;
};

}  // namespace zorl::ui
