#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "client/core/html_templates.h"
#include "client/core/session_actions.h"
#include "client/core/stored_text_cipher.h"
#include "client/core/texts.h"
#include "tests/core/session_fixture.h"

namespace lanzhou::test {
namespace {

using core::SessionAction;

class SessionActionsTest : public SessionFixture {
protected:
    SessionActionsTest() {
        session.promptText = "prompt";
        session.loginBulletin = "<i>b</i>";
        session.popupRecord.kind = core::PopupKind::ofNoticeChannel("4").value();
        session.popupRecord.texts[1] = "1";
    }
};

TEST_F(SessionActionsTest, EachActionDoesItsWindowWork) {
    const std::string page = core::composePage(core::smallPageTemplate(), "<i>b</i>");
    struct Case {
        SessionAction action;
        std::vector<ViewCall> calls;
    };
    const std::vector<Case> cases = {
        {SessionAction::VersionCheck, {{"showBulletin", page}}},
        {SessionAction::UpdateOffer, {{"offerUpdate", ""}}},
        {SessionAction::Prompt, {{"showPrompt", "prompt"}}},
        {SessionAction::AdoptAccount,
         {{"showPrompt", "prompt"},
          {"takeRegisterWindowCredentials", ""},
          {"takeAccountServiceCredentials", ""}}},
        {SessionAction::EnterMain, {{"enterMain", ""}}},
        {SessionAction::ExpiredLogin, {{"showPrompt", "prompt"}, {"enterMain", ""}}},
        {SessionAction::ForcedOffline,
         {{"showCountdownPrompt", "prompt"}, {"closeMainOrLogin", ""}}},
        {SessionAction::AlertPopup, {{"openPopup", ""}}},
        {SessionAction::NoticeArrived, {{"openPopup", ""}}},
        {SessionAction::NoticeEdited, {{"openPopup", ""}}},
    };
    ASSERT_EQ(cases.size(), core::kSessionActionCount);
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.action));
        view.clearCalls();
        // Two arms before the run: one run.
        actions.arm(c.action);
        actions.arm(c.action);
        EXPECT_TRUE(view.calls().empty());
        scheduler.runAll();
        EXPECT_EQ(view.calls(), c.calls);
    }
}

TEST_F(SessionActionsTest, VersionCheckOffersAnUpdateOnlyForANewerServer) {
    struct Case {
        std::int32_t server;
        std::int32_t local;
        bool offered;
    };
    for (const Case& c : {Case{0, 0, false}, Case{5, 4, true}, Case{4, 4, false},
                          Case{-1, 0, false}, Case{1, -3, true}}) {
        SCOPED_TRACE(std::to_string(c.server) + " vs " + std::to_string(c.local));
        view.clearCalls();
        session.promptText = "unchanged";
        session.serverVersion = c.server;
        session.localVersion = c.local;
        actions.arm(SessionAction::VersionCheck);
        scheduler.runAll();
        EXPECT_EQ(view.count("offerUpdate"), c.offered ? 1u : 0u);
        EXPECT_EQ(session.promptText,
                  c.offered ? core::gbk(core::text::kUpdateOffer) : std::string("unchanged"));
    }
}

TEST_F(SessionActionsTest, ExpiredLoginRemembersOnlyWhenTicked) {
    view.setLoginForm({"member", "pw", false});
    actions.arm(SessionAction::ExpiredLogin);
    scheduler.runAll();
    EXPECT_EQ(config.read("zx"), "0");
    EXPECT_EQ(config.read("username"), "");

    view.setLoginForm({"member", "pw", true});
    actions.arm(SessionAction::ExpiredLogin);
    scheduler.runAll();
    EXPECT_EQ(config.read("zx"), "1");
    EXPECT_EQ(core::decodeStored(config.read("username")), "member");
    EXPECT_EQ(core::decodeStored(config.read("userpass")), "pw");
}

TEST_F(SessionActionsTest, NoticeArrivedSkipsDisabledChannelsOnly) {
    session.channels[4].disabled = true;
    actions.arm(SessionAction::NoticeArrived);
    scheduler.runAll();
    EXPECT_EQ(view.count("openPopup"), 0u);

    actions.arm(SessionAction::NoticeEdited);
    scheduler.runAll();
    EXPECT_EQ(view.count("openPopup"), 1u);
}

TEST_F(SessionActionsTest, PopupActionsReadTheRecordWhenTheyRun) {
    session.popupRecord.texts[1] = "0";
    actions.arm(SessionAction::NoticeArrived);
    session.popupRecord.texts[1] = "1";  // a later notice wrote the record
    scheduler.runAll();
    EXPECT_EQ(view.count("openPopup"), 1u);

    session.popupHint = false;
    actions.arm(SessionAction::NoticeEdited);
    actions.arm(SessionAction::NoticeArrived);
    scheduler.runAll();
    EXPECT_EQ(view.count("openPopup"), 1u);
}

TEST_F(SessionActionsTest, DestroyedActionsDoNotRun) {
    auto own = std::make_unique<core::SessionActions>(scheduler, session, view, config);
    own->arm(SessionAction::Prompt);
    own->arm(SessionAction::EnterMain);
    own.reset();
    scheduler.runAll();
    EXPECT_TRUE(view.calls().empty());
}

}  // namespace
}  // namespace lanzhou::test
