// The tempo calculator: beats and bars, their messages, corrections and validation.
#include "window_fixture.h"

namespace tactoria::testing {
namespace {

class TempoFieldsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Open(WriteWave("loop.wav", 88200));
    dialogs.Clear();
  }
};

TEST_F(TempoFieldsTest, BarsAndBeatsRecalculateTheTempos) {
  Retype("TxtBars", "2");
  EXPECT_EQ(Text("TxtOrgBpm"), "240");
  EXPECT_EQ(Text("TxtNewBpm"), "240");
  EXPECT_EQ(Text("TxtTotal"), "8");
  EXPECT_EQ(Text("TxtSpSamp"), "11025");
  Retype("TxtBeats", "2.5");
  EXPECT_EQ(Text("TxtTotal"), "5");
  EXPECT_EQ(Text("TxtNewBpm"), "150");
  EXPECT_TRUE(TakeMessages().isEmpty());

  // Without a new length nothing is recalculated.
  Field("TxtNewSamp")->clear();
  Retype("TxtBeats", "4");
  EXPECT_EQ(Text("TxtTotal"), "5");
  EXPECT_EQ(Text("TxtNewBpm"), "150");
}

TEST_F(TempoFieldsTest, RejectedInputShowsOneMessageThenTheCorrectedText) {
  struct Case {
    const char* field;
    QString start;  // the field's text before
    QString typed;  // typed at the end of it, or pasted over it when `paste`
    bool paste;
    QString message;
    QString after;
  };
  const Case cases[] = {
      {"TxtBeats", "4", "x", false, "Invalid numeric value.", "4"},
      {"TxtBars", "", "-", false, "Invalid numeric value.", ""},
      {"TxtBars", "1", "5000", true, "Invalid value. Cannot be greater than 4096.", "4096"},
      {"TxtBeats", "4", "33", true, "Invalid value. Cannot be greater than 32.", "32"},
      {"TxtBars", "1", "-1", true, "Invalid value. Must be greater than 0.", "4"},
      {"TxtBeats", "4", "-1", true, "Invalid value. Must be greater than 0.", "4"},
      // Several bad characters: one message, then back to the last accepted text.
      {"TxtBars", "3", "3ab", true, "Invalid numeric value.", "3"},
  };
  for (const auto& c : cases) {
    Paste(c.field, c.start);
    TakeMessages();
    if (c.paste)
      Paste(c.field, c.typed);
    else
      QTest::keyClicks(Field(c.field), c.typed);
    EXPECT_EQ(TakeMessages(), QStringList{c.message}) << c.field << " " << c.typed.toStdString();
    EXPECT_EQ(Text(c.field), c.after) << c.field << " " << c.typed.toStdString();
    EXPECT_EQ(Field(c.field)->cursorPosition(), c.after.size());
  }
  // After the 4096 correction the tempos were recalculated for 4096 bars.
  Paste("TxtBars", "5000");
  EXPECT_EQ(Text("TxtOrgBpm"), "491520");
  EXPECT_EQ(dialogs.Messages().back().icon, MessageIcon::Exclamation);
  EXPECT_EQ(dialogs.Messages().back().title, "Invalid Value");
}

TEST_F(TempoFieldsTest, LeavingAnEmptyOrZeroFieldRestoresItAndKeepsTheFocus) {
  struct Case {
    const char* field;
    QString text;
    QString message;
    QString restored;
  };
  const Case cases[] = {
      {"TxtBars", "0", "Invalid beat(s) value.", "1"},
      {"TxtBeats", "", "Invalid beat(s) value.", "4"},
      {"TxtNewSamp", "", "Samples invalid.", "88200"},
      {"TxtBars", "2", "", "2"},  // a valid text lets the focus go
  };
  for (const auto& c : cases) {
    QLineEdit* field = Field(c.field);
    field->setFocus();
    ASSERT_TRUE(field->hasFocus());
    if (field == Field("TxtNewSamp")) Paste("TxtNewSamp", "100");
    Retype(c.field, c.text);
    TakeMessages();
    QTest::keyClick(field, Qt::Key_Tab);
    EXPECT_EQ(TakeMessages(), c.message.isEmpty() ? QStringList{} : QStringList{c.message}) << c.field;
    EXPECT_EQ(field->text(), c.restored);
    EXPECT_EQ(field->hasFocus(), !c.message.isEmpty()) << c.field;
  }
  EXPECT_EQ(Text("TxtNewBytes"), "352800");  // the restored length was recalculated

  // A click on another control is no click when the field keeps the focus.
  Field("TxtNewSamp")->setFocus();
  Retype("TxtNewSamp", "");
  auto* reverse = Check("ChkReverse");
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, reverse->mapTo(window.get(), QPoint(6, 6)));
  EXPECT_EQ(TakeMessages(), QStringList{"Samples invalid."});
  EXPECT_TRUE(Field("TxtNewSamp")->hasFocus());
  EXPECT_FALSE(reverse->isChecked());
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, reverse->mapTo(window.get(), QPoint(6, 6)));
  EXPECT_TRUE(reverse->isChecked());
}

}  // namespace
}  // namespace tactoria::testing
