// The command interpreter's normalisation, argument rules and the commands that queue text, copy
// links or act on the window, through the fake platform. The engine-state, timed-output, line and
// reload commands are in CommandEffects_test.cpp; the bus itself is in the integration tests.

#include "engine/bus/CommandTestSupport.h"

#include <gtest/gtest.h>

namespace quorvane::test {
namespace {

struct QueueCase {
    std::string Received;
    CommandAck Ack;
    std::string Queued;
};

void PrintTo(const QueueCase& c, std::ostream* os) {
    *os << '"' << c.Received << '"';
}

std::string repeated(std::string_view unit, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += unit;
    return text;
}

class CommandQueue : public testing::TestWithParam<QueueCase> {};

TEST_P(CommandQueue, AcknowledgesAndQueuesExactlyTheseBytes) {
    CommandRig rig;
    EXPECT_EQ(rig.run(GetParam().Received), GetParam().Ack);
    EXPECT_EQ(rig.queue(), GetParam().Queued);
}

INSTANTIATE_TEST_SUITE_P(
    SendKeepsTheTypedText, CommandQueue,
    testing::Values(QueueCase{"{send(Abc)}", kAccepted, "Abc"},
                    QueueCase{"  {SEND(x y)}  ", kAccepted, "x y"}, QueueCase{"[SEND(a)]", kAccepted, "a"},
                    QueueCase{"{SEND(a)}tail", kAccepted, "a"}, QueueCase{"{SEND(a}b)}", kAccepted, "a}b"},
                    QueueCase{"{SEND(abc}", kAccepted, "ab"}, QueueCase{"{SEND()}", kRefused, ""},
                    QueueCase{"{SEND(", kRefused, ""},
                    QueueCase{"{SEND(\xE9t\xE9)}", kAccepted, "\xE9t\xE9"}));

INSTANTIATE_TEST_SUITE_P(SendCodeTakesOneCharacterCode, CommandQueue,
                         testing::Values(QueueCase{"{SENDCODE(13)}", kAccepted, "\r"},
                                         QueueCase{"{SENDCODE(65.4)}", kAccepted, "A"},
                                         QueueCase{"{SENDCODE(&H41)}", kAccepted, "A"},
                                         QueueCase{"{SENDCODE(254.5)}", kAccepted, "\xFE"},
                                         QueueCase{"{SENDCODE(0)}", kAccepted, std::string(1, '\0')},
                                         QueueCase{"{SENDCODE(256)}", kRefused, ""},
                                         QueueCase{"{SENDCODE(-1)}", kRefused, ""},
                                         QueueCase{"{SENDCODE(255.7)}", kRefused, ""},
                                         QueueCase{"{SENDCODE(255.5)}", kRefused, ""},
                                         QueueCase{"{SENDCODE(1E999)}", kRefused, ""},
                                         QueueCase{"{SENDCODE(&HFFFFFFFFFF)}", kRefused, ""}));

INSTANTIATE_TEST_SUITE_P(
    SendOutDecodesACharacterList, CommandQueue,
    testing::Values(QueueCase{"{SENDOUT('AB'13,10)}", kAccepted, "AB\r\n"},
                    QueueCase{"{sendout('ab' 300)}", kAccepted, "ab,"},
                    QueueCase{"{SENDOUT(x)}", kAccepted, ""},
                    QueueCase{"{SENDDATE(yyyy-mm-dd hh:nn:ss)}", kAccepted, "2026-12-07 14:05:09"},
                    QueueCase{"{SENDDATE(" + repeated("yyyy", kMaxSendDateFormat / 4) + ")}", kAccepted,
                              repeated("2026", kMaxSendDateFormat / 4)},
                    QueueCase{"{SENDDATE(" + repeated("yyyy", kMaxSendDateFormat / 4) + "y)}", kRefused,
                              ""}));

INSTANTIATE_TEST_SUITE_P(PushNamesAButtonOrASignal, CommandQueue,
                         testing::Values(QueueCase{"{PUSH(string1)}", kAccepted, "S1\r"},
                                         QueueCase{"{PUSH(TARE)}", kAccepted, std::string("T\0\r", 3)},
                                         QueueCase{"{PUSH(NOSUCH)}", kRefused, ""},
                                         QueueCase{"{PUSH()}", kRefused, ""},
                                         QueueCase{"{PUSH(DTR~)}", kAccepted, ""},
                                         QueueCase{"{PUSH(break)}", kAccepted, ""}));

TEST(CommandPush, ButtonNamesCompareInTheCodePagesUpperCase) {
    Configuration config = commandTestConfig();
    config.OutputStringName[2] = "Caf\xE9";
    for (const char* command : {"{PUSH(Caf\xE9)}", "{PUSH(CAF\xC9)}", "{push(caf\xE9)}"}) {
        CommandRig rig(config);
        EXPECT_EQ(rig.run(command), kAccepted) << command;
        EXPECT_EQ(rig.queue(), std::string("T\0\r", 3)) << command;
    }
}

INSTANTIATE_TEST_SUITE_P(OnlyOneKnownCommandPerText, CommandQueue,
                         testing::Values(QueueCase{"", kAccepted, ""}, QueueCase{"   ", kAccepted, ""},
                                         QueueCase{"{SEND(a)}{SEND(b)}", kAccepted, "a)}{SEND(b"},
                                         QueueCase{"{BEEP}{BEEP}", kRefused, ""},
                                         QueueCase{"{NOSUCH}", kRefused, ""}, QueueCase{"BEEP", kRefused, ""},
                                         QueueCase{"}", kRefused, ""},
                                         QueueCase{"{SENDX(a)}", kRefused, ""}));

class CommandBeep : public testing::TestWithParam<std::pair<std::string, int>> {};

TEST_P(CommandBeep, BeepsOnlyForOneBeepCommand) {
    CommandRig rig;
    const bool beeps = GetParam().second == 1;
    EXPECT_EQ(rig.run(GetParam().first), beeps ? kAccepted : kRefused);
    EXPECT_EQ(rig.Prompts.Beeps, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Forms, CommandBeep,
                         testing::Values(std::pair{" {beep} ", 1}, std::pair{"[BEEP]", 1},
                                         std::pair{"{BEEP]", 1}, std::pair{"{BEEP}xyz", 1},
                                         std::pair{"{BEEP}{BEEP}", 0}, std::pair{"\t{BEEP}", 0}));

// A text past the longest command is refused before anything reads it, even where what follows
// the command would be ignored.
INSTANTIATE_TEST_SUITE_P(Lengths, CommandBeep,
                         testing::Values(std::pair{"{BEEP}" + std::string(kDdeMaxCommandLength - 6, ' '), 1},
                                         std::pair{"{BEEP}" + std::string(kDdeMaxCommandLength - 5, ' '), 0},
                                         std::pair{"{BEEP}" + std::string(std::size_t{4} << 20, 'x'), 0}),
                         [](const auto& row) { return "Length" + std::to_string(row.param.first.size()); });

TEST(CommandSendFile, QueuesTheFileWhenItFitsUnderTheQueueLimit) {
    CommandRig rig;
    rig.Files.Files["/Data/Mixed.Bin"] = std::string("a\0b", 3);
    EXPECT_EQ(rig.run("{SENDFILE(/Data/Mixed.Bin)}"), kAccepted);
    EXPECT_EQ(rig.queue(), std::string("a\0b", 3));
    EXPECT_EQ(rig.run("{SENDFILE(/DATA/MIXED.BIN)}"), kRefused);

    rig.queue().assign(kMaxQueuedFileOutput - 3, 'q');
    EXPECT_EQ(rig.run("{SENDFILE(/Data/Mixed.Bin)}"), kAccepted);
    EXPECT_EQ(rig.queue().size(), kMaxQueuedFileOutput);
    EXPECT_EQ(rig.run("{SENDFILE(/Data/Mixed.Bin)}"), kRefused);
    EXPECT_EQ(rig.queue().size(), kMaxQueuedFileOutput);
}

// A device that reads nothing must not let the queue grow without end: every command that queues
// text is held to the limit a queued file is held to.
class CommandQueueLimit : public testing::TestWithParam<std::string> {};

TEST_P(CommandQueueLimit, RefusesTextThatWouldPassTheLimitAndTakesWhatFits) {
    CommandRig rig;
    rig.Config.OutputStringName[1] = "GO";
    rig.Config.OutputString[1] = "ab";
    rig.queue().assign(kMaxQueuedFileOutput - 1, 'q');
    EXPECT_EQ(rig.run(GetParam()), kRefused);
    EXPECT_EQ(rig.queue().size(), kMaxQueuedFileOutput - 1);
    rig.queue().resize(kMaxQueuedFileOutput - 2);
    EXPECT_EQ(rig.run(GetParam()), kAccepted);
    EXPECT_EQ(rig.queue().size(), kMaxQueuedFileOutput);
}

INSTANTIATE_TEST_SUITE_P(Commands, CommandQueueLimit,
                         testing::Values("{SEND(ab)}", "{SENDOUT(65,66)}", "{SENDDATE(yy)}", "{PUSH(GO)}"));

TEST(CommandCopy, PutsLinksToTheNamedItemsOnTheClipboard) {
    CommandRig rig;
    rig.send("12,AB,\r").tick();
    EXPECT_EQ(rig.run("{COPYFIELD(2)}"), kAccepted);
    EXPECT_EQ(rig.Board.Link, "Quorvane|COM1!Field(2)");
    EXPECT_EQ(rig.Board.Text, "AB");
    EXPECT_EQ(rig.run("{COPYFIELD(&H1)}"), kAccepted);
    EXPECT_EQ(rig.Board.Link, "Quorvane|COM1!Field(1)");
    EXPECT_EQ(rig.run("{COPYRECNUM}"), kAccepted);
    EXPECT_EQ(rig.Board.Link, "Quorvane|COM1!RecordNumber");
    EXPECT_EQ(rig.Board.Text, "1");
    EXPECT_EQ(rig.run("{COPYDATE}"), kAccepted);
    EXPECT_EQ(rig.Board.Link, "Quorvane|COM1!DateTime");

    for (const char* outOfRange : {"{COPYFIELD(0)}", "{COPYFIELD(4)}", "{COPYFIELD(41)}", "{COPYFIELD(-1)}",
                                   "{COPYFIELD(70000)}", "{COPYFIELD(1E300)}"})
        EXPECT_EQ(rig.run(outOfRange), kRefused) << outOfRange;
    EXPECT_EQ(rig.Board.Link, "Quorvane|COM1!DateTime");
}

TEST(CommandLinks, EditEntriesRunOnlyWhenTheMenuWouldEnableThem) {
    CommandRig rig;
    for (const char* command : {"{PASTE-COMMAND}", "{REFRESH-COMMAND}", "{TERMINATE-COMMAND}",
                                "{PASTE-BUFFER}", "{REFRESH-BUFFER}", "{TERMINATE-BUFFER}"})
        EXPECT_EQ(rig.run(command), kRefused) << command;

    rig.Client.startPeer("Peer", "Cmds").Items["cmd"] = "";
    rig.Board.Link = "Peer|Cmds!cmd";
    rig.Board.Text = "";
    EXPECT_EQ(rig.run("{PASTE-COMMAND}"), kAccepted);
    EXPECT_TRUE(rig.Bridge.links().CommandLinkRequested());
    rig.tick();
    EXPECT_EQ(rig.Bridge.links().mode(DdeLinkKind::Command), DdeLinkMode::Automatic);

    // A command arriving on the link runs through the interpreter.
    rig.Client.setPeerItem("Peer", "Cmds", "cmd", "{SEND(linked)}");
    EXPECT_EQ(rig.queue(), "linked");

    EXPECT_EQ(rig.run("{TERMINATE-COMMAND}"), kAccepted);
    EXPECT_EQ(rig.Bridge.links().mode(DdeLinkKind::Command), DdeLinkMode::None);
    EXPECT_EQ(rig.run("{REFRESH-COMMAND}"), kAccepted);
    EXPECT_TRUE(rig.Bridge.links().CommandLinkRequested());

    EXPECT_EQ(rig.run("{PASTE-BUFFER}"), kAccepted);
    EXPECT_EQ(rig.Config.BufferLinkApp, "Peer");
    EXPECT_TRUE(rig.Bridge.links().BufferLinkRequested());
}

TEST(CommandWindow, ClearEmptiesTheFieldItemsAndTheWindowCommandsMinimizeAndRestore) {
    CommandRig rig;
    rig.send("12,AB,C\r").tick();
    ASSERT_EQ(rig.View.field(2), "AB");
    EXPECT_EQ(rig.run("{CLEAR}"), kAccepted);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(rig.Items.itemText(FieldItemName(i)), "") << i;
    EXPECT_EQ(rig.Items.itemText("RecordNumber"), "1");

    EXPECT_EQ(rig.run("{APPMINIMIZE}"), kAccepted);
    EXPECT_TRUE(rig.View.Minimized);
    EXPECT_EQ(rig.run("{APPNORMAL}"), kAccepted);
    EXPECT_FALSE(rig.View.Minimized);
}

} // namespace
} // namespace quorvane::test
