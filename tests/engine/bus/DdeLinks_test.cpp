// The command and output buffer links: request flags served at the next tick, what arriving text
// does, StripBufferCrLf, pasting and copying links, the "&Edit" menu's enabling, and the failures.

#include <gtest/gtest.h>

#include "engine/bus/DdeTestSupport.h"

namespace quorvane {
namespace {

using test::DdeRig;

// A rig whose command link points at Peer|Cmds!cmd and buffer link at Peer|Out!out.
DdeRig& withLinkSettings(DdeRig& rig) {
    rig.Config.CommandLinkApp = "Peer";
    rig.Config.CommandLinkTopic = "Cmds";
    rig.Config.CommandLinkItem = "cmd";
    rig.Config.BufferLinkApp = "Peer";
    rig.Config.BufferLinkTopic = "Out";
    rig.Config.BufferLinkItem = "out";
    return rig;
}

TEST(DdeLinkText, BufferTextLosesAFinalCrLfOnlyWhenStripping) {
    EXPECT_EQ(BufferLinkText("5\r\n", true), "5");
    EXPECT_EQ(BufferLinkText("5\r\n", false), "5\r\n");
    EXPECT_EQ(BufferLinkText("\r\n", true), "");
    EXPECT_EQ(BufferLinkText("\n", true), "\n");
    EXPECT_EQ(BufferLinkText("a\r\n\r\n", true), "a\r\n");
    EXPECT_EQ(BufferLinkText("a\n\r", true), "a\n\r");
}

TEST(DdeLinkText, PastedLinksSplitAtTheFirstBarAndTheFirstBangAfterIt) {
    const auto full = ParseDdeLink("Quorvane|COM1!Field(2)");
    ASSERT_TRUE(full);
    EXPECT_EQ(full->Application, "Quorvane");
    EXPECT_EQ(full->Topic, "COM1");
    EXPECT_EQ(full->Item, "Field(2)");
    const auto noItem = ParseDdeLink("App|Topic");
    ASSERT_TRUE(noItem);
    EXPECT_EQ(noItem->Topic, "Topic");
    EXPECT_EQ(noItem->Item, "");
    const auto bangFirst = ParseDdeLink("A!pp|T!i!j");
    ASSERT_TRUE(bangFirst);
    EXPECT_EQ(bangFirst->Application, "A!pp");
    EXPECT_EQ(bangFirst->Topic, "T");
    EXPECT_EQ(bangFirst->Item, "i!j");
    EXPECT_FALSE(ParseDdeLink("no bar!here"));
}

TEST(DdeLinkRequests, RefreshTakesEffectAtTheNextTickAndClearsTheFlag) {
    DdeRig rig;
    withLinkSettings(rig).load();
    rig.Client.startPeer("Peer", "Cmds").Items["cmd"] = "";
    ASSERT_TRUE(rig.Bridge.links().perform(DdeEditCommand::RefreshCommand));
    EXPECT_TRUE(rig.Bridge.links().CommandLinkRequested());
    EXPECT_EQ(rig.Bridge.links().mode(DdeLinkKind::Command), DdeLinkMode::None);

    rig.tick();
    EXPECT_FALSE(rig.Bridge.links().CommandLinkRequested());
    EXPECT_EQ(rig.Bridge.links().mode(DdeLinkKind::Command), DdeLinkMode::Automatic);
    rig.Client.setPeerItem("Peer", "Cmds", "cmd", "{BEEP}");
    rig.Client.setPeerItem("Peer", "Cmds", "cmd", "");
    EXPECT_EQ(rig.Commands, (std::vector<std::string>{"{BEEP}"}));
}

// Ways of establishing both links while the peer's items already hold text.
struct Establishing {
    const char* Name;
    void (*Establish)(DdeRig&);
};

class DdeLinkBaseline : public testing::TestWithParam<Establishing> {};

// The text an item holds when its link is established was meant for an earlier link: running it
// again would repeat a command (an exit, a reload of the same file) or resend the device's text.
TEST_P(DdeLinkBaseline, TheItemsTextWhenTheLinkOpensIsNotRunOnlyLaterChangesAre) {
    DdeRig rig;
    withLinkSettings(rig);
    rig.Client.startPeer("Peer", "Cmds").Items["cmd"] = "{SUSPEND}";
    rig.Client.startPeer("Peer", "Out").Items["out"] = "hello\r\n";
    GetParam().Establish(rig);
    EXPECT_EQ(rig.Bridge.links().mode(DdeLinkKind::Command), DdeLinkMode::Automatic);
    EXPECT_EQ(rig.Bridge.links().mode(DdeLinkKind::Buffer), DdeLinkMode::Automatic);
    EXPECT_TRUE(rig.Commands.empty());
    EXPECT_EQ(rig.Device.Written + rig.Engine.OutputQueue(), "");
    EXPECT_TRUE(rig.Prompts.Messages.empty());

    // Every change arrives, the same text as the baseline included.
    rig.Client.setPeerItem("Peer", "Cmds", "cmd", "{SUSPEND}");
    rig.Client.setPeerItem("Peer", "Out", "out", "x\r\n");
    EXPECT_EQ(rig.Commands, (std::vector<std::string>{"{SUSPEND}"}));
    EXPECT_EQ(rig.Engine.OutputQueue(), "x");
}

INSTANTIATE_TEST_SUITE_P(
    Links, DdeLinkBaseline,
    testing::Values(Establishing{"AutomaticAtLoad",
                                 [](DdeRig& rig) {
                                     rig.Config.CommandLinkAuto = kTrue;
                                     rig.Config.BufferLinkAuto = kTrue;
                                     rig.load();
                                 }},
                    Establishing{"Refreshed",
                                 [](DdeRig& rig) {
                                     rig.load();
                                     rig.Bridge.links().perform(DdeEditCommand::RefreshCommand);
                                     rig.Bridge.links().perform(DdeEditCommand::RefreshBuffer);
                                     rig.tick();
                                 }},
                    Establishing{"Pasted",
                                 [](DdeRig& rig) {
                                     rig.load();
                                     rig.Board.Text = "";
                                     rig.Board.Link = "Peer|Cmds!cmd";
                                     rig.Bridge.links().perform(DdeEditCommand::PasteCommand);
                                     rig.Board.Link = "Peer|Out!out";
                                     rig.Bridge.links().perform(DdeEditCommand::PasteBuffer);
                                     rig.tick();
                                 }}),
    [](const testing::TestParamInfo<Establishing>& row) { return std::string(row.param.Name); });

TEST(DdeLinkRequests, ALinkThatCannotBeEstablishedSaysSoOnceAndStaysNone) {
    DdeRig rig;
    withLinkSettings(rig).load();
    rig.Bridge.links().refresh(DdeLinkKind::Buffer);
    rig.tick();
    ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
    EXPECT_EQ(rig.Prompts.Messages[0].Text, "Cannot Establish DDE Output Buffer Link With: Peer,Out,out");
    EXPECT_EQ(rig.Prompts.Messages[0].Buttons, MessageButtons::Ok);
    EXPECT_EQ(rig.Bridge.links().mode(DdeLinkKind::Buffer), DdeLinkMode::None);

    // A server without the item fails the same way; no conversation is left open.
    rig.Client.startPeer("Peer", "Cmds");
    rig.Bridge.links().refresh(DdeLinkKind::Command);
    rig.tick();
    ASSERT_EQ(rig.Prompts.Messages.size(), 2u);
    EXPECT_EQ(rig.Prompts.Messages[1].Text, "Cannot Establish DDE Command Link With: Peer,Cmds,cmd");
    EXPECT_EQ(rig.Client.openConversations(), 0u);
}

TEST(DdeLinkRequests, ARequestWantsTheComingTickAndNoneAfterIt) {
    DdeRig rig;
    withLinkSettings(rig).load().tick();
    EXPECT_EQ(rig.Engine.msUntilTickWork(), std::nullopt);
    rig.Bridge.links().refresh(DdeLinkKind::Buffer);
    EXPECT_EQ(rig.Engine.msUntilTickWork(), 0U);
    rig.tick();
    EXPECT_EQ(rig.Engine.msUntilTickWork(), std::nullopt);
}

TEST(DdeLinkArrival, BufferTextGoesToTheOutputQueueAfterStripBufferCrLf) {
    DdeRig rig;
    withLinkSettings(rig).load();
    rig.Client.startPeer("Peer", "Out").Items["out"] = "";
    rig.Bridge.links().EstablishBufferLink();
    rig.Client.setPeerItem("Peer", "Out", "out", "5\r\n");
    EXPECT_EQ(rig.Engine.OutputQueue(), "5");
    rig.Client.setPeerItem("Peer", "Out", "out", "\r\n");
    EXPECT_EQ(rig.Engine.OutputQueue(), "5");
    rig.Config.StripBufferCrLf = kFalse;
    rig.Client.setPeerItem("Peer", "Out", "out", "5\r\n");
    EXPECT_EQ(rig.Engine.OutputQueue(), "55\r\n");
    rig.tick();
    EXPECT_EQ(rig.Device.Written, "55\r\n");
}

TEST(DdeLinkArrival, TheServerGoingAwayEndsTheLinkAndTerminateStopsArrivals) {
    DdeRig rig;
    withLinkSettings(rig).load();
    rig.Client.startPeer("Peer", "Cmds").Items["cmd"] = "";
    rig.Bridge.links().EstablishCommandLink();
    rig.Client.stopPeer("Peer", "Cmds");
    EXPECT_EQ(rig.Bridge.links().mode(DdeLinkKind::Command), DdeLinkMode::None);

    rig.Client.startPeer("Peer", "Cmds").Items["cmd"] = "";
    rig.Bridge.links().EstablishCommandLink();
    ASSERT_TRUE(rig.Bridge.links().perform(DdeEditCommand::TerminateCommand));
    rig.Client.setPeerItem("Peer", "Cmds", "cmd", "{BEEP}");
    EXPECT_TRUE(rig.Commands.empty());
    EXPECT_EQ(rig.Client.openConversations(), 0u);
}

TEST(DdeLinkArrival, ACommandThatTerminatesItsOwnLinkIsSafe) {
    DdeRig rig;
    withLinkSettings(rig).load();
    rig.Bridge.setCommandHandler([&](std::string_view command) {
        rig.Commands.emplace_back(command);
        return rig.Bridge.links().perform(DdeEditCommand::TerminateCommand);
    });
    rig.Client.startPeer("Peer", "Cmds").Items["cmd"] = "";
    rig.Bridge.links().EstablishCommandLink();
    rig.Client.setPeerItem("Peer", "Cmds", "cmd", "{TERMINATE-COMMAND}");
    rig.Client.setPeerItem("Peer", "Cmds", "cmd", "{BEEP}");
    EXPECT_EQ(rig.Commands, (std::vector<std::string>{"{TERMINATE-COMMAND}"}));
}

TEST(DdeEditMenu, EntriesAreEnabledByTheClipboardTheSettingsAndTheModes) {
    DdeRig rig;
    rig.load();
    EXPECT_EQ(rig.Bridge.links().editMenu(), DdeEditMenu{});

    rig.Board.Link = "Peer|Cmds!cmd";
    EXPECT_FALSE(rig.Bridge.links().editMenu().DDEPaste); // a link without plain text beside it
    rig.Board.Text = "";
    EXPECT_TRUE(rig.Bridge.links().editMenu().DDEPaste);
    EXPECT_TRUE(rig.Bridge.links().editMenu().DDEPasteBuffer);

    rig.Config.BufferLinkApp = "Peer";
    EXPECT_FALSE(rig.Bridge.links().editMenu().DDERefreshBuffer); // the topic is still empty
    rig.Config.BufferLinkTopic = "Out";
    rig.Config.BufferLinkItem = "out";
    EXPECT_TRUE(rig.Bridge.links().editMenu().DDERefreshBuffer);
    EXPECT_FALSE(rig.Bridge.links().editMenu().DDERefresh);
    EXPECT_FALSE(rig.Bridge.links().editMenu().DDEKillBuffer);

    rig.Client.startPeer("Peer", "Out").Items["out"] = "";
    rig.Bridge.links().EstablishBufferLink();
    EXPECT_TRUE(rig.Bridge.links().editMenu().DDEKillBuffer);
    EXPECT_FALSE(rig.Bridge.links().editMenu().DDEKill);
    // Disabled entries are refused as commands and do nothing.
    EXPECT_FALSE(rig.Bridge.links().perform(DdeEditCommand::TerminateCommand));
    EXPECT_FALSE(rig.Bridge.links().perform(DdeEditCommand::RefreshCommand));
    EXPECT_FALSE(rig.Bridge.links().CommandLinkRequested());
}

TEST(DdeEditMenu, PasteStoresTheLinkSettingsAndRequestsTheLink) {
    DdeRig rig;
    rig.load();
    rig.Board.Link = "App|Topic";
    rig.Board.Text = "x";
    ASSERT_TRUE(rig.Bridge.links().perform(DdeEditCommand::PasteBuffer));
    EXPECT_EQ(rig.Config.BufferLinkApp, "App");
    EXPECT_EQ(rig.Config.BufferLinkTopic, "Topic");
    EXPECT_EQ(rig.Config.BufferLinkItem, "");
    EXPECT_TRUE(rig.Bridge.links().BufferLinkRequested());
    EXPECT_FALSE(rig.Bridge.links().CommandLinkRequested());

    // A clipboard link without "|" cannot be pasted.
    rig.Board.Link = "garbage";
    EXPECT_FALSE(rig.Bridge.links().editMenu().DDEPaste);
    EXPECT_FALSE(rig.Bridge.links().perform(DdeEditCommand::PasteCommand));
}

TEST(DdeCopyLink, PutsTheLinkAndTheItemsTextOnTheClipboard) {
    DdeRig rig;
    rig.load();
    rig.send("12,AB,\r").tick();
    ASSERT_TRUE(rig.Bridge.copyLink("Field(2)"));
    EXPECT_EQ(rig.Board.Link, "Quorvane|COM1!Field(2)");
    EXPECT_EQ(rig.Board.Text, "AB");
    ASSERT_TRUE(rig.Bridge.copyLink("RecordNumber"));
    EXPECT_EQ(rig.Board.Link, "Quorvane|COM1!RecordNumber");
    EXPECT_EQ(rig.Board.Text, "1");
    EXPECT_FALSE(rig.Bridge.copyLink("Field(4)"));
    EXPECT_EQ(rig.Board.Link, "Quorvane|COM1!RecordNumber");
}

} // namespace
} // namespace quorvane
