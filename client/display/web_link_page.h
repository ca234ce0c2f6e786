#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

#include "client/core/user_type.h"
#include "protocol/message_catalogue.h"

namespace lanzhou::display {

class HtmlView;

// One of the six web-link pages of the main window: a browser over a button
// bar with "后退", "前进" and "刷新". A permitted page (open to free users, or
// any page for a paying member) loads its address; any other shows the
// refusal fragment. Permission is tested at the first content and again on
// every refresh. Back and forward move in the browser's history while the
// address is shown and do nothing on the refusal. Pages that ask for a new
// window (target "_blank", window.open) load in this same browser. Design
// size 948 x 502; objectName "WebLinkPage", dynamic property "pageIndex".
class WebLinkPage final : public QWidget {
    Q_OBJECT

public:
    // `index` 0 to 5; `userType` reads the member's current user type.
    WebLinkPage(int index, protocol::WebPageConfig config, std::function<core::UserType()> userType,
                QWidget* parent = nullptr);
    ~WebLinkPage() override;

    // The tab's icon file, relative to the run directory: "ico/8.ico" for
    // page 0 up to "ico/13.ico" for page 5.
    static QString iconFile(int index);

    int index() const;
    QString title() const;  // the page's name
    bool permitted() const;

    void showFirstContent();
    void back();
    void forward();
    void refresh();

    // The main window's layout rule for its new outer size: the browser and
    // the bar follow it, never below their design sizes. The page widget's
    // own size is left to its container.
    void fitToWindowSize(QSize windowSize);

    HtmlView& browser();

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace lanzhou::display
