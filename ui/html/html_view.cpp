#include "ui/html/html_view.h"

#include <QByteArray>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include "client/core/html_templates.h"

namespace lanzhou::display {

HtmlView::HtmlView(QWidget* parent) : QWebEngineView(parent) {
    // Every view shares the process's one profile (cache, settings), so that
    // a popup opening again does not start a browser context of its own.
    setPage(new QWebEnginePage(QWebEngineProfile::defaultProfile(), this));
    setContextMenuPolicy(Qt::NoContextMenu);
}

void HtmlView::showDocument(const std::string& documentGbk) {
    // The bytes are handed over as they are, with their character set, so
    // that the engine decodes the GBK text itself. A document too large for
    // the engine leaves the view empty.
    setContent(QByteArray(documentGbk.data(), static_cast<qsizetype>(documentGbk.size())),
               QStringLiteral("text/html;charset=GBK"), QUrl(QStringLiteral("about:blank")));
}

void RenderHtml(HtmlView& view, const std::string& pageTemplate, const std::string& fragment) {
    view.showDocument(core::composePage(pageTemplate, fragment));
}

}  // namespace lanzhou::display
