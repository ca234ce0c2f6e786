#pragma once

#include <QString>

namespace lanzhou::updater::texts {

// The updater's fixed texts (UTF-8 here; the window shows them as they are).
inline QString windowTitle() {
    return QStringLiteral("自动更新程序");
}
inline QString taskCaption() {
    return QStringLiteral("任务名称");
}
inline QString sizeCaption() {
    return QStringLiteral("文件大小(KB)");
}
inline QString progressCaption() {
    return QStringLiteral("升级进度");
}
inline QString speedCaption() {
    return QStringLiteral("速度(KB/S)");
}
inline QString taskName() {
    return QStringLiteral("升级程序");
}
inline QString cancelButton() {
    return QStringLiteral("取消更新");
}
inline QString closeButton() {
    return QStringLiteral("关闭");
}
inline QString okButton() {
    return QStringLiteral("确定");
}

inline QString downloading() {
    return QStringLiteral("正在下载");
}
inline QString unpacking() {
    return QStringLiteral("正在解压");
}
inline QString failed() {
    return QStringLiteral("更新失败");
}
inline QString finished() {
    return QStringLiteral("程序更新完毕！");
}

inline QString clientNotStarted() {
    return QStringLiteral("更新已安装，但无法重新启动程序，请手动启动。");
}

inline QString waitingForClient() {
    return QStringLiteral("正在等待客户端退出……");
}
inline QString clientStillRunning() {
    return QStringLiteral("客户端未能退出，无法完成更新。");
}
inline QString downloadFailed() {
    return QStringLiteral("下载更新包失败");
}
inline QString checksumFailed() {
    return QStringLiteral("更新包校验失败");
}
inline QString unpackFailed() {
    return QStringLiteral("解压更新包失败");
}
inline QString versionNotWritten() {
    return QStringLiteral("无法写入版本文件 ver.txt");
}
inline QString closeToRestart() {
    return QStringLiteral("，请点击“关闭”。");
}

}  // namespace lanzhou::updater::texts
