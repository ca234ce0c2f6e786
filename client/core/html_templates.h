#pragma once

#include <string>
#include <string_view>

namespace lanzhou::core {

struct ClientSession;
struct PopupRecord;

// The two page templates every rendering goes through (GBK, CR LF line ends):
// gb2312 charset, no context menu, no text selection, an empty body. They
// differ in line height and font size only (18px/12px small, 20px/15px large).
const std::string& smallPageTemplate();
const std::string& largePageTemplate();

// The fixed refusal of a web-link page the member may not open.
const std::string& noPermissionFragment();

// The document RenderHtml produces: the template with the fragment as the
// content of its body.
std::string composePage(std::string_view pageTemplate, std::string_view fragment);

// The popup's alert block: six lines of the PopupRecord, each ending "<BR>".
std::string alertTextBlock(const PopupRecord& record);

// What the popup renders for the session's PopupRecord: the alert block for
// kind "10", PopupNoticeHtml for "0" to "5", else nothing.
std::string popupFragment(const ClientSession& session);

}  // namespace lanzhou::core
