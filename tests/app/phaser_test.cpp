// The phaser row and the settings a render reads from the window.
#include "window_fixture.h"

namespace tactoria::testing {
namespace {

class PhaserTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Open(WriteWave("loop.wav", 88200));
    Paste("TxtNewSamp", "800");  // bound 100
    Check("ChkPhaser")->click();
    dialogs.Clear();
  }
};

TEST_F(PhaserTest, CheckBoxUnlocksTheRowAndKeepsTheValue) {
  EXPECT_TRUE(Field("LblPhaser")->isEnabled());
  EXPECT_TRUE(Label("LblPlus2")->isEnabled());
  Paste("LblPhaser", "7");
  Check("ChkPhaser")->click();
  EXPECT_FALSE(Field("LblPhaser")->isEnabled());
  EXPECT_FALSE(Label("LblMinus2")->isEnabled());
  EXPECT_EQ(Text("LblPhaser"), "7");
}

TEST_F(PhaserTest, ValuesOutsideOneToAnEighthOfTheLengthAreCorrected) {
  Retype("LblPhaser", "101");
  EXPECT_EQ(TakeMessages(), QStringList{"Invalid. Value cannot be greater than the (samples / 8)."});
  EXPECT_EQ(Text("LblPhaser"), "100");
  Retype("LblPhaser", "100");
  Retype("LblPhaser", "12x");
  EXPECT_EQ(TakeMessages(), QStringList{"Invalid numeric value."});
  EXPECT_EQ(Text("LblPhaser"), "12");
  EXPECT_EQ(Field("LblPhaser")->cursorPosition(), 2);
  Retype("LblPhaser", "0");
  Paste("LblPhaser", "0.5");
  EXPECT_EQ(TakeMessages(), QStringList(2, "Invalid. Value must be greater than 0."));
  EXPECT_EQ(Text("LblPhaser"), "1");

  Paste("TxtNewSamp", "8821");
  Paste("LblPhaser", "5000");
  EXPECT_EQ(Text("LblPhaser"), "1102.625");
  Mouse(QTest::MouseClick, "LblPlus2");  // up from the bound
  EXPECT_EQ(Text("LblPhaser"), "1102.625");
  Mouse(QTest::MouseClick, "LblMinus2");
  EXPECT_EQ(Text("LblPhaser"), "1101.625");
  EXPECT_EQ(TakeMessages().size(), 2);
  EXPECT_FALSE(window->InternalChange());
}

TEST_F(PhaserTest, LeavingAnEmptyFieldRestoresOneAndKeepsTheFocus) {
  QLineEdit* field = Field("LblPhaser");
  field->setFocus();
  Retype("LblPhaser", "");
  EXPECT_TRUE(TakeMessages().isEmpty());
  QTest::keyClick(field, Qt::Key_Tab);
  EXPECT_EQ(TakeMessages(), QStringList{"Invalid phaser value."});
  EXPECT_EQ(field->text(), "1");
  EXPECT_TRUE(field->hasFocus());
}

TEST_F(PhaserTest, RenderSettingsFollowTheFields) {
  Paste("TxtNewSamp", "88200");  // the original length again
  Retype("LblPhaser", "12");
  RenderSettings render = window->CurrentRenderSettings();
  EXPECT_FALSE(render.newFrames.has_value());
  EXPECT_EQ(render.phaserValue, 12.0);
  EXPECT_FALSE(render.reverse);

  // Emptied while editing: the last valid value. A changed length is read as whole frames.
  Field("LblPhaser")->clear();
  Paste("TxtNewSamp", "44100.5");
  Check("ChkReverse")->click();
  render = window->CurrentRenderSettings();
  EXPECT_EQ(render.phaserValue, 12.0);
  EXPECT_EQ(render.newFrames, 44100);
  EXPECT_TRUE(render.reverse);

  Check("ChkPhaser")->click();
  EXPECT_FALSE(window->CurrentRenderSettings().phaserValue.has_value());
}

}  // namespace
}  // namespace tactoria::testing
