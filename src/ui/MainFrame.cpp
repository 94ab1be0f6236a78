#include "ui/MainFrame.h"

#include <QMdiArea>

namespace zorl::ui {

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent), mdi_(new QMdiArea(this)) {
    setWindowTitle(QStringLiteral("ZORL"));
    setCentralWidget(mdi_);
    resize(900, 600);
}

}  // namespace zorl::ui
