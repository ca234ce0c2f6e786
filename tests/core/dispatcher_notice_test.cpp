#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/core/notice_fragment.h"
#include "protocol/message_catalogue.h"
#include "tests/core/session_fixture.h"

namespace lanzhou::test {
namespace {

using protocol::NoticeRecord;
using protocol::ServerCode;

NoticeRecord notice(std::string channel, std::string popup = "1", std::string title = "T") {
    return NoticeRecord{"N1",          "2024-03-10 09:00:00", std::move(title), "3",
                        "<b>body</b>", std::move(channel),    std::move(popup)};
}

std::string added(const NoticeRecord& record) {
    return protocol::answer::notice(ServerCode::NoticeAdded, record);
}
std::string changed(const NoticeRecord& record) {
    return protocol::answer::notice(ServerCode::NoticeChanged, record);
}

class DispatcherNotices : public SessionFixture {
protected:
    DispatcherNotices() {
        session.settings.titleColour = 255;
        session.settings.fontSizeStyle = "font-size:12;";
        session.settings.indentText = "&nbsp";
    }
};

TEST_F(DispatcherNotices, NoticeIsMaskedForAFreeUserOnAClosedChannel) {
    struct Case {
        const char* name;
        std::int32_t userType;
        bool openToFree;
        bool readable;
    };
    for (const Case& c : {Case{"free, closed", 0, false, false}, Case{"free, open", 0, true, true},
                          Case{"paying, closed", 1, false, true}}) {
        SCOPED_TRACE(c.name);
        view.clearCalls();
        session.userType = core::UserType{c.userType};
        session.channels[3].openToFreeUsers = c.openToFree;
        const NoticeRecord record = notice("3");
        deliver(added(record));

        const std::string expected = core::noticeFragment(record, session.settings, c.readable);
        EXPECT_EQ(session.popupNoticeHtml, expected);
        EXPECT_EQ(session.popupRecord.kind.noticeChannel(), 3u);
        EXPECT_EQ(session.popupRecord.texts[1], "1");
        EXPECT_EQ(view.popupNoticeHtml(), std::vector<std::string>{expected});
        EXPECT_EQ(expected.find(G("只有正式用户才能阅读此消息")) != std::string::npos, !c.readable);
    }
}

TEST_F(DispatcherNotices, DisabledChannelBlocksNewNoticesButNotChangedOnes) {
    session.channels[2].disabled = true;
    deliver(added(notice("2")));
    EXPECT_EQ(view.count("openPopup"), 0u);
    deliver(changed(notice("2")));
    EXPECT_EQ(view.count("openPopup"), 1u);
}

TEST_F(DispatcherNotices, PopupRuleAppliesToBothKinds) {
    struct Case {
        std::string flag;
        bool popupHint;
        bool shown;
    };
    for (const Case& c : {Case{"1", true, true}, Case{"0", true, false}, Case{"1", false, false}}) {
        for (const bool isNew : {true, false}) {
            SCOPED_TRACE(c.flag + (c.popupHint ? " on" : " off") + (isNew ? " new" : " changed"));
            view.clearCalls();
            session.popupHint = c.popupHint;
            deliver(isNew ? added(notice("0", c.flag)) : changed(notice("0", c.flag)));
            EXPECT_EQ(view.count("openPopup"), c.shown ? 1u : 0u);
        }
    }
}

TEST_F(DispatcherNotices, NoticeOutsideTheSixChannelsIsIgnored) {
    deliver(added(notice("1", "1", "first")));
    const std::string kept = session.popupNoticeHtml;
    view.clearCalls();
    const auto armsBefore = scheduler.armCalls();

    for (const std::string channel : {"6", "10", "-1", "a", "00"}) {
        SCOPED_TRACE(channel);
        deliver(added(notice(channel)));
        deliver(changed(notice(channel)));
    }
    deliver("#alN1|2024-03-10 09:00:00|T|3|body");  // too few pieces
    EXPECT_EQ(session.popupNoticeHtml, kept);
    EXPECT_EQ(session.popupRecord.kind.noticeChannel(), 1u);
    EXPECT_EQ(scheduler.armCalls(), armsBefore);
    EXPECT_TRUE(view.calls().empty());
}

TEST_F(DispatcherNotices, LaterNoticeBeforeTheActionRunsIsTheOneShown) {
    session.userType = core::kPayingUser;  // titles readable
    dispatchOnly(added(notice("0", "1", "first")));
    dispatchOnly(added(notice("1", "1", "second")));
    scheduler.runAll();
    const auto shown = view.popupNoticeHtml();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find("second"), std::string::npos);
    EXPECT_EQ(shown[0].find("first"), std::string::npos);
}

TEST_F(DispatcherNotices, RemovedNoticesChangeNothing) {
    deliver(protocol::answer::noticesRemoved({{"N1", "N2"}, "0"}));
    EXPECT_TRUE(view.calls().empty());
    EXPECT_TRUE(sender.sent().empty());
    EXPECT_EQ(scheduler.armCalls(), 0u);
}

}  // namespace
}  // namespace lanzhou::test
