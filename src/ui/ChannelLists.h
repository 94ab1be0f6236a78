// The ban, exception and invite lists of one channel: a tab per list with
// each mask, who set it and when; the selected ones removed, a new one
// added. What the user changes goes to the server as MODE lines, and the
// lists are asked for again afterwards, so they show what the server holds.
#pragma once

#include <QDialog>
#include <functional>
#include <map>

class QLineEdit;
class QTabWidget;
class QTableWidget;

namespace zorl::ui {

class CChannelListsDialog : public QDialog {
    Q_OBJECT
public:
    // `change`: mode letter, add (or remove), masks. `refresh`: ask again.
    using Change = std::function<void(char, bool, const QStringList&)>;
    CChannelListsDialog(const QString& channel, const QString& modes, Change change,
                        std::function<void()> refresh, QWidget* parent);

    void Clear();
    void Add(char mode, const QString& mask, const QString& setter, qint64 when);
    QTableWidget* Table(char mode) const;
    QTabWidget* Tabs() const { return tabs_; }
    QLineEdit* NewMask() const { return new_mask_; }
    // The selected masks of the list in front go; the new mask is added.
    void RemoveSelected();
    void AddNew();

private:
    char CurrentMode() const;

    Change change_;
    std::function<void()> refresh_;
    QTabWidget* tabs_;
    QLineEdit* new_mask_;
    std::map<char, QTableWidget*> tables_;
};

}  // namespace zorl::ui
