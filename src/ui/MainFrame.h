// The main window: menu, toolbar, window-button bar and the MDI area.
#pragma once

#include <QMainWindow>

class QMdiArea;

namespace zorl::ui {

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QWidget* parent = nullptr);

    QMdiArea* Mdi() const { return mdi_; }

private:
    QMdiArea* mdi_;
};

}  // namespace zorl::ui
