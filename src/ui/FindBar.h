// The find bar of an output pane (Ctrl+F): a text field and two buttons
// over the top right corner of the pane. Enter or "Previous" looks for the
// text in older lines, Shift+Enter or "Next" in newer ones; Escape closes
// the bar. The pane does the searching.
#pragma once

#include <QFrame>

class QLineEdit;

namespace zorl::ui {

class CFindBar : public QFrame {
    Q_OBJECT
public:
    explicit CFindBar(QWidget* parent);

    QLineEdit* Field() const { return field_; }
    QString Text() const;
    // Shows whether the last search found anything.
    void SetFound(bool found);
    // Keeps the bar in the top right corner of `area`.
    void Place(const QRect& area);

signals:
    void findRequested(bool older);
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* field_;
};

}  // namespace zorl::ui
