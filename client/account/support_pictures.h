#pragma once

#include <QPixmap>
#include <QSize>

namespace lanzhou::account {

// The pictures of the two support buttons of the login window, drawn at run
// time (no picture files): a speech bubble with "QQ客服", and a shop-chat
// badge with "在线客服". Drawn at twice the size for sharp HiDPI output.
QPixmap supportQqPicture(QSize size);
QPixmap supportShopChatPicture(QSize size);

}  // namespace lanzhou::account
