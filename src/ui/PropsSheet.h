// The properties dialog: tabbed pages over a copy of the settings. The
// controls write into the copy as they change; the caller takes it on OK.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "config/Settings.h"
#include "platform/Dialogs.h"

class QBoxLayout;
class QComboBox;
class QFormLayout;
class QGridLayout;
class QLabel;
class QLineEdit;
class QTabWidget;
class QWidget;

namespace zorl::ui {

class CPropsSheet : public QDialog {
    Q_OBJECT
public:
    CPropsSheet(const CSettings& values, int page, std::function<void(FilesEditor)> edit,
                QWidget* parent = nullptr);

    const CSettings& Values() const { return values_; }
    QTabWidget* Tabs() const { return tabs_; }

private:
    QWidget* NamesPage();
    QWidget* LoginGroup();
    QWidget* ProxyGroup();
    QComboBox* SpellingChoice();
    QWidget* ColoursPage();
    QWidget* FilesPage();
    QWidget* OptionsPage();
    QWidget* MasterPage();

    // Controls bound to one setting of the copy.
    QLineEdit* AddText(QFormLayout* form, const char* label, std::string& setting);
    void AddCheck(QBoxLayout* box, const char* label, int CSettings::*setting);
    void AddNumber(QFormLayout* form, const char* label, int CSettings::*setting);
    // A button in column `column` of `grid` with its sample box beside it.
    // The sample shows "Sample" in `text` on `background`.
    QLabel* AddSample(QGridLayout* grid, int row, int column, const char* label,
                      std::function<void()> choose, Colour* text, Colour* background);
    void AddColour(QGridLayout* grid, int row, int column, const char* label, Colour* setting,
                   Colour* background);
    void ChooseFont();
    void ChooseColour(const QString& title, Colour* setting);
    void RefreshSamples();
    void FocusFirstField();

    struct Sample {
        QLabel* box;
        Colour* text;
        Colour* background;  // BGColor or BGColor2
    };

    CSettings values_;
    std::function<void(FilesEditor)> edit_;
    QTabWidget* tabs_;
    std::vector<Sample> samples_;
    QLabel* font_sample_ = nullptr;
};

}  // namespace zorl::ui
