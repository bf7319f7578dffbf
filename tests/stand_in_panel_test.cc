// The stand-in host's form panel: the rules it holds the user to, the
// scripted sessions, and the text form a person uses.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/stand_in_host.h"
#include "host/stand_in_panel.h"

namespace qkhost {
namespace {

// A small panel of every control kind: two tabs, a choice, a hard-limited number,
// a text, a switch enabling an unclamped number, and one hidden value.
const HostPanelControl kControls[] = {
    {1, "Mode", "iPopChoice"}, {2, "Count", "integer"}, {3, "Name", "string"},
    {4, "Use Level", "iBoolean"}, {5, "Level", "integer"}, {0, nullptr, nullptr}};
const HostPanelData kData[] = {{1, "Mode", "integer"},  {2, "Count", "integer"},
                               {3, "Name", "string"},   {4, "Use Level", "integer"},
                               {5, "Level", "integer"}, {6, "--hidden--", "integer"},
                               {0, nullptr, nullptr}};
const char* const kModes[] = {"first", "second", "third", nullptr};

std::vector<uint32_t> notified;  // the ids the change notification was given

int32_t recordChange(HostPanel, uint32_t, uint32_t valueId, int32_t eventCode) {
  if (eventCode == HOST_PANEL_EVENT_VALUE) notified.push_back(valueId);
  return HOST_PANEL_REDRAW;
}

uintptr_t word(const void* p) { return reinterpret_cast<uintptr_t>(p); }

class StandInPanelTest : public ::testing::Test {
 protected:
  StandInPanelTest() : panel_(HOST_PANEL_FORM, kControls) {
    const uintptr_t hints[] = {
        HOST_HINT_LABEL, 0, word("Test Panel"), 0,
        HOST_HINT_CHANGE_NOTIFY, reinterpret_cast<uintptr_t>(recordChange),
        HOST_HINT_STRING_LIST, 1, word(kModes), 0,
        HOST_HINT_MIN, 2, 1,
        HOST_HINT_MAX, 2, 5,
        HOST_HINT_HARD_LIMITS, 2, 1, 1,
        HOST_HINT_MIN, 5, 0,
        HOST_HINT_GROUP, 10, 1, 2, 0,
        HOST_HINT_GROUP, 11, 3, 12, 0,
        HOST_HINT_GROUP, 12, 4, 5, 0,
        HOST_HINT_LABEL, 10, word("First"), 0,
        HOST_HINT_LABEL, 11, word("Second"), 0,
        HOST_HINT_LABEL, 12, word("Levels: a note"), 0,
        HOST_HINT_TABS, 20, 10, 11, 0,
        HOST_HINT_ENABLE, 4, 0, 0, 0, 5, 0,
        HOST_HINT_END};
    panel_.describe(kData);
    EXPECT_EQ(panel_.applyHints(0, hints), std::vector<std::string>{});
    int32_t zero = 0;
    for (uint32_t id : {1u, 2u, 4u, 5u, 6u}) panel_.set(id, &zero);
    panel_.set(3, const_cast<char*>("robot"));
    notified.clear();
  }

  StandInPanel panel_;
};

TEST_F(StandInPanelTest, UserEditsFollowTheRulesOfARealPanel) {
  struct Case {
    PanelAction edit;
    const char* refusal;  // null: accepted
    int32_t after;        // the value afterwards (integers only)
  } cases[] = {  // in order, on one panel
      {PanelAction::setInteger(1, 2), nullptr, 2},
      {PanelAction::setInteger(1, 3), "0x1: takes 0 to 2", 2},
      {PanelAction::setInteger(1, -1), "0x1: takes 0 to 2", 2},
      {PanelAction::enter(1, "second"), nullptr, 1},
      {PanelAction::enter(1, "fourth"), "0x1: not a value: fourth", 1},
      {PanelAction::setInteger(2, 0), nullptr, 0},  // a plain integer field: hard limits not enforced
      {PanelAction::setInteger(2, 9), nullptr, 9},
      {PanelAction::enter(2, "3"), nullptr, 3},
      {PanelAction::enter(2, "3x"), "0x2: not a value: 3x", 3},
      {PanelAction::setInteger(5, 7), "0x5: disabled", 0},
      {PanelAction::setInteger(4, 2), "0x4: takes 0 to 1", 0},
      {PanelAction::enter(4, "on"), nullptr, 1},
      {PanelAction::setInteger(5, -7), nullptr, -7},
      {PanelAction::setInteger(6, 1), "0x6: no such control", 0},
      {PanelAction::setInteger(99, 1), "0x63: no such control", 0},
      {PanelAction::setText(1, "first"), "0x1: takes integer values", 1},
      {PanelAction::setInteger(3, 1), "0x3: takes string values", 0},
  };
  for (const Case& c : cases) {
    std::string what = "edit of " + std::to_string(c.edit.id);
    notified.clear();
    size_t earlier = panel_.refusals().size();
    panel_.runSession({c.edit});
    std::string refusal = panel_.refusals().size() > earlier ? panel_.refusals().back() : "";
    if (c.refusal) {
      EXPECT_EQ(refusal, c.refusal) << what;
      EXPECT_TRUE(notified.empty()) << what;
    } else {
      EXPECT_EQ(notified, std::vector<uint32_t>{c.edit.id}) << what;
    }
    if (c.edit.id != 3 && c.edit.id != 99) {
      EXPECT_EQ(panel_.integer(c.edit.id), c.after) << what;
    }
  }
  EXPECT_EQ(panel_.text(3), "robot");
}

TEST_F(StandInPanelTest, ASessionEndsAtOkOrCancel) {
  EXPECT_EQ(panel_.runSession({PanelAction::enter(3, " spaced "), PanelAction::ok(),
                               PanelAction::setInteger(2, 4)}),
            1);
  EXPECT_EQ(panel_.text(3), " spaced ");
  EXPECT_EQ(panel_.integer(2), 0) << "nothing after OK";
  EXPECT_EQ(panel_.runSession({PanelAction::cancel(), PanelAction::setInteger(2, 4)}), 0);
  EXPECT_EQ(panel_.runSession({PanelAction::setText(3, std::nullopt)}), 0) << "no OK: cancelled";
  EXPECT_EQ(panel_.get(3), nullptr);
}

TEST_F(StandInPanelTest, TheTextFormShowsTabsGroupLabelsValuesChoicesLimitsAndDisabledControls) {
  std::ostringstream out;
  panel_.render(out);
  EXPECT_EQ(out.str(),
            "== Test Panel ==\n"
            "[First]\n"
            "  0x1  Mode: 0 (first)\n"
            "          choices: 0 first | 1 second | 2 third\n"
            "  0x2  Count: 0  [1..5]\n"
            "[Second]\n"
            "  0x3  Name: \"robot\"\n"
            "  -- Levels: a note --\n"
            "  0x4  Use Level: off\n"
            "  0x5  Level: 0  [0..]  (disabled)\n");
}

TEST_F(StandInPanelTest, APersonEditsTheFormUntilOkOrCancel) {
  struct Case {
    const char* typed;
    int32_t result;
    const char* said;  // a line the form must have printed
  } cases[] = {
      {"0x1=third\nok\n", 1, "  0x1  Mode: 2 (third)\n"},
      {"5=3\n", 0, "0x5: disabled\n"},
      {"bogus\ncancel\n", 0, "not understood: bogus\n"},
      {"4=on\r\n0x5=3\nok\n", 1, "  0x5  Level: 3  [0..]\n"},
  };
  for (const Case& c : cases) {
    std::istringstream in(c.typed);
    std::ostringstream out;
    EXPECT_EQ(panel_.runInteractive(in, out), c.result) << c.typed;
    EXPECT_NE(out.str().find(c.said), std::string::npos) << c.typed << "\nprinted:\n" << out.str();
  }
}

// Returns the words of a hint list in hex, for failure messages.
std::string hexWords(const std::vector<uintptr_t>& words) {
  std::ostringstream s;
  s << std::hex;
  for (uintptr_t w : words) s << " 0x" << w;
  return s.str();
}

TEST(StandInPanelHintTest, UnknownTagsAreSkippedByTheirCountsAndReportedByTheHost) {
  const uintptr_t after = word("after");  // the label of the hint after the unknown one
  struct Case {
    std::vector<uintptr_t> hints;
    const char* error;  // what the host reports; null: nothing
  } cases[] = {
      {{HOST_HINT_LABEL, 0, after, 0, HOST_HINT_END}, nullptr},
      {{0x3D000002, 7, 8, HOST_HINT_LABEL, 0, after, 0, HOST_HINT_END},
       "LWXPanel.hint: unknown hint tag 0x3D000002 at word 0"},
      {{HOST_HINT_MIN, 2, 1, 0x3D000181, 7, 8, 9, 0, HOST_HINT_LABEL, 0, after, 0, HOST_HINT_END},
       "LWXPanel.hint: unknown hint tag 0x3D000181 at word 3"},
      {{0x3D000080, 0, HOST_HINT_LABEL, 0, after, 0, HOST_HINT_END},
       "LWXPanel.hint: unknown hint tag 0x3D000080 at word 0"},
      {{1, word("earlier tag"), HOST_HINT_LABEL, 0, after, 0, HOST_HINT_END},
       "LWXPanel.hint: unknown hint tag 0x1 at word 0"},
  };
  for (const Case& c : cases) {
    StandInHost host;
    auto xpanel = static_cast<const HostXPanel*>(host.globalFunction()(HOST_SERVICE_XPANEL, 0));
    HostPanel panel = xpanel->create(HOST_PANEL_FORM, kControls);
    xpanel->hint(panel, 0, c.hints.data());
    std::vector<std::string> expected;
    if (c.error) expected.push_back(c.error);
    EXPECT_EQ(host.protocolErrors(), expected) << hexWords(c.hints);
    EXPECT_EQ(host.panels().back()->label(), "after") << hexWords(c.hints);
  }
}

TEST(PanelLineTest, LinesBecomeActions) {
  struct Case {
    const char* line;
    bool valid;
    PanelAction::Kind kind;
    uint32_t id;
    const char* text;
  } cases[] = {
      {"ok", true, PanelAction::Ok, 0, ""},
      {"cancel", true, PanelAction::Cancel, 0, ""},
      {"0x8006=4", true, PanelAction::Enter, 0x8006, "4"},
      {"32777=  a=b ", true, PanelAction::Enter, 0x8009, "  a=b "},
      {"0x8009=", true, PanelAction::Enter, 0x8009, ""},
      {"=4", false, PanelAction::Ok, 0, ""},
      {"x=4", false, PanelAction::Ok, 0, ""},
      {"0=4", false, PanelAction::Ok, 0, ""},
      {"0x8006", false, PanelAction::Ok, 0, ""},
      {"OK", false, PanelAction::Ok, 0, ""},
  };
  for (const Case& c : cases) {
    std::optional<PanelAction> action = parsePanelLine(c.line);
    ASSERT_EQ(action.has_value(), c.valid) << c.line;
    if (!action) continue;
    EXPECT_EQ(action->kind, c.kind) << c.line;
    EXPECT_EQ(action->id, c.id) << c.line;
    EXPECT_EQ(action->text.value_or(""), c.text) << c.line;
  }
}

}  // namespace
}  // namespace qkhost
