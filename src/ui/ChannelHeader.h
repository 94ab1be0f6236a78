// The bar above a channel's panes: its whole topic, web addresses in it to
// click, and how many are in the channel ("42 users, 3 ops"). A double
// click edits the topic; Enter sends it as /topic, Escape leaves it.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

namespace zorl::ui {

struct FrameContext;

class CChannelHeader : public QWidget {
    Q_OBJECT

public:
    CChannelHeader(FrameContext& context, QWidget* parent);

    // Reads the topic and the nick table again.
    void Refresh();
    int PreferredHeight() const;

    QLabel* Topic() const { return topic_; }
    QLabel* Count() const { return count_; }
    QLineEdit* Editor() const { return editor_; }
    void StartEditing();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SendTopic();
    void StopEditing();
    void Arrange();

    FrameContext& context_;
    QLabel* topic_ = nullptr;
    QLabel* count_ = nullptr;
    QLineEdit* editor_ = nullptr;
    QString plain_topic_;
};

}  // namespace zorl::ui
