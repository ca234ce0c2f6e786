#pragma once

#include <QPoint>
#include <QSize>
#include <QWidget>

#include <chrono>
#include <memory>
#include <string>

namespace lanzhou::skin {
class SkinFrame;
}

namespace lanzhou::display {

// The popup for a new alert or notice: 300 x 195, against the lower right
// corner of the primary screen, shown without taking the focus. It renders
// its fragment in the large template, closes itself after `closeTicks`
// seconds (a test for equality: 0 or less never closes by itself), and
// offers "点击查看详细信息" and "关闭". It deletes itself when it closes.
// Components: "内容_浏览器" (HtmlView), "详细_按钮", "关闭_按钮" and the close
// timer "关闭_时钟".
class MessageWindow final : public QWidget {
    Q_OBJECT

public:
    struct Content {
        QString caption;       // ProductTitle + "-消息窗口"
        std::string fragment;  // GBK HTML: the alert block or the notice fragment
        int closeTicks = 0;    // PopupCloseTicks
    };

    MessageWindow(skin::SkinFrame& frame, Content content, QWidget* parent = nullptr);
    ~MessageWindow() override;

    // Where the window goes against the lower right corner of a screen's
    // available area (its origin included: the primary screen of several
    // need not start at 0, 0): left = right edge - 302, top = bottom edge -
    // 223.
    static QPoint popupPosition(const QRect& availableArea);

    // The close timer's period (1000 ms; tests shorten it). Call before show().
    void setTickInterval(std::chrono::milliseconds interval);

signals:
    // "点击查看详细信息" was pressed; the window closes right after.
    void detailsRequested();

protected:
    // The first show opens the window: the seconds counter starts at 0.
    void showEvent(QShowEvent* event) override;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lanzhou::display
