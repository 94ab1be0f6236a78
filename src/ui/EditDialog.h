// The "Edit" dialog of the list and text editors: one multi-line text field.
#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace zorl::ui {

class CEditDlg : public QDialog {
    Q_OBJECT
public:
    // `text` has CR LF line ends, as Text() gives it back.
    explicit CEditDlg(const std::string& text, QWidget* parent = nullptr);
    std::string Text() const;
    QPlainTextEdit* Field() const { return field_; }

private:
    QPlainTextEdit* field_;
};

}  // namespace zorl::ui
