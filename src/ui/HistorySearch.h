// The history search window (Ctrl+Shift+F, /search): words searched in
// every stored line of every window and network as they are typed, newest
// first, narrowed by network, window, sender and dates. The chosen line is
// shown with the lines around it; opening it brings its window forward
// with the line found in it.
#pragma once

#include <QDialog>
#include <QTimer>
#include <cstdint>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace zorl {
class CZorlApp;
struct HistoryLine;
}  // namespace zorl

namespace zorl::ui {

class CHistorySearch : public QDialog {
    Q_OBJECT

public:
    static constexpr int kResults = 200;
    static constexpr int kContextLines = 10;

    CHistorySearch(CZorlApp& app, QWidget* parent);

    // Brings the window forward searching for `text` (empty: as it was).
    void Search(const QString& text);

    QLineEdit* Words() const { return words_; }
    QTreeWidget* Results() const { return results_; }
    QTextEdit* Context() const { return context_; }

private:
    QWidget* Filters();
    void FillNetworks();
    void Run();
    void ShowContext(QTreeWidgetItem* item);
    void OpenChosen();

    CZorlApp& app_;
    QLineEdit* words_ = nullptr;
    QComboBox* network_ = nullptr;
    QLineEdit* window_ = nullptr;
    QLineEdit* sender_ = nullptr;
    QCheckBox* dated_ = nullptr;
    QDateEdit* from_ = nullptr;
    QDateEdit* to_ = nullptr;
    QTreeWidget* results_ = nullptr;
    QTextEdit* context_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* open_ = nullptr;
    QTimer typing_;  // a search runs once typing pauses
};

}  // namespace zorl::ui
