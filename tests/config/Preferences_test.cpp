// The Preferences dialog's rules: what it shows on opening and what OK stores.

#include <gtest/gtest.h>

#include "config/ConfigTestSupport.h"
#include "config/Preferences.h"

namespace quorvane {
namespace {

TEST(Preferences, OpensOnTheSettings) {
    Configuration c = test::resetConfiguration();
    PreferencesForm form = LoadPreferences(c);
    EXPECT_FALSE(form.Option2);
    EXPECT_FALSE(form.text1Enabled());
    EXPECT_FALSE(form.text2Enabled());

    c.DdeTopic = "Scale";
    c.BeepOnInput = 1; // bit 0 set: checked
    c.AlwaysOnTop = 2; // non-zero, but bit 0 clear: unchecked
    c.ButtonFlags = 2;
    c.ShowDateTime = kTrue;
    c.DateTimeFormat = "hh:nn";
    form = LoadPreferences(c);
    EXPECT_TRUE(form.Option2);
    EXPECT_EQ(form.Text1, "Scale");
    EXPECT_TRUE(form.Check1);
    EXPECT_FALSE(form.Check4);
    EXPECT_FALSE(form.Check5);
    EXPECT_TRUE(form.Check6);
    EXPECT_TRUE(form.text2Enabled());
    EXPECT_EQ(form.Text2, "hh:nn");
}

TEST(Preferences, OkStoresTrimmedTopicFlagsAndButtonBits) {
    Configuration c = test::resetConfiguration();
    PreferencesForm form = LoadPreferences(c);
    form.Option2 = true;
    form.Text1 = "  Lab 1  ";
    form.Check3 = true;
    form.Check5 = true;
    form.Text2 = " yyyy ";
    ASSERT_EQ(ApplyPreferences(form, c), std::nullopt);
    EXPECT_EQ(c.DdeTopic, "Lab 1");
    EXPECT_EQ(c.StartSuspended, kTrue);
    EXPECT_EQ(c.BeepOnInput, kFalse);
    EXPECT_EQ(c.ButtonFlags, 1);
    EXPECT_EQ(c.DateTimeFormat, " yyyy "); // stored as typed, even with the date box off
    form.Check6 = true;
    ASSERT_EQ(ApplyPreferences(form, c), std::nullopt);
    EXPECT_EQ(c.ButtonFlags, 3);
    form.Option2 = false;
    ASSERT_EQ(ApplyPreferences(form, c), std::nullopt);
    EXPECT_TRUE(c.DdeTopic.empty());
}

TEST(Preferences, BlankTopicIsRefusedAndChangesNothing) {
    Configuration c = test::resetConfiguration();
    PreferencesForm form = LoadPreferences(c);
    form.Option2 = true;
    form.Text1 = "   ";
    form.Check1 = true;
    const Configuration before = c;
    auto refusal = ApplyPreferences(form, c);
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->substr(0, 32), "DDE Topic value cannot be blank.");
    EXPECT_EQ(static_cast<const Settings&>(c), static_cast<const Settings&>(before));
    EXPECT_EQ(c.ConfigChanged, kFalse);
}

TEST(Preferences, OkWithoutChangesStillMarksTheConfigurationChanged) {
    Configuration c = test::resetConfiguration();
    ASSERT_EQ(ApplyPreferences(LoadPreferences(c), c), std::nullopt);
    EXPECT_EQ(c.ConfigChanged, kTrue);
}

} // namespace
} // namespace quorvane
