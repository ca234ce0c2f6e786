#pragma once

#include <string>

namespace lanzhou::display {

// Shows the short modal messages of the client. Each call returns when the
// member has closed the window. Texts are GBK. The desktop client uses the
// prompt windows (WindowPromptPresenter); tests may record instead.
class PromptPresenter {
public:
    virtual ~PromptPresenter() = default;

    // PromptWindow with one "确定".
    virtual void showPrompt(const std::string& text) = 0;
    // CountdownPrompt: closes itself on its eleventh tick.
    virtual void showCountdownPrompt(const std::string& text) = 0;
    // ConfirmClose: asks "确认是否关闭此程序？"; true when the close goes on.
    virtual bool confirmClose() = 0;
};

}  // namespace lanzhou::display
