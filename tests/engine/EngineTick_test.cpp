// The tick: draining the port, bursts of records, time gaps in ticks, one-record runs, void records
// with their acknowledgement and beep, partial writes of OutputQueue, the Opto-RS request, the
// date/time box, the break countdown, the tick guard, Virtual Instrument Mode, and when the engine
// needs ticks at all.

#include "EngineTestSupport.h"
#include "engine/CharList.h"

#include <functional>
#include <gtest/gtest.h>

namespace quorvane::test {
namespace {

Configuration delimitedConfig() {
    Configuration config = engineTestConfig();
    config.RecordStructure = 1;
    config.FieldCount = 3;
    config.FieldPostamble[3] = "|";
    return config;
}

TEST(EngineTick, BurstOfRecordsIsDeliveredInOrderWithinOneTick) {
    EngineRig rig(delimitedConfig());
    rig.load();
    rig.send("1,2,3\r4,5,6\r7,8,9\r").tick();
    EXPECT_EQ(rig.log(), "123\r|456\r|789\r|");
    EXPECT_EQ(rig.View.RecordNumber, "3");
    EXPECT_EQ(rig.View.field(1), "7");
    EXPECT_EQ(rig.View.field(3), "9\r");
}

TEST(EngineTick, RecordEndingWithTheLastByteCountsOnce) {
    EngineRig rig;
    rig.load();
    rig.send("ab").tick();
    EXPECT_EQ(rig.View.RecordNumber, "");
    rig.send("c\r").tick();
    EXPECT_EQ(rig.View.RecordNumber, "1");
    rig.tick(3);
    EXPECT_EQ(rig.View.RecordNumber, "1");
}

TEST(EngineTick, SurplusSlotsAreEmptiedWithTheRecord) {
    Configuration config = delimitedConfig();
    config.FieldExpression[1] = "field(5)";
    EngineRig rig(config);
    rig.load();
    rig.send("a,b,c,d,e,\rx,y,z\r").tick();
    EXPECT_EQ(rig.log(), "ebc|yz\r|") << "the second record sees no surplus of the first";
}

// What keeps the tick needed: each case sets up one kind of tick work after a tick has run.
struct TickNeed {
    const char* Name;
    std::function<void(Configuration&)> Configure;
    std::function<void(EngineRig&)> Arrange;
    bool Needed;
};

void noConfig(Configuration&) {}

const TickNeed kTickNeeds[] = {
    {"Idle", noConfig, [](EngineRig&) {}, false},
    {"PartRecordWithoutGap", noConfig, [](EngineRig& rig) { rig.send("12").tick(); }, false},
    {"PartRecordTheGapCanEnd",
     [](Configuration& c) {
         c.EndOfRecordEvent = 1;
         c.TimeBetweenRecords = 3;
     },
     [](EngineRig& rig) { rig.send("12").tick(); }, true},
    {"SuspendedInGapRecord",
     [](Configuration& c) {
         c.EndOfRecordEvent = 1;
         c.TimeBetweenRecords = 3;
     },
     [](EngineRig& rig) {
         rig.send("12").tick();
         rig.Engine.SuspendMenu_Click();
     },
     false},
    {"DateTimeShown", [](Configuration& c) { c.ShowDateTime = kTrue; }, [](EngineRig&) {}, true},
    {"OutputQueued", noConfig, [](EngineRig& rig) { rig.Engine.QueueOutput("x"); }, true},
    {"BreakHeld", noConfig, [](EngineRig& rig) { rig.Engine.state().BreakTicks = 2; }, true},
    {"ExitCountdown", noConfig, [](EngineRig& rig) { rig.Engine.RequestAppExit(); }, true},
    {"Exited", [](Configuration& c) { c.ShowDateTime = kTrue; },
     [](EngineRig& rig) { rig.Engine.Form_Unload(); }, false},
};

void PrintTo(const TickNeed& need, std::ostream* out) {
    *out << need.Name;
}

class EngineNeedsTick : public ::testing::TestWithParam<TickNeed> {};

TEST_P(EngineNeedsTick, OnlyWhileATickStepHasWork) {
    Configuration config = engineTestConfig();
    GetParam().Configure(config);
    EngineRig rig(config);
    rig.load().tick();
    GetParam().Arrange(rig);
    EXPECT_EQ(rig.Engine.needsTick(), GetParam().Needed);
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineNeedsTick, ::testing::ValuesIn(kTickNeeds),
                         [](const auto& test) { return std::string(test.param.Name); });

TEST(EngineTick, TimeGapIsCountedInTicks) {
    Configuration config = engineTestConfig();
    config.EndOfRecordEvent = 1;
    config.TimeBetweenRecords = 3;
    EngineRig rig(config);
    rig.load();
    rig.send("12").tick();
    rig.tick(2);
    rig.send("34").tick();
    rig.tick(2);
    EXPECT_EQ(rig.log(), "");
    rig.tick();
    EXPECT_EQ(rig.log(), "1234");
}

TEST(EngineTick, InputArrivingBetweenTicksIsDeliveredAtOnceButTheExitCountdownCountsOnlyTicks) {
    EngineRig rig(delimitedConfig());
    rig.load();
    rig.send("1,2,3\r4,5");
    EXPECT_TRUE(rig.Engine.ReadArrivedInput());
    EXPECT_EQ(rig.log(), "123\r|");

    rig.Engine.RequestAppExit();
    rig.tick();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(rig.Engine.ReadArrivedInput());
    EXPECT_FALSE(rig.Engine.exitRequested()) << "reads between ticks are no ticks of the exit countdown";
    rig.tick();
    EXPECT_TRUE(rig.Engine.exitRequested());

    EngineRig suspended;
    suspended.load();
    suspended.Engine.SuspendMenu_Click();
    suspended.send("a\r");
    EXPECT_FALSE(suspended.Engine.ReadArrivedInput());
    EXPECT_EQ(suspended.log(), "");
}

TEST(EngineTick, SuspendedEngineLeavesInputInThePortAndStillWritesOutput) {
    EngineRig rig;
    rig.load();
    rig.Engine.SuspendMenu_Click();
    rig.Engine.OutputQueue() = "PING";
    rig.send("a\r").tick(3);
    EXPECT_EQ(rig.log(), "");
    EXPECT_EQ(rig.Device.Written, "PING");
    rig.Engine.SuspendMenu_Click();
    rig.tick();
    EXPECT_EQ(rig.log(), "a\r");
}

TEST(EngineTick, ResumeForOneRecordDeliversOneAndLeavesTheRestUnread) {
    Configuration config = engineTestConfig();
    config.PreInputTranslation['!'] = "Void Record";
    EngineRig rig(config);
    rig.load();
    rig.Engine.SuspendMenu_Click();
    rig.send("!void\rfirst\rsecond\r");
    rig.Engine.Resume1_Click();
    rig.tick();
    EXPECT_EQ(rig.log(), "first\r") << "a void record does not end the run";
    EXPECT_TRUE(rig.Engine.state().Suspended);
    EXPECT_FALSE(rig.Engine.state().OneRecordOnly);
    rig.tick(2);
    EXPECT_EQ(rig.log(), "first\r");
    rig.Engine.SuspendMenu_Click();
    rig.tick();
    EXPECT_EQ(rig.log(), "first\rsecond\r");
}

TEST(EngineTick, VoidRecordStillAcknowledgesAndBeeps) {
    Configuration config = engineTestConfig();
    config.PreInputTranslation['!'] = "Void Record";
    config.AckString = "ACK";
    config.BeepOnInput = kTrue;
    EngineRig rig(config);
    rig.load();
    rig.send("a!\rb\r").tick();
    EXPECT_EQ(rig.log(), "b\r");
    EXPECT_EQ(rig.View.RecordNumber, "1");
    EXPECT_EQ(rig.Prompts.Beeps, 2);
    EXPECT_EQ(rig.Engine.OutputQueue(), "ACKACK") << "written on the next tick";
    rig.tick();
    EXPECT_EQ(rig.Device.Written, "ACKACK");
}

struct SeenRecord {
    std::int64_t Sequence, RecordNumber, UnixMs;
    std::string Port;
    std::vector<std::string> Fields;
};

struct CollectingObserver final : RecordObserver {
    void recordCompleted(const CompletedRecord& record) override {
        std::vector<std::string> fields;
        for (int i = 1; i <= record.FieldCount; ++i)
            fields.emplace_back(record.field(i));
        Seen.push_back(
            {record.Sequence, record.RecordNumber, record.UnixMs, std::string(record.PortName), fields});
    }
    std::vector<SeenRecord> Seen;
};

TEST(EngineTick, ObserversSeeEveryDeliveredRecordWithASequenceThatAResetDoesNotRestart) {
    Configuration config = delimitedConfig();
    config.PreInputTranslation['!'] = "Void Record";
    EngineRig rig(config);
    CollectingObserver first, second;
    rig.Engine.addRecordObserver(first);
    rig.Engine.addRecordObserver(first);
    rig.Engine.addRecordObserver(second);
    rig.load();
    rig.send("1,2,3\rx!\r4,5,6\r").tick();
    rig.Engine.removeRecordObserver(second);
    rig.Engine.MReset_Click();
    rig.send("7,8,9\r").tick();
    ASSERT_EQ(first.Seen.size(), 3u) << "added twice, called once; the void record is not seen";
    EXPECT_EQ(first.Seen[1].Fields, (std::vector<std::string>{"4", "5", "6\r"}));
    EXPECT_EQ(first.Seen[1].Port, "COM1");
    EXPECT_EQ(first.Seen[2].Sequence, 3);
    EXPECT_EQ(first.Seen[2].RecordNumber, 1) << "the shown number restarts after a reset";
    EXPECT_EQ(first.Seen[2].UnixMs, rig.Clock.UnixMs);
    EXPECT_EQ(second.Seen.size(), 2u);
}

TEST(EngineTick, SpecialBeepPlaysTheStoredSound) {
    Configuration config = engineTestConfig();
    config.BeepOnInput = kTrue;
    EngineRig rig(config);
    rig.Store.Entries[{"Quorvane - COM1", "Settings", "SpecialBeep"}] = "48";
    rig.load();
    rig.send("a\r").tick();
    EXPECT_EQ(rig.Sounds.Sounds, (std::vector<std::uint32_t>{48}));
    EXPECT_EQ(rig.Prompts.Beeps, 0);
}

TEST(EngineTick, PartialWritesKeepTheRestQueuedInOrder) {
    EngineRig rig;
    rig.load();
    rig.Device.WriteAccepts = {2, 0, 1};
    rig.Engine.OutputQueue() = "ABCDE";
    rig.tick();
    EXPECT_EQ(rig.Engine.OutputQueue(), "CDE");
    rig.tick();
    rig.Engine.OutputQueue() += "F";
    rig.tick();
    EXPECT_EQ(rig.Device.Written, "ABC");
    rig.tick();
    EXPECT_EQ(rig.Device.Written, "ABCDEF");
    EXPECT_TRUE(rig.Engine.OutputQueue().empty());
}

TEST(EngineTick, OptoRsRequestsOnOneCarriageReturnAndVoidsOnTheNext) {
    Configuration config = engineTestConfig();
    config.FlowControl = 3;
    EngineRig rig(config);
    rig.load();
    rig.send("12\r").tick();
    EXPECT_EQ(rig.Engine.OutputQueue(), "?\r");
    EXPECT_EQ(rig.log(), "12\r");
    rig.send("34\r").tick();
    EXPECT_EQ(rig.log(), "12\r") << "the second record is void";
    EXPECT_EQ(rig.Device.Written, "?\r");
}

TEST(EngineTick, DateTimeBoxChangesOncePerSecond) {
    Configuration config = engineTestConfig();
    config.ShowDateTime = kTrue;
    config.DateTimeFormat = "hh:nn:ss";
    EngineRig rig(config);
    rig.load();
    rig.tick(3);
    EXPECT_EQ(rig.View.DateTimeTexts, (std::vector<std::string>{"14:05:09"}));
    rig.Clock.Now.Second = 10;
    rig.Clock.Now.Millisecond = 300;
    rig.tick();
    rig.Clock.Now.Millisecond = 800;
    rig.tick();
    EXPECT_EQ(rig.View.DateTimeTexts, (std::vector<std::string>{"14:05:09", "14:05:10"}));
}

TEST(EngineTick, BreakEndsOnTheSecondTick) {
    EngineRig rig;
    rig.load();
    rig.Engine.state().BreakTicks = 2;
    rig.tick();
    EXPECT_TRUE(rig.Device.callsOf("break").empty());
    rig.tick();
    EXPECT_EQ(rig.Device.callsOf("break"), (std::vector<std::string>{"break off"}));
    EXPECT_EQ(rig.Engine.state().BreakTicks, 0);
}

// Prompts that run a tick from inside the Retry question, as a nested event loop would.
class ReentrantPrompts final : public UserPrompts {
public:
    MessageAnswer messageBox(std::string_view, std::string_view, MessageButtons, MessageIcon) override {
        ++Shown;
        if (WhileShown)
            WhileShown();
        return Shown < 2 ? MessageAnswer::Retry : MessageAnswer::Cancel;
    }
    std::optional<std::string> inputBox(std::string_view, std::string_view, std::string_view) override {
        return std::nullopt;
    }
    void beep() override {}
    std::function<void()> WhileShown;
    int Shown = 0;
};

TEST(EngineTick, NoTickStartsWhileAnotherWaits) {
    EngineRig rig;
    ReentrantPrompts prompts;
    quorvane::Engine engine(rig.Config,
                            {rig.Port, rig.View, prompts, rig.Sounds, rig.Clock, rig.Store, rig.Files}, {});
    engine.Form_Load();
    prompts.WhileShown = [&] { engine.Timer1_Timer(); };
    rig.Files.Failures = {{}, {}};
    rig.send("a\rb\r");
    engine.Timer1_Timer();
    EXPECT_EQ(prompts.Shown, 2);
    EXPECT_EQ(rig.log(), "") << "the nested ticks framed nothing";
    EXPECT_TRUE(engine.state().Suspended) << "Cancel resets and suspends";
    EXPECT_EQ(engine.state().RecordNumber, 0);
}

TEST(EngineVirtualDevice, ReadsVirtualInputAndShowsOutputInTheWindow) {
    Configuration config = engineTestConfig();
    config.AckString = std::string("A\0", 2);
    EngineRig rig(config, ActivationKind::VirtualInstrument);
    rig.load();
    rig.send("x\r").tick();
    EXPECT_EQ(rig.log(), "x\r");
    rig.tick();
    EXPECT_EQ(rig.VirtualShown, "A\xff");
    rig.Engine.ExitMenu_Click();
    rig.Engine.Form_Unload();
    EXPECT_TRUE(rig.Device.Calls.empty()) << "no port operation in Virtual Instrument Mode";
}

TEST(EngineServices, QueueFileForSendingRespectsTheLimit) {
    EngineRig rig;
    rig.Files.Files["/data/small"] = "hello";
    rig.Files.Files["/data/big"] = std::string(kMaxQueuedFileOutput, 'x');
    EXPECT_TRUE(rig.Engine.QueueFileForSending("/data/small"));
    EXPECT_EQ(rig.Engine.OutputQueue(), "hello");
    EXPECT_FALSE(rig.Engine.QueueFileForSending("/data/big"));
    EXPECT_FALSE(rig.Engine.QueueFileForSending("/data/missing"));
    EXPECT_EQ(rig.Engine.OutputQueue(), "hello");
}

TEST(EngineServices, DecodeCharList) {
    EXPECT_EQ(DecodeCharList("'AB'13,10"), "AB\r\n");
    EXPECT_EQ(DecodeCharList("65 66x67"), "ABC");
    EXPECT_EQ(DecodeCharList("321"), "A") << "modulo 256";
    EXPECT_EQ(DecodeCharList("'a,1'2"), std::string("a,1\x02"));
    EXPECT_EQ(DecodeCharList("99999999999999999999999"), std::string(1, static_cast<char>(255)))
        << "long digit runs do not overflow";
    EXPECT_EQ(DecodeCharList(""), "");
}

} // namespace
} // namespace quorvane::test
