#pragma once

#include <QWebEngineView>

#include <string>

namespace lanzhou::display {

// The embedded browser every HTML text of the client is shown in. Pages are
// GBK documents (the templates declare gb2312); the context menu is off.
class HtmlView final : public QWebEngineView {
    Q_OBJECT

public:
    explicit HtmlView(QWidget* parent = nullptr);

    // Shows a complete GBK document, as if written into a blank page.
    void showDocument(const std::string& documentGbk);
};

// RenderHtml: the fragment shown inside the template (both GBK).
void RenderHtml(HtmlView& view, const std::string& pageTemplate, const std::string& fragment);

}  // namespace lanzhou::display
