// The main window's layout at every scale the tests run in (ctest runs this file at 96 dpi and
// with QT_SCALE_FACTOR=1.5).
#include <QGroupBox>
#include <QLabel>
#include <QStyle>

#include "window_fixture.h"

namespace tactoria::testing {
namespace {

using LayoutTest = WindowTest;

// Room for text inside a field: its frame and QLineEdit's fixed margins (2 and 1) and the caret.
QSize TextRoom(const QLineEdit* field) {
  const int frame = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
  const QMargins margins = field->textMargins();
  return {field->width() - 2 * frame - 4 - 1 - margins.left() - margins.right(),
          field->height() - 2 * frame - 2 - margins.top() - margins.bottom()};
}

TEST_F(LayoutTest, FieldsShowTheirLargestValuesCaptionsTheirTextsAndLockedFieldsLookDisabled) {
  const QFont font = window->font();
  const std::pair<const char*, QString> largest[] = {
      {"TxtBeats", "32"},           {"TxtBars", "4096"},           {"TxtTotal", "131072"},
      {"TxtOrgSamp", "2147483647"}, {"TxtOrgBytes", "2147483647"}, {"TxtOrgBpm", "3932160"},
      {"TxtNewSamp", "2147483647"}, {"TxtNewBytes", "2147483647"}, {"TxtNewBpm", "3932160"},
      {"LblPhaser", "268435455"},   {"TxtSpSamp", "2147483647"},   {"TxtSpBytes", "2147483647"},
      {"TxtFreq", "2147483647"},
  };
  for (const auto& [name, text] : largest) {
    const QLineEdit* field = Field(name);
    const QFontMetrics metrics(field->font());
    EXPECT_EQ(field->font(), font) << name;
    EXPECT_LE(metrics.horizontalAdvance(text), TextRoom(field).width()) << name;
    EXPECT_LE(metrics.height(), TextRoom(field).height()) << name;
  }
  // Each caption in the window's font (underlined for frame titles and links), whole, and clear of
  // the field to its right; the Preview and other windows have fonts of their own.
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    if (label->window() != window.get()) continue;
    SCOPED_TRACE(label->objectName().toStdString());
    QFont expected = font;
    expected.setUnderline(label->font().underline());
    EXPECT_EQ(label->font(), expected);
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width());
    for (const QLineEdit* field :
         label->parentWidget()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly)) {
      if (field->y() == label->y() && field->x() > label->x()) {
        EXPECT_LT(label->geometry().right(), field->x());
      }
    }
  }
  for (const QGroupBox* frame : window->findChildren<QGroupBox*>()) {
    if (frame->window() == window.get()) {
      EXPECT_EQ(frame->font().pointSizeF(), font.pointSizeF());
    }
  }
  for (const char* name : {"ChkPhaser", "ChkReverse"})
    EXPECT_LE(Check(name)->sizeHint().width(), Field("LblPhaser")->x() - Check(name)->x()) << name;
  // Disabled fields look disabled: a pixel of the empty background, away from the frame, of a
  // locked and of a live field.
  const auto background = [&](const char* name, QPalette::ColorGroup group) {
    QLineEdit* field = Field(name);
    EXPECT_EQ(field->isEnabled(), group == QPalette::Active);
    const QColor pixel = field->grab().toImage().pixelColor(field->width() - 4, field->height() / 2);
    EXPECT_EQ(pixel, field->palette().color(group, QPalette::Base)) << name;
    return pixel;
  };
  EXPECT_NE(background("TxtNewSamp", QPalette::Disabled), background("TxtOrgSamp", QPalette::Active));
}

}  // namespace
}  // namespace tactoria::testing
