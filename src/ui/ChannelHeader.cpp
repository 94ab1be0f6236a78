#include "ui/ChannelHeader.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include "app/CZorlApp.h"
#include "common/FormatCodes.h"
#include "common/Links.h"
#include "platform/qt/QtText.h"
#include "ui/ChildFrames.h"
#include "windows/WindowRegistry.h"
#include "windows/ZorlDoc.h"

namespace zorl::ui {
namespace {

// The topic as rich text with its web addresses as links; the rest escaped.
QString LinkedTopic(const std::string& plain) {
    QString html;
    std::size_t at = 0;
    for (const LinkSpan& link : FindWebLinks(plain)) {
        html += qt::DecodeText(plain.substr(at, link.start - at)).toHtmlEscaped();
        const QString address = qt::DecodeText(plain.substr(link.start, link.length));
        html += QStringLiteral("<a href=\"%1\">%2</a>")
                    .arg(address.toHtmlEscaped(), address.toHtmlEscaped());
        at = link.start + link.length;
    }
    html += qt::DecodeText(plain.substr(at)).toHtmlEscaped();
    return html;
}

// "42 users, 3 ops": operators and above count as ops.
QString CountText(const CZorlDoc& doc) {
    int ops = 0;
    for (const auto& [nick, bits] : doc.Nicks())
        if (bits & (kNickOwner | kNickAdmin | kNickOp)) ++ops;
    const auto users = static_cast<qsizetype>(doc.Nicks().size());
    QString text = users == 1 ? QStringLiteral("1 user") : QStringLiteral("%1 users").arg(users);
    if (ops > 0) text += ops == 1 ? QStringLiteral(", 1 op") : QStringLiteral(", %1 ops").arg(ops);
    return text;
}

}  // namespace

CChannelHeader::CChannelHeader(FrameContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    topic_ = new QLabel(this);
    topic_->setTextFormat(Qt::RichText);
    topic_->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    topic_->setAccessibleName(QStringLiteral("Topic"));
    topic_->setToolTip(QStringLiteral("Double-click to change the topic"));
    count_ = new QLabel(this);
    count_->setAccessibleName(QStringLiteral("Users"));
    editor_ = new QLineEdit(this);
    editor_->setAccessibleName(QStringLiteral("New topic"));
    editor_->hide();
    editor_->installEventFilter(this);
    connect(topic_, &QLabel::linkActivated, this, [this](const QString& link) {
        if (context_.Live()) context_.app->OpenLink(qt::EncodeText(link));
    });
    connect(editor_, &QLineEdit::returnPressed, this, [this] { SendTopic(); });
    connect(editor_, &QLineEdit::editingFinished, this, [this] {
        if (!editor_->hasFocus()) StopEditing();
    });
}

int CChannelHeader::PreferredHeight() const { return fontMetrics().height() + 8; }

void CChannelHeader::Refresh() {
    if (!context_.Live()) return;
    const ChannelRecord* record = context_.app->registry.FindByFrame(context_.frame);
    const std::string plain = record ? VisibleText(record->topic) : std::string();
    plain_topic_ = qt::DecodeText(plain);
    topic_->setText(LinkedTopic(plain));
    topic_->setToolTip(plain_topic_.isEmpty() ? QStringLiteral("Double-click to set a topic")
                                              : plain_topic_);
    count_->setText(CountText(*context_.doc));
    Arrange();
}

void CChannelHeader::Arrange() {
    const int margin = 4;
    const int countWidth = count_->sizeHint().width();
    const int h = height();
    count_->setGeometry(width() - countWidth - margin, 0, countWidth, h);
    const QRect rest(margin, 0, std::max(0, width() - countWidth - 3 * margin), h);
    topic_->setGeometry(rest);
    editor_->setGeometry(rest.adjusted(0, 2, 0, -2));
}

void CChannelHeader::resizeEvent(QResizeEvent*) { Arrange(); }

void CChannelHeader::mouseDoubleClickEvent(QMouseEvent*) { StartEditing(); }

bool CChannelHeader::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        StopEditing();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CChannelHeader::StartEditing() {
    editor_->setText(plain_topic_);
    topic_->hide();
    editor_->show();
    editor_->setFocus(Qt::MouseFocusReason);
    editor_->selectAll();
}

void CChannelHeader::StopEditing() {
    editor_->hide();
    topic_->show();
}

// The server answers whether the user may: the topic bar asks nothing first.
void CChannelHeader::SendTopic() {
    const QString text = editor_->text();
    StopEditing();
    // An empty line would ask for the topic rather than clear it.
    if (!context_.Live() || text == plain_topic_ || text.trimmed().isEmpty()) return;
    const std::string name = context_.doc->Name();
    context_.app->OnTypedLine(context_.frame, "/topic " + name + " " + qt::EncodeText(text));
}

}  // namespace zorl::ui
