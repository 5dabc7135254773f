// Unsaved setup changes kept when a signal ends the setup window: the next start offers them, and
// restores them as unsaved changes to the file they were made to, or drops them.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/SetupRecovery.h"
#include "fakes/FakePrompts.h"
#include "fakes/FakeSettingsStore.h"
#include "fakes/TempDir.h"

namespace quorvane {
namespace {

struct Offer {
    const char* Name;
    MessageAnswer Answer;
    bool Restored;
};

class KeptChanges : public testing::TestWithParam<Offer> {};

TEST_P(KeptChanges, AreOfferedOnceAndRestoredOnlyWhenWanted) {
    test::TempDir dir;
    const std::string kept = dir.file("Recovery.QV3");
    test::FakeSettingsStore store;
    Configuration edited;
    ResetConfiguration(edited);
    edited.ConfigFileName = "/lab/balance.QV3";
    edited.ConfigLoaded = kTrue;
    edited.ConfigChanged = kTrue;
    edited.OutputMode = 2;
    edited.EndOfRecordChars = "\r\n";
    ASSERT_TRUE(KeepUnsavedChanges(edited, store, kept));

    Configuration next;
    ResetConfiguration(next);
    test::FakePrompts prompts;
    prompts.Answers.push_back(GetParam().Answer);
    EXPECT_EQ(OfferKeptChanges(next, store, prompts, kept), GetParam().Restored);
    ASSERT_EQ(prompts.Messages.size(), 1u);
    EXPECT_NE(prompts.Messages[0].Text.find("/lab/balance.QV3"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(kept)) << "offered once only";
    if (GetParam().Restored) {
        EXPECT_EQ(static_cast<const Settings&>(next), static_cast<const Settings&>(edited));
        EXPECT_EQ(next.ConfigFileName, "/lab/balance.QV3");
        EXPECT_TRUE(isSet(next.ConfigLoaded));
        EXPECT_TRUE(isSet(next.ConfigChanged)) << "the changes are still unsaved";
    } else {
        EXPECT_EQ(next.OutputMode, 0);
        EXPECT_TRUE(next.ConfigFileName.empty());
    }
    prompts.Messages.clear();
    EXPECT_FALSE(OfferKeptChanges(next, store, prompts, kept));
    EXPECT_TRUE(prompts.Messages.empty()) << "nothing kept, nothing asked";
}

INSTANTIATE_TEST_SUITE_P(Answers, KeptChanges,
                         testing::Values(Offer{"Yes", MessageAnswer::Yes, true},
                                         Offer{"No", MessageAnswer::No, false}),
                         [](const auto& p) { return std::string(p.param.Name); });

} // namespace
} // namespace quorvane
