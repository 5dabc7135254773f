// The engine as a DDE server: the bus name of a service and topic, the items kept equal to the
// window's boxes and advised in order, the topic rule, executes handed to the command handler, and
// the command sent to the target application after each record. The bus itself is faked; the
// QtDBus side is covered by the integration tests.

#include <gtest/gtest.h>

#include "engine/bus/DdeTestSupport.h"

namespace quorvane {
namespace {

using test::DdeRig;
using Advised = std::vector<std::pair<std::string, std::string>>;

TEST(DdeBusName, EscapesEverythingOutsideLowerCaseLettersAndDigits) {
    EXPECT_EQ(DdeBusName("Quorvane", "COM1"), "org.quorvane.dde.quorvane.com1");
    EXPECT_EQ(DdeBusName("Excel", "System"), "org.quorvane.dde.excel.system");
    EXPECT_EQ(DdeBusName("My App", "a_b.c"), "org.quorvane.dde.my_20app.a_5fb_2ec");
    EXPECT_EQ(DdeBusName("1x", "9"), "org.quorvane.dde._31x._39");
    EXPECT_EQ(DdeBusName("\xC9t\xE9", "T"), "org.quorvane.dde._c9t_e9.t");
    // Names that differ only by case are the same server, as DDE names are.
    EXPECT_EQ(DdeBusName("EXCEL", "SYSTEM"), DdeBusName("excel", "system"));
    EXPECT_EQ(DdeBusName("", "T"), "");
    EXPECT_EQ(DdeBusName("S", ""), "");
}

TEST(DdeItems, ARecordSetsTheFieldItemsAndAdvancesTheRecordNumber) {
    DdeRig rig;
    rig.load();
    rig.Engine.state().RecordNumber = 41;
    rig.Server.Advised.clear();
    rig.send("12,AB,\r").tick();

    EXPECT_EQ(rig.item("Field(1)"), "12");
    EXPECT_EQ(rig.item("Field(2)"), "AB");
    EXPECT_EQ(rig.item("Field(3)"), "");
    EXPECT_EQ(rig.item("RecordNumber"), "42");
    // Changed items only, fields first, then the record number; the box shows the same texts.
    EXPECT_EQ(rig.Server.Advised, (Advised{{"Field(1)", "12"}, {"Field(2)", "AB"}, {"RecordNumber", "42"}}));
    EXPECT_EQ(rig.View.field(2), "AB");
    EXPECT_EQ(rig.View.RecordNumber, "42");
}

TEST(DdeItems, ItemsExistForTheFieldBoxesOnlyAndNamesIgnoreCase) {
    DdeRig rig;
    rig.load();
    EXPECT_EQ(rig.Server.Handler->items(),
              (std::vector<std::string>{"Field(1)", "Field(2)", "Field(3)", "RecordNumber", "DateTime"}));
    EXPECT_FALSE(rig.item("Field(4)"));
    EXPECT_FALSE(rig.item("Field(0)"));
    EXPECT_FALSE(rig.item("Nothing"));
    rig.send("7,8,9\r").tick();
    EXPECT_EQ(rig.item("field(3)"), "9");
    EXPECT_EQ(rig.item("RECORDNUMBER"), "1");
    EXPECT_FALSE(rig.Server.Handler->poke("Field(1)", "x"));
    EXPECT_EQ(rig.item("Field(1)"), "7");
}

TEST(DdeItems, DateTimeFollowsTheBoxAndResetAndClearEmptyTheFields) {
    Configuration config = test::ddeTestConfig();
    config.ShowDateTime = kTrue;
    config.DateTimeFormat = "hh:mm:ss";
    DdeRig rig(config);
    rig.load();
    rig.Clock.Now = {2024, 5, 6, 7, 8, 9, 0};
    rig.send("1,2,3\r").tick();
    EXPECT_EQ(rig.item("DateTime"), "07:08:09");

    rig.Bridge.clearFieldItems();
    EXPECT_EQ(rig.item("Field(1)"), "");
    EXPECT_EQ(rig.View.field(1), "");
    EXPECT_EQ(rig.item("RecordNumber"), "1");
    rig.send("4,5,6\r").tick();
    rig.Engine.MReset_Click();
    EXPECT_EQ(rig.item("Field(2)"), "");
    EXPECT_EQ(rig.item("RecordNumber"), "");
}

TEST(DdeServerTopic, IsTheDdeTopicElseThePortNameAndAReloadKeepsIt) {
    DdeRig byPort;
    byPort.load();
    EXPECT_EQ(byPort.Bridge.topic(), "COM1");
    EXPECT_EQ(byPort.Server.Name, "org.quorvane.dde.quorvane.com1");

    Configuration config = test::ddeTestConfig();
    config.DdeTopic = "Scale";
    DdeRig named(config);
    named.load();
    EXPECT_EQ(named.Server.Name, "org.quorvane.dde.quorvane.scale");
    named.Config.DdeTopic = "Other";
    named.Config.PortIndex = 2;
    named.load();
    EXPECT_EQ(named.Bridge.topic(), "Scale");
    EXPECT_EQ(named.Server.Name, "org.quorvane.dde.quorvane.scale");
}

TEST(DdeServerExecute, GoesToTheCommandHandlerWithItsAnswer) {
    DdeRig rig;
    rig.load();
    EXPECT_TRUE(rig.Server.Handler->execute("{BEEP}"));
    rig.AcceptCommands = false;
    EXPECT_FALSE(rig.Server.Handler->execute("{NOPE}"));
    EXPECT_EQ(rig.Commands, (std::vector<std::string>{"{BEEP}", "{NOPE}"}));

    rig.Bridge.setCommandHandler({});
    EXPECT_FALSE(rig.Server.Handler->execute("{BEEP}"));
}

TEST(DdeServerExecute, AnExitByCommandWithdrawsTheServer) {
    DdeRig rig;
    rig.load();
    rig.Engine.RequestAppExit();
    rig.tick(3);
    EXPECT_TRUE(rig.Engine.exitRequested());
    EXPECT_EQ(rig.Server.Name, "");
}

TEST(DdeCommandAfterRecord, ConnectsLazilyOnceAndSendsTheCommandAfterEachRecord) {
    DdeRig rig;
    test::FakePeer& excel = rig.Client.startPeer("Excel", "System");
    rig.load();
    EXPECT_EQ(rig.Client.ConnectAttempts, 0);
    rig.send("1,2,3\r4,5,6\r").tick();
    EXPECT_EQ(rig.Client.ConnectAttempts, 1);
    EXPECT_EQ(excel.Executes, (std::vector<std::string>{"[RUN(\"Fetch\")]", "[RUN(\"Fetch\")]"}));
    EXPECT_EQ(rig.Client.LastTimeoutMs, 1000);
    // A refused command changes nothing: the conversation stays and the next record sends again.
    excel.Accept = false;
    rig.send("7,8,9\r").tick();
    EXPECT_EQ(excel.Executes.size(), 3u);
    EXPECT_EQ(rig.Client.ConnectAttempts, 1);
}

TEST(DdeCommandAfterRecord, TheFirstRecordAfterTheTargetRestartsReconnects) {
    DdeRig rig;
    rig.Client.startPeer("Excel", "System");
    rig.load();
    rig.send("1,2,3\r").tick();
    rig.Client.stopPeer("Excel", "System");
    EXPECT_EQ(rig.Bridge.commandClient().CommandConversation(), 0u);
    rig.send("4,5,6\r").tick(); // the target is away: the record still goes through
    EXPECT_EQ(rig.item("Field(1)"), "4");

    test::FakePeer& again = rig.Client.startPeer("Excel", "System");
    rig.send("7,8,9\r").tick();
    EXPECT_EQ(again.Executes, (std::vector<std::string>{"[RUN(\"Fetch\")]"}));
    EXPECT_EQ(rig.Client.ConnectAttempts, 3);
    EXPECT_TRUE(rig.Prompts.Messages.empty());
}

TEST(DdeCommandAfterRecord, AnAbsentTargetCostsOneAttemptPerRecordAndShowsNothing) {
    DdeRig rig;
    rig.load();
    rig.send("1,2,3\r4,5,6\r7,8,9\r").tick();
    EXPECT_EQ(rig.Client.ConnectAttempts, 3);
    EXPECT_EQ(rig.item("RecordNumber"), "3");
    EXPECT_TRUE(rig.Prompts.Messages.empty());
}

TEST(DdeCommandAfterRecord, NoCommandMeansNoConversationAndOtherModesSendNothing) {
    Configuration empty = test::ddeTestConfig();
    empty.DdeCommand.clear();
    DdeRig noCommand(empty);
    noCommand.Client.startPeer("Excel", "System");
    noCommand.load();
    noCommand.send("1,2,3\r").tick();
    EXPECT_EQ(noCommand.Client.ConnectAttempts, 0);
    EXPECT_EQ(noCommand.item("Field(1)"), "1");

    Configuration logMode = test::ddeTestConfig();
    logMode.OutputMode = 2;
    logMode.LogFileName = "/log/x.log";
    DdeRig logging(logMode);
    test::FakePeer& excel = logging.Client.startPeer("Excel", "System");
    logging.load();
    logging.send("1,2,3\r").tick();
    EXPECT_TRUE(excel.Executes.empty());
    // The boxes are the items whatever the output mode (the log keeps the end character).
    EXPECT_EQ(logging.item("Field(3)"), "3\r");
}

TEST(DdeCommandAfterRecord, UnloadEndsTheConversationAndTheClientAndTraceLinesSaySo) {
    DdeRig rig;
    rig.Client.startPeer("Excel", "System");
    rig.load();
    rig.send("1,2,3\r").tick();
    EXPECT_EQ(rig.Client.openConversations(), 1u);
    rig.Engine.Form_Unload();
    EXPECT_EQ(rig.Client.openConversations(), 0u);
    EXPECT_EQ(rig.Trace, (std::vector<std::string>{"DDEInitialize Result=0", "DDEConnect Result=1",
                                                   "DDEExecute Result=1", "DDEDisconnect Result=1",
                                                   "DDE Uninitialize Result=1"}));
    // After the uninitialisation no conversation can open.
    EXPECT_EQ(rig.Bridge.commandClient().DdeClientConnect("Excel", "System"), 0u);
}

} // namespace
} // namespace quorvane
