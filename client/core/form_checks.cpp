#include "client/core/form_checks.h"

#include <initializer_list>
#include <span>

#include "client/core/texts.h"
#include "protocol/gbk_text.h"
#include "protocol/message_catalogue.h"

namespace lanzhou::core {
namespace {

// The characters a form refuses: the field separator everywhere, and on the
// registration and recharge forms also the two record separators.
constexpr std::string_view kSeparatorOnly[] = {protocol::kFieldSeparator};
constexpr std::string_view kAllSeparators[] = {
    protocol::kFieldSeparator, protocol::kRecordSeparator, protocol::kRecordFieldSeparator};

enum class StepKind {
    Forbidden,  // the field contains a forbidden character
    Empty,      // the field is empty
    Differs,    // the field differs from `other` (byte for byte)
    Closed,     // registration is closed by the server
};

template <typename Fields>
struct Step {
    StepKind kind;
    std::string Fields::*field;
    std::string Fields::*other;  // Differs only
    std::string_view text;       // UTF-8
    std::string_view focus;      // component name; empty: none
};

bool containsAny(std::string_view field, std::span<const std::string_view> forbidden) {
    for (const std::string_view ch : forbidden) {
        if (protocol::containsCharacter(field, ch)) {
            return true;
        }
    }
    return false;
}

template <typename Fields>
std::optional<FormRefusal> walk(std::initializer_list<Step<Fields>> steps, const Fields& fields,
                                std::span<const std::string_view> forbidden, bool closed = false) {
    for (const Step<Fields>& step : steps) {
        bool failed = false;
        switch (step.kind) {
            case StepKind::Forbidden:
                failed = containsAny(fields.*step.field, forbidden);
                break;
            case StepKind::Empty:
                failed = (fields.*step.field).empty();
                break;
            case StepKind::Differs:
                failed = fields.*step.field != fields.*step.other;
                break;
            case StepKind::Closed:
                failed = closed;
                break;
        }
        if (failed) {
            return FormRefusal{gbk(step.text), step.focus};
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<FormRefusal> checkLogin(const LoginFields& f) {
    using F = LoginFields;
    using S = Step<F>;
    return walk<F>(
        {
            S{StepKind::Forbidden, &F::account, nullptr, text::kAccountForbidden, "登陆_ad1"},
            S{StepKind::Forbidden, &F::password, nullptr, text::kPasswordForbidden, "登陆_ad2"},
            S{StepKind::Empty, &F::account, nullptr, text::kAccountEmpty, "登陆_ad1"},
            S{StepKind::Empty, &F::password, nullptr, text::kPasswordEmpty, "登陆_ad2"},
        },
        f, kSeparatorOnly);
}

std::optional<FormRefusal> checkRegistration(const RegistrationFields& f, bool registrationClosed) {
    using F = RegistrationFields;
    using S = Step<F>;
    return walk<F>(
        {
            S{StepKind::Forbidden, &F::account, nullptr, text::kAccountForbidden, "注册_ad1"},
            S{StepKind::Forbidden, &F::password, nullptr, text::kPasswordForbidden, "注册_ad2"},
            S{StepKind::Forbidden, &F::repeat, nullptr, text::kPasswordForbidden, "注册_ad3"},
            S{StepKind::Forbidden, &F::qq, nullptr, text::kContactForbidden, "注册_ad4"},
            S{StepKind::Forbidden, &F::phone, nullptr, text::kContactForbidden, "注册_ad5"},
            S{StepKind::Empty, &F::account, nullptr, text::kAccountEmpty, "注册_ad1"},
            S{StepKind::Empty, &F::password, nullptr, text::kPasswordEmpty, "注册_ad2"},
            S{StepKind::Differs, &F::password, &F::repeat, text::kPasswordsDiffer, "注册_ad3"},
            S{StepKind::Empty, &F::qq, nullptr, text::kQqEmpty, "注册_ad4"},
            S{StepKind::Empty, &F::phone, nullptr, text::kPhoneEmpty, "注册_ad5"},
            S{StepKind::Closed, nullptr, nullptr, text::kRegistrationClosed, ""},
        },
        f, kAllSeparators, registrationClosed);
}

std::optional<FormRefusal> checkRecharge(const RechargeFields& f) {
    using F = RechargeFields;
    using S = Step<F>;
    return walk<F>(
        {
            S{StepKind::Forbidden, &F::account, nullptr, text::kAccountForbidden, "充值_ad1"},
            S{StepKind::Forbidden, &F::password, nullptr, text::kPasswordForbidden, "充值_ad2"},
            S{StepKind::Forbidden, &F::card, nullptr, text::kCardForbidden, "充值_ad3"},
            S{StepKind::Empty, &F::account, nullptr, text::kAccountEmpty, "充值_ad1"},
            S{StepKind::Empty, &F::password, nullptr, text::kPasswordEmpty, "充值_ad2"},
            S{StepKind::Empty, &F::card, nullptr, text::kCardEmpty, "充值_ad3"},
        },
        f, kAllSeparators);
}

std::optional<FormRefusal> checkChangePassword(const ChangePasswordFields& f) {
    using F = ChangePasswordFields;
    using S = Step<F>;
    return walk<F>(
        {
            S{StepKind::Forbidden, &F::account, nullptr, text::kAccountForbidden, "修改_ad1"},
            S{StepKind::Forbidden, &F::password, nullptr, text::kPasswordForbidden, "修改_ad2"},
            S{StepKind::Forbidden, &F::confirm, nullptr, text::kPasswordForbidden, "修改_ad3"},
            S{StepKind::Forbidden, &F::qq, nullptr, text::kContactForbidden, "修改_ad4"},
            S{StepKind::Forbidden, &F::phone, nullptr, text::kContactForbidden, "修改_ad5"},
            S{StepKind::Empty, &F::account, nullptr, text::kAccountEmpty, "修改_ad1"},
            S{StepKind::Empty, &F::password, nullptr, text::kPasswordEmpty, "修改_ad2"},
            S{StepKind::Differs, &F::password, &F::confirm, text::kPasswordsDiffer, "修改_ad3"},
            S{StepKind::Empty, &F::qq, nullptr, text::kQqEmpty, "修改_ad4"},
            S{StepKind::Empty, &F::phone, nullptr, text::kPhoneEmpty, "修改_ad5"},
        },
        f, kSeparatorOnly);
}

std::optional<FormRefusal> checkRetrievePassword(const RetrievePasswordFields& f) {
    using F = RetrievePasswordFields;
    using S = Step<F>;
    return walk<F>(
        {
            S{StepKind::Forbidden, &F::account, nullptr, text::kAccountForbidden, "找回_ad1"},
            S{StepKind::Forbidden, &F::qq, nullptr, text::kContactForbidden, "找回_ad2"},
            S{StepKind::Forbidden, &F::phone, nullptr, text::kContactForbidden, "找回_ad3"},
            S{StepKind::Empty, &F::account, nullptr, text::kAccountEmpty, "找回_ad1"},
            S{StepKind::Empty, &F::qq, nullptr, text::kQqEmpty, "找回_ad2"},
            S{StepKind::Empty, &F::phone, nullptr, text::kPhoneEmpty, "找回_ad3"},
        },
        f, kSeparatorOnly);
}

std::string loginRequest(const LoginFields& fields) {
    return protocol::request::login(fields.account, fields.password);
}

std::string registrationRequest(const RegistrationFields& fields, std::string_view adapterAddress,
                                bool registrationFlag) {
    return protocol::request::registration(fields.account, fields.password, fields.qq, fields.phone,
                                           adapterAddress, registrationFlag);
}

std::string rechargeRequest(const RechargeFields& fields) {
    return protocol::request::recharge(fields.account, fields.password, fields.card);
}

std::string changePasswordRequest(const ChangePasswordFields& fields) {
    return protocol::request::changePassword(fields.account, fields.password, fields.qq,
                                             fields.phone);
}

std::string retrievePasswordRequest(const RetrievePasswordFields& fields) {
    return protocol::request::retrievePassword(fields.account, fields.qq, fields.phone);
}

}  // namespace lanzhou::core
