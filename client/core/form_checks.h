#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lanzhou::core {

// The account forms' checks: first every field for forbidden characters, then
// every field for emptiness (and the repeated password in its place), in the
// fixed order of each form. The first failure is the refusal: its text for
// showPrompt and the component to focus.

struct FormRefusal {
    std::string text;         // GBK
    std::string_view focus;   // component name (UTF-8 objectName); empty: none
};

struct LoginFields {
    std::string account, password;
};
struct RegistrationFields {
    std::string account, password, repeat, qq, phone;
};
struct RechargeFields {
    std::string account, password, card;
};
struct ChangePasswordFields {
    std::string account, password, confirm, qq, phone;
};
struct RetrievePasswordFields {
    std::string account, qq, phone;
};

// Forbidden: "|" on the login and account-service forms; "|", "☆" and "々" on
// the registration and recharge forms.
std::optional<FormRefusal> checkLogin(const LoginFields& fields);
std::optional<FormRefusal> checkRegistration(const RegistrationFields& fields,
                                             bool registrationClosed);
std::optional<FormRefusal> checkRecharge(const RechargeFields& fields);
std::optional<FormRefusal> checkChangePassword(const ChangePasswordFields& fields);
std::optional<FormRefusal> checkRetrievePassword(const RetrievePasswordFields& fields);

// The requests the forms send once their checks pass.
std::string loginRequest(const LoginFields& fields);
std::string registrationRequest(const RegistrationFields& fields, std::string_view adapterAddress,
                                bool registrationFlag);
std::string rechargeRequest(const RechargeFields& fields);
std::string changePasswordRequest(const ChangePasswordFields& fields);
std::string retrievePasswordRequest(const RetrievePasswordFields& fields);

}  // namespace lanzhou::core
