#pragma once

#include <string>
#include <string_view>

namespace lanzhou::core {

// The client's fixed texts. They are written here in UTF-8 and used in GBK,
// the client's text encoding: gbk(text::kLoginFailed).
const std::string& gbk(std::string_view utf8);

namespace text {
// Connection
inline constexpr std::string_view kConnectFailed = "与服务器连接失败，请与管理员联系！";
inline constexpr std::string_view kDisconnected = "与服务器连接断开，请与管理员联系！";
// The status line while a lost connection is retried.
inline constexpr std::string_view kReconnecting = "与服务器连接断开，正在重新连接…";
// Summaries: the text before and after the number of new alerts.
inline constexpr std::string_view kReconnectSummaryBefore = "断线期间收到 ";
inline constexpr std::string_view kQuietSummaryBefore = "免打扰期间收到 ";
inline constexpr std::string_view kSummaryAfter = " 条新预警";
// Export
inline constexpr std::string_view kExportFailed = "导出失败，无法写入文件：";
// Line choice
inline constexpr std::string_view kTelecomLine = "电信线路";
inline constexpr std::string_view kNetcomLine = "网通线路";
inline constexpr std::string_view kLineChanged = "线路设置完毕，请重新启动客户端！";
// Account answers
inline constexpr std::string_view kDuplicateMachine = "一台电脑只允许注册一个账号，请勿重复注册！";
inline constexpr std::string_view kAccountExists = "账号已存在，请重新输入新的账号！";
inline constexpr std::string_view kRegisterFailed = "注册失败，如有问题请与管理员联系！";
inline constexpr std::string_view kRegisterSucceeded = "注册成功，为保证服务质量请尽快充值！";
inline constexpr std::string_view kRechargeBadAccount = "账号输入有误，请重新输入！";
inline constexpr std::string_view kRechargeBadPassword = "密码输入有误，请从新输入！";
inline constexpr std::string_view kRechargeBadCard = "卡号输入有误，请重新输入！";
inline constexpr std::string_view kRechargeCardExpired = "充值卡已过期，请重新填写卡号！";
inline constexpr std::string_view kRechargeFailed = "充值失败，请与管理员联系！";
inline constexpr std::string_view kRechargeSucceeded = "充值成功，感谢您的参与！";
inline constexpr std::string_view kLoginFailed = "登陆失败，请从新登陆！";
inline constexpr std::string_view kUserDataWrong = "用户资料输入错误，请从新输入！";
inline constexpr std::string_view kPasswordChangeFailed = "密码修改失败，请与管理员联系！";
inline constexpr std::string_view kPasswordChanged = "密码修改成功！";
inline constexpr std::string_view kPasswordRetrieved = "您当前密码为：";
// Login judgement
inline constexpr std::string_view kWrongMachine = "登陆失败，请在注册的系统上登陆！";
inline constexpr std::string_view kUnpaidRefused = "您的账户未充值，不能享受我们的服务，请尽快充值！";
inline constexpr std::string_view kExpiredRefused = "您的账户已到期，不能享受我们的服务，请尽快充值！";
inline constexpr std::string_view kExpiredLetIn = "您的账户已到期，为了保证服务质量，请尽快充值！";
// Forced offline and expiry
inline constexpr std::string_view kLoggedInElsewhere = "您的账户已在别处登录，如有问题请联系我们客服！";
inline constexpr std::string_view kKickedByAdministrator = "您的账户已被管理员下线，如有问题请联系我们客服！";
inline constexpr std::string_view kMembershipExpired = "您的会员身份已到期，请尽快充值！";
// Update
inline constexpr std::string_view kUpdateOffer = "发现新的版本，请点击确定更新！";
// An installed copy is updated by its package, not by the updater.
inline constexpr std::string_view kUpdateByPackage = "发现新的版本，请用软件包管理器安装。";
// Closing
inline constexpr std::string_view kConfirmClose = "确认是否关闭此程序？";
// Form checks
inline constexpr std::string_view kAccountForbidden = "账号不能包含特殊字符，请认真填写！";
inline constexpr std::string_view kPasswordForbidden = "密码不能包含特殊字符，请认真填写！";
inline constexpr std::string_view kContactForbidden = "注册信息不能包含特殊字符，请认真填写！";
inline constexpr std::string_view kCardForbidden = "卡号不能包含特殊字符，请认真填写！";
inline constexpr std::string_view kAccountEmpty = "账号不能为空，请认真填写！";
inline constexpr std::string_view kPasswordEmpty = "密码不能为空，请认真填写！";
inline constexpr std::string_view kPasswordsDiffer = "密码两次输入不同，请认真填写！";
inline constexpr std::string_view kQqEmpty = "联系QQ不能为空，请认真填写！";
inline constexpr std::string_view kPhoneEmpty = "联系电话不能为空，请认真填写！";
inline constexpr std::string_view kCardEmpty = "卡号不能为空，请认真填写！";
inline constexpr std::string_view kRegistrationClosed = "当前系统禁止新用户注册，如有疑问请与管理员联系！";
}  // namespace text

}  // namespace lanzhou::core
