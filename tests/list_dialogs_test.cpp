// The squawk airport list and initial altitudes dialogs through the "s" and "i" settings
// commands, on the headless backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/dialog_ids.h"
#include "tests/support/dialog_state.h"
#include "tests/support/plugin_fixture.h"
#include "tests/support/world_recorder.h"

namespace kestrava::testing {
namespace {

using Rows = std::vector<std::string>;
using Texts = std::vector<std::string>;
using Saved = WorldRecorder::SavedSetting;

class ListDialogs : public PluginFixture {
 protected:
  // Loads the plug-in on exactly `settings`.
  void Start(const std::map<std::string, std::string>& settings) {
    world.SetObserver(nullptr);
    while (!world.settings().entries().empty()) {
      world.settings().Set(world.settings().entries().begin()->first, "", nullptr);
    }
    Load(settings);
    world.SetObserver(&recorder);
  }

  // Runs the settings command `line` with `script` acting at the open dialog.
  void Run(const std::string& line, std::function<void(DialogUser&)> script) {
    env.dialog_script = std::move(script);
    EXPECT_TRUE(world.CompileCommand(line));
  }

  WorldRecorder recorder;
};

// --- Squawk airport list ---

TEST_F(ListDialogs, SquawkListShowsEachAirportOnceAndOkSavesWhatIsShown) {
  Start({{"SQK1", "EGLL:1"}, {"SQK2", "EGKK:0"}, {"SQK3", "EGLL:0"}, {"SQK", "1"}});
  Run(".qex s", [](DialogUser& user) {
    EXPECT_EQ(user.Caption(), "QEX Squawk");
    EXPECT_EQ(RowsOf(user, IDC_SQK_LIST), (Rows{"EGLL/+", "EGKK/-"}));
    EXPECT_TRUE(StateOf(user, IDC_SQK_ENABLE).checked);
    user.Check(IDC_SQK_ENABLE, false);
    user.Click(kIdOk);
  });
  EXPECT_EQ(recorder.settings, (std::vector<Saved>{{"SQK1", "SQK1", std::nullopt},
                                                   {"SQK2", "SQK2", std::nullopt},
                                                   {"SQK3", "SQK3", std::nullopt},
                                                   {"SQK1", "SQK1", "EGLL:1"},
                                                   {"SQK2", "SQK2", "EGKK:0"},
                                                   {"SQK", "SQK", "0"}}));
  EXPECT_FALSE(plugin->m_SquawkEnabled);
}

TEST_F(ListDialogs, SquawkListEditing) {
  const struct {
    const char* name;
    std::function<void(DialogUser&)> act;
    Rows rows;
    const char* field;
  } cases[] = {
      // Typing upper-cases; Enter is Add; a new airport comes ticked and the field empties.
      {"enter adds",
       [](DialogUser& u) { u.Type(IDC_SQK_ICAO, "egss\n"); },
       {"EGLL/+", "EGKK/-", "EGSS/+"},
       ""},
      {"add button",
       [](DialogUser& u) {
         u.Type(IDC_SQK_ICAO, "EGSS");
         u.Click(IDC_SQK_ADD);
       },
       {"EGLL/+", "EGKK/-", "EGSS/+"},
       ""},
      {"duplicate",
       [](DialogUser& u) { u.Type(IDC_SQK_ICAO, "egkk\n"); },
       {"EGLL/+", "EGKK/-"},
       ""},
      {"too short",
       [](DialogUser& u) {
         u.Type(IDC_SQK_ICAO, "EGS");
         u.PressEnter();
       },
       {"EGLL/+", "EGKK/-"},
       "EGS"},
      {"remove none", [](DialogUser& u) { u.Click(IDC_SQK_REMOVE); }, {"EGLL/+", "EGKK/-"}, ""},
      {"remove unticked",
       [](DialogUser& u) {
         u.SelectRow(IDC_SQK_LIST, 1);
         u.Click(IDC_SQK_REMOVE);
       },
       {"EGLL/+"},
       ""},
      {"remove all", [](DialogUser& u) { u.Click(IDC_SQK_REMOVE_ALL); }, {}, ""},
      {"untick", [](DialogUser& u) { u.Tick(IDC_SQK_LIST, 0, false); }, {"EGLL/-", "EGKK/-"}, ""},
      // Rebuilding the list after an edit keeps every row's flag.
      {"tick then add",
       [](DialogUser& u) {
         u.Tick(IDC_SQK_LIST, 1, true);
         u.Type(IDC_SQK_ICAO, "EGSS\n");
       },
       {"EGLL/+", "EGKK/+", "EGSS/+"},
       ""},
  };
  for (const auto& c : cases) {
    Start({{"SQK1", "EGLL:1"}, {"SQK2", "EGKK:0"}});
    Rows shown;
    Run(".zyt s", [&](DialogUser& user) {
      c.act(user);
      shown = RowsOf(user, IDC_SQK_LIST);
      EXPECT_EQ(StateOf(user, IDC_SQK_ICAO).text, c.field) << c.name;
      user.Click(kIdOk);
    });
    EXPECT_EQ(shown, c.rows) << c.name;
    Rows saved;
    for (const CICAOEntry& e : plugin->m_SquawkAirports) {
      saved.push_back(e.m_Icao + "/" + (e.m_Enabled ? "+" : "-"));
    }
    EXPECT_EQ(saved, c.rows) << c.name;
    EXPECT_TRUE(env.validation_messages.empty()) << c.name;
  }
}

// The list takes several selected rows; Remove takes the first of them in list order only.
TEST_F(ListDialogs, RemoveWithSeveralAirportsSelectedRemovesTheFirstOnly) {
  Start({{"SQK1", "EGLL:1"}, {"SQK2", "EGKK:0"}, {"SQK3", "EGSS:1"}, {"SQK4", "EGLC:1"}});
  Rows shown;
  Run(".qex s", [&](DialogUser& user) {
    // The headless backend's controls, as a ctrl-click on each row would leave them.
    auto* controls = dynamic_cast<DialogControls*>(&user);
    ASSERT_NE(controls, nullptr);
    controls->SetItemSelected(IDC_SQK_LIST, 3, true);
    controls->SetItemSelected(IDC_SQK_LIST, 1, true);
    controls->SetItemSelected(IDC_SQK_LIST, 2, true);
    user.Click(IDC_SQK_REMOVE);
    shown = RowsOf(user, IDC_SQK_LIST);
    user.Click(kIdOk);
  });
  EXPECT_EQ(shown, (Rows{"EGLL/+", "EGSS/+", "EGLC/+"}));
  EXPECT_EQ(plugin->m_SquawkAirports,
            (std::vector<CICAOEntry>{{"EGLL", true}, {"EGSS", true}, {"EGLC", true}}));
}

TEST_F(ListDialogs, CancelKeepsTheSquawkList) {
  Start({{"SQK1", "EGLL:1"}});
  Run(".qex s", [](DialogUser& user) {
    user.Tick(IDC_SQK_LIST, 0, false);
    user.Type(IDC_SQK_ICAO, "EGSS\n");
    user.Click(kIdCancel);
  });
  EXPECT_EQ(plugin->m_SquawkAirports, (std::vector<CICAOEntry>{{"EGLL", true}}));
  EXPECT_TRUE(recorder.settings.empty());
}

// --- Initial altitudes ---

TEST_F(ListDialogs, AltitudeAddKeepsAirportAndAltitudeAndFocusesTheSid) {
  Start({});
  Run(".qex i", [](DialogUser& user) {
    EXPECT_EQ(user.Caption(), "Initial Altitudes");
    EXPECT_EQ(StateOf(user, IDC_ALT_ALTITUDE).text, "5000");
    user.Type(IDC_ALT_ICAO, "egll");
    user.Type(IDC_ALT_SID, "bpk7f");
    user.Type(IDC_ALT_ALTITUDE, "6000\n");
    EXPECT_EQ(StateOf(user, IDC_ALT_ICAO).text, "EGLL");
    EXPECT_EQ(StateOf(user, IDC_ALT_SID).text, "");
    EXPECT_EQ(StateOf(user, IDC_ALT_ALTITUDE).text, "6000");
    user.Keys("cpt3g\n");  // the SID field has the focus
    // The same airport and SID again: the row takes the new altitude and is ticked.
    user.Tick(IDC_ALT_LIST, 0, false);
    user.Type(IDC_ALT_SID, "BPK7F");
    user.Type(IDC_ALT_ALTITUDE, "7000\n");
    EXPECT_EQ(RowsOf(user, IDC_ALT_LIST), (Rows{"EGLL/BPK7F/7000/+", "EGLL/CPT3G/6000/+"}));
    user.Click(kIdOk);
  });
  EXPECT_EQ(plugin->m_InitialAltitudes,
            (std::vector<CAltEntry>{{"EGLL", "BPK7F", 7000, true}, {"EGLL", "CPT3G", 6000, true}}));
  EXPECT_EQ(recorder.settings.back(), (Saved{"ALT", "ALT", "1"}));
}

TEST_F(ListDialogs, AltitudeEditing) {
  const std::map<std::string, std::string> table = {
      {"ALT1", "EGLL:BPK7F:6000:1"}, {"ALT2", "EGKK:LAM1X:5000:0"}, {"ALT3", "EGLL:BPK7F:9000:1"}};
  const struct {
    const char* name;
    std::function<void(DialogUser&)> act;
    Rows rows;
    Texts messages;
  } cases[] = {
      {"opened", [](DialogUser&) {}, {"EGLL/BPK7F/6000/+", "EGKK/LAM1X/5000/-"}, {}},
      {"incomplete",
       [](DialogUser& u) {
         u.Type(IDC_ALT_ICAO, "EGS");
         u.Type(IDC_ALT_SID, "X\n");
       },
       {"EGLL/BPK7F/6000/+", "EGKK/LAM1X/5000/-"},
       {}},
      {"no sid",
       [](DialogUser& u) { u.Type(IDC_ALT_ICAO, "EGSS\n"); },
       {"EGLL/BPK7F/6000/+", "EGKK/LAM1X/5000/-"},
       {}},
      {"delete none",
       [](DialogUser& u) { u.Click(IDC_ALT_DELETE_SELECTED); },
       {"EGLL/BPK7F/6000/+", "EGKK/LAM1X/5000/-"},
       {}},
      {"delete selected",
       [](DialogUser& u) {
         u.SelectRow(IDC_ALT_LIST, 0);
         u.Click(IDC_ALT_DELETE_SELECTED);
       },
       {"EGKK/LAM1X/5000/-"},
       {}},
      {"delete all", [](DialogUser& u) { u.Click(IDC_ALT_DELETE_ALL); }, {}, {}},
      // Double click copies the row into the fields; Add with a new altitude replaces it.
      {"double click",
       [](DialogUser& u) {
         u.DoubleClick(IDC_ALT_LIST, 1);
         EXPECT_EQ(StateOf(u, IDC_ALT_ICAO).text, "EGKK");
         EXPECT_EQ(StateOf(u, IDC_ALT_SID).text, "LAM1X");
         EXPECT_EQ(StateOf(u, IDC_ALT_ALTITUDE).text, "5000");
         u.Type(IDC_ALT_ALTITUDE, "8000\n");
       },
       {"EGLL/BPK7F/6000/+", "EGKK/LAM1X/8000/+"},
       {}},
      // Rebuilding keeps the flags: an unticked row stays unticked when another is added.
      {"add keeps flags",
       [](DialogUser& u) {
         u.Type(IDC_ALT_ICAO, "EGSS");
         u.Type(IDC_ALT_SID, "CLN1E\n");
       },
       {"EGLL/BPK7F/6000/+", "EGKK/LAM1X/5000/-", "EGSS/CLN1E/5000/+"},
       {}},
      // A refused altitude: one message for the action; Delete goes on, Add does not.
      {"add 400",
       [](DialogUser& u) {
         u.Type(IDC_ALT_ICAO, "EGSS");
         u.Type(IDC_ALT_SID, "CLN1E");
         u.Type(IDC_ALT_ALTITUDE, "400\n");
       },
       {"EGLL/BPK7F/6000/+", "EGKK/LAM1X/5000/-"},
       {"Please enter an integer between 500 and 60000."}},
      {"add 60001",
       [](DialogUser& u) {
         u.Type(IDC_ALT_ICAO, "EGSS");
         u.Type(IDC_ALT_SID, "CLN1E");
         u.Type(IDC_ALT_ALTITUDE, "60001\n");
       },
       {"EGLL/BPK7F/6000/+", "EGKK/LAM1X/5000/-"},
       {"Please enter an integer between 500 and 60000."}},
      {"add empty",
       [](DialogUser& u) {
         u.Type(IDC_ALT_ICAO, "EGSS");
         u.Type(IDC_ALT_SID, "CLN1E");
         u.Paste(IDC_ALT_ALTITUDE, "");
         u.PressEnter();
       },
       {"EGLL/BPK7F/6000/+", "EGKK/LAM1X/5000/-"},
       {"Please enter an integer."}},
      {"delete with 400",
       [](DialogUser& u) {
         u.Type(IDC_ALT_ALTITUDE, "400");
         u.SelectRow(IDC_ALT_LIST, 1);
         u.Click(IDC_ALT_DELETE_SELECTED);
       },
       {"EGLL/BPK7F/6000/+"},
       {"Please enter an integer between 500 and 60000."}},
  };
  for (const auto& c : cases) {
    Start(table);
    env.validation_messages.clear();
    Rows shown;
    Run(".zyt i", [&](DialogUser& user) {
      c.act(user);
      shown = RowsOf(user, IDC_ALT_LIST);
      user.Click(kIdCancel);
    });
    EXPECT_EQ(shown, c.rows) << c.name;
    EXPECT_EQ(env.validation_messages, c.messages) << c.name;
  }
}

TEST_F(ListDialogs, OkIsRefusedWhileTheAltitudeIsInvalid) {
  Start({{"ALT1", "EGLL:BPK7F:6000:1"}});
  Run(".qex i", [](DialogUser& user) {
    user.Check(IDC_ALT_ENABLE, false);
    user.Tick(IDC_ALT_LIST, 0, false);
    user.Type(IDC_ALT_ALTITUDE, "400");
    user.Click(kIdOk);
    EXPECT_TRUE(user.IsOpen());
    user.Keys("4000");  // the altitude has the focus, its text selected
    user.Click(kIdOk);
    EXPECT_FALSE(user.IsOpen());
  });
  EXPECT_EQ(env.validation_messages, Texts{"Please enter an integer between 500 and 60000."});
  EXPECT_FALSE(plugin->m_InitAltsEnabled);
  EXPECT_EQ(recorder.settings, (std::vector<Saved>{{"ALT1", "ALT1", std::nullopt},
                                                   {"ALT1", "ALT1", "EGLL:BPK7F:6000:0"},
                                                   {"ALT", "ALT", "0"}}));
}

TEST_F(ListDialogs, CancelKeepsTheAltitudeTable) {
  Start({{"ALT1", "EGLL:BPK7F:6000:1"}});
  Run(".qex i", [](DialogUser& user) {
    user.Tick(IDC_ALT_LIST, 0, false);
    user.Click(IDC_ALT_DELETE_ALL);
    user.Close();
  });
  EXPECT_EQ(plugin->m_InitialAltitudes, (std::vector<CAltEntry>{{"EGLL", "BPK7F", 6000, true}}));
  EXPECT_TRUE(recorder.settings.empty());
}

}  // namespace
}  // namespace kestrava::testing
