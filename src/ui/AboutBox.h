// The about box and its link control.
#pragma once

#include <QDialog>
#include <QLabel>

namespace zorl {
class IShell;
}

namespace zorl::ui {

// A label that behaves like a link: underlined in the link colour, the
// hover colour while the mouse is over it, a hand cursor, and on a click it
// opens its target with the desktop's handler and turns the visited colour.
class CHyperLink : public QLabel {
    Q_OBJECT
public:
    static constexpr QRgb kLinkColour = 0x0000EE;
    static constexpr QRgb kHoverColour = 0xEE0000;
    static constexpr QRgb kVisitedColour = 0x551A8B;

    CHyperLink(const QString& label, const QString& target, IShell* shell, QWidget* parent);

    const QString& Target() const { return target_; }
    bool Visited() const { return visited_; }
    // Opens the target as a click does.
    void Open();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void SetColour(QRgb colour);

    QString target_;
    IShell* shell_;
    bool visited_ = false;
};

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kWebPage = "https://zorl.example.org/";
    static constexpr const char* kMail = "mailto:zorl@example.org";

    CAboutDlg(IShell* shell, QWidget* parent);
};

}  // namespace zorl::ui
